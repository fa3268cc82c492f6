#include <gtest/gtest.h>

#include "platform/IOCFPlugIn.h"
#include "platform/IOHIDDevice.h"
#include "platform/IOUSBLib.h"
#include "platform/model/iokit/IOObjects.h"
#include "platform/sim/SimulatedSwitch.h"

namespace {

using plat::sim::SimulatedSwitch;

TEST(IOKitHandles, AHandleCountsItsReferencesAndNamesOneObject) {
  const long before = plat::LiveIOObjects();
  auto service = std::make_shared<plat::IOService>("IOHIDDevice");
  const io_service_t first = plat::RetainHandle(service);
  EXPECT_EQ(plat::RetainHandle(service), first);
  EXPECT_EQ(plat::LiveIOObjects(), before + 2);
  io_name_t name;
  ASSERT_EQ(IOObjectGetClass(first, name), KERN_SUCCESS);
  EXPECT_STREQ(name, "IOHIDDevice");
  EXPECT_TRUE(IOObjectConformsTo(first, "IOService"));
  EXPECT_EQ(IOObjectRelease(first), KERN_SUCCESS);
  EXPECT_EQ(IOObjectRelease(first), KERN_SUCCESS);
  EXPECT_EQ(IOObjectRelease(first), kIOReturnBadArgument);
  EXPECT_EQ(IOObjectRelease(0), kIOReturnBadArgument);
  EXPECT_EQ(plat::LiveIOObjects(), before);
}

TEST(IOKitPlugIns, APlugInHandsOutItsInterfaceWhichOutlivesIt) {
  auto sw = SimulatedSwitch::Create();
  auto services = sw->CreateServices();
  const long before = plat::LivePlugInInterfaces();
  const io_service_t hid = plat::RetainHandle(services.hidDevice);
  IOCFPlugInInterface** plugIn = nullptr;
  SInt32 score = 0;
  EXPECT_EQ(IOCreatePlugInInterfaceForService(hid, kIOUSBDeviceUserClientTypeID,
                                              kIOCFPlugInInterfaceID, &plugIn, &score),
            kIOReturnUnsupported);
  ASSERT_EQ(IOCreatePlugInInterfaceForService(hid, kIOHIDDeviceUserClientTypeID,
                                              kIOCFPlugInInterfaceID, &plugIn, &score),
            KERN_SUCCESS);
  IOHIDDeviceInterface122** device = nullptr;
  auto* out = reinterpret_cast<LPVOID*>(&device);
  EXPECT_EQ(
      (*plugIn)->QueryInterface(plugIn, CFUUIDGetUUIDBytes(kIOUSBInterfaceInterfaceID182), out),
      E_NOINTERFACE);
  EXPECT_EQ(device, nullptr);
  ASSERT_EQ((*plugIn)->QueryInterface(plugIn, CFUUIDGetUUIDBytes(kIOHIDDeviceInterfaceID122), out),
            S_OK);
  IODestroyPlugInInterface(plugIn);
  EXPECT_EQ(plat::LivePlugInInterfaces(), before + 1);

  UInt8 report[4] = {};
  UInt32 size = sizeof report;
  EXPECT_EQ((*device)->getReport(device, kIOHIDReportTypeFeature, 5, report, &size, 0, nullptr,
                                 nullptr, nullptr),
            kIOReturnNotOpen);
  EXPECT_EQ((*device)->open(device, kIOHIDOptionsTypeNone), KERN_SUCCESS);
  EXPECT_EQ((*device)->getReport(device, kIOHIDReportTypeFeature, 5, report, &size, 0, nullptr,
                                 nullptr, nullptr),
            KERN_SUCCESS);
  EXPECT_EQ(report[0], 5);
  (*device)->close(device);
  (*device)->Release(device);
  EXPECT_EQ(plat::LivePlugInInterfaces(), before);
  IOObjectRelease(hid);
}

}  // namespace
