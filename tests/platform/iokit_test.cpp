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

TEST(IOKitHandles, AHIDDeviceSitsTwoLevelsBelowItsUSBDevice) {
  auto sw = SimulatedSwitch::Create({.generation = 2, .vendorID = 0x10D5, .productID = 0x000D});
  auto services = sw->CreateServices();
  io_registry_entry_t entries[3] = {plat::RetainHandle(services.hidDevice)};
  ASSERT_EQ(IORegistryEntryGetParentEntry(entries[0], kIOServicePlane, &entries[1]), KERN_SUCCESS);
  ASSERT_EQ(IORegistryEntryGetParentEntry(entries[1], kIOServicePlane, &entries[2]), KERN_SUCCESS);
  CFMutableDictionaryRef properties = nullptr;
  ASSERT_EQ(IORegistryEntryCreateCFProperties(entries[2], &properties, nullptr, 0), KERN_SUCCESS);
  long product = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(properties, CFSTR("idProduct"))),
                   kCFNumberLongType, &product);
  EXPECT_EQ(product, 0x000D);
  CFRelease(properties);
  for (io_object_t handle : entries)
    IOObjectRelease(handle);
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

  // Told to, the service makes no plug-in although it reports success.
  sw->FailNext(plat::sim::Operation::kPlugIn, 1, kIOReturnSuccess);
  EXPECT_EQ(IOCreatePlugInInterfaceForService(hid, kIOHIDDeviceUserClientTypeID,
                                              kIOCFPlugInInterfaceID, &plugIn, &score),
            KERN_SUCCESS);
  EXPECT_EQ(plugIn, nullptr);
  IOObjectRelease(hid);
}

}  // namespace
