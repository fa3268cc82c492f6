// Arrivals: which devices become the switch, over which route, and what is said about the rest.
#include <cctype>
#include <cstdio>
#include <string>
#include <utility>

#include "app/DockIcon.h"
#include "platform/IOCFPlugIn.h"
#include "platform/model/iokit/IORegistry.h"
#include "switch/KVMOperations.h"
#include "tests/discovery/ScenarioFixture.h"

namespace {

using plat::sim::HIDDeviceConfig;
using DiscoveryTest = ScenarioTest;

const std::string kNotASwitch =
    "HIDDeviceAdded: Call to HIDFindSwitcherVersion failed. Code result = ";

// What discovery says of a device it takes for a switch of `version`.
std::string Found(UInt32 vendor, UInt32 product, int version) {
  char text[96];
  std::snprintf(text, sizeof text,
                "HIDDeviceAdded: Found device info with vendorID=0x%X deviceID=0x%X. Version: %d\n",
                vendor, product, version);
  return text;
}

TEST_F(DiscoveryTest, StartingWithNoSwitchArmsOneWatchForEachOfTheTablePairsOnly) {
  EXPECT_EQ(StderrOf(StartDiscovery), "");
  EXPECT_EQ(plat::IORegistry::Shared().MatchingNotificationCount(), 258u);
  EXPECT_EQ(plat::IORegistry::Shared().ArmedMatchingNotificationCount(), 258u);
  EXPECT_EQ(info.deviceState, 0);
  EXPECT_EQ(theTimer, nullptr);
  EXPECT_EQ(plat::LiveEventLoopTimers(), 0);
}

// A watch that cannot be made ends discovery with its status; the pairs after it stay unwatched.
TEST_F(DiscoveryTest, AWatchThatCannotBeMadeEndsDiscoveryWithItsStatus) {
  const long ports = plat::LiveMasterPorts();
  plat::IORegistry::Shared().FailMatchingNotificationAfter(2, kIOReturnNoMemory);
  EXPECT_EQ(HIDSetMatchingDevices(&KVMSwitch, DeviceList, VendorCount), kIOReturnNoMemory);
  EXPECT_EQ(plat::IORegistry::Shared().MatchingNotificationCount(), 2u);
  EXPECT_EQ(plat::LiveMasterPorts(), ports);  // given back all the same
}

// Each supported pair on its own, at both ends of each range, and the neighbours outside them.
TEST_F(DiscoveryTest, EachSupportedPairIsFoundOnItsOwnAndItsNeighboursAreNot) {
  const struct {
    UInt32 vendor, product;
    bool found;
  } pairs[] = {{0x10D5, 0x000C, false}, {0x10D5, 0x000D, true},  {0x10D5, 0x000E, false},
               {0x10D5, 0x54FF, false}, {0x10D5, 0x5500, true},  {0x10D5, 0x55FF, true},
               {0x10D5, 0x5600, false}, {0x0CF6, 0x6B00, false}, {0x0CF6, 0x6B01, true},
               {0x0CF6, 0x6B02, false}, {0x0CF5, 0x6B01, false}, {0x10D6, 0x5504, false}};
  for (const auto& [vendor, product, found] : pairs) {
    ResetSystemAndPlatform();
    StartDiscovery();
    bench.PlugSwitch({.vendorID = vendor, .productID = product});
    EXPECT_EQ(StderrOf(Deliver), found ? Found(vendor, product, 2) : "");
  }
}

// The ids come from the HID device's own keys, or from its USB device's when it lacks them; an
// id that is not a number is 0, with a message.
TEST_F(DiscoveryTest, IdsFallBackToTheUSBDevicesKeys) {
  const struct {
    const char* key;
    const char* text;  // nullptr: the key is removed; digits: a number, maybe not a whole one
    std::string said;
  } cases[] = {
      {"VendorID", nullptr, Found(0x10D5, 0x55AA, 2)},
      {"ProductID", nullptr, Found(0x10D5, 0x55AA, 2)},
      {"VendorID", "x",
       "CFNumberGetValue error retrieving pDevice->vendorID." + Found(0, 0x55AA, 2)},
      {"ProductID", "x",
       "CFNumberGetValue error retrieving pDevice->productID." + Found(0x10D5, 0, 2)},
      {"VendorID", "4309.5",  // 0x10D5 and a half: not an id either
       "CFNumberGetValue error retrieving pDevice->vendorID." + Found(0, 0x55AA, 2)},
  };
  for (const auto& [key, text, said] : cases) {
    ResetSystemAndPlatform();
    StartDiscovery();
    const auto& hid = bench.ServicesOf(bench.PlugSwitch({.productID = 0x55AA}))->hidDevice;
    if (text == nullptr) {
      hid->RemoveProperty(key);
    } else if (std::isdigit(static_cast<unsigned char>(text[0]))) {
      const double value = std::stod(text);
      const plat::CFHolder number(CFNumberCreate(nullptr, kCFNumberDoubleType, &value));
      hid->SetProperty(key, number.get());
    } else {
      hid->SetStringProperty(key, text);
    }
    EXPECT_EQ(StderrOf(Deliver), said);
  }
}

// A switch whose plug-in cannot be made (or is not made), or hands out no device interface, is
// reported on either route, and nothing of it is kept.
TEST_F(DiscoveryTest, AFailedPlugInIsReportedOnEitherRoute) {
  using plat::sim::Operation;
  StartDiscovery();
  const struct {
    int generation;
    Operation fault;
    IOReturn status;
    std::string said;
  } cases[] = {
      {2, Operation::kPlugIn, kIOReturnNoResources,
       "HIDGetDeviceInterface: unable to create plugin. ret = e00002be, iodev = (nil)\n"
       "HIDSetHIDDevice: Call to HIDDeviceInterface failed. Code result = E00002BE\n"},
      {2, Operation::kPlugIn, KERN_SUCCESS,
       "HIDGetDeviceInterface: unable to create plugin. ret = 00000000, iodev = (nil)\n"
       "HIDSetHIDDevice: Call to HIDDeviceInterface failed. Code result = E00002BC\n"},
      {2, Operation::kQueryInterface, E_NOINTERFACE,
       "HIDGetDeviceInterface: unable to create a device interface. ret = 80000004, dev = (nil)\n"
       "HIDSetHIDDevice: Call to HIDDeviceInterface failed. Code result = 80000004\n"},
      {2, Operation::kQueryInterface, S_OK,
       "HIDGetDeviceInterface: unable to create a device interface. ret = 00000000, dev = (nil)\n"
       "HIDSetHIDDevice: Call to HIDDeviceInterface failed. Code result = E00002BC\n"},
      {1, Operation::kPlugIn, kIOReturnNoResources,
       "USBGetDeviceInterface: unable to create plugin. ret = e00002be, iodev = (nil)\n"
       "USBDeviceAdded: Call to USBDeviceInterface failed. Code result = E00002BE\n"},
      {1, Operation::kPlugIn, KERN_SUCCESS,
       "USBGetDeviceInterface: unable to create plugin. ret = 00000000, iodev = (nil)\n"
       "USBDeviceAdded: Call to USBDeviceInterface failed. Code result = E00002BC\n"},
      {1, Operation::kQueryInterface, E_NOINTERFACE,
       "USBGetDeviceInterface: unable to create a device interface. ret = 80000004, dev = (nil)\n"
       "USBDeviceAdded: Call to USBDeviceInterface failed. Code result = 80000004\n"},
      {1, Operation::kQueryInterface, S_OK,
       "USBGetDeviceInterface: unable to create a device interface. ret = 00000000, dev = (nil)\n"
       "USBDeviceAdded: Call to USBDeviceInterface failed. Code result = E00002BC\n"},
  };
  for (const auto& [generation, fault, status, said] : cases) {
    auto sw = bench.PlugSwitch({.generation = generation});
    sw->FailNext(fault, 1, status);
    EXPECT_EQ(StderrOf(Deliver), Found(0x10D5, 0x5504, generation) + said);
    EXPECT_EQ(info.deviceState, 0);
    EXPECT_EQ(plat::LivePlugInInterfaces(), 0);
    bench.Unplug(sw);
    Deliver();
  }
}

TEST_F(DiscoveryTest, TheFirstSwitchOfAPassWinsAndLaterOnesAreLeftUntouched) {
  for (int generation : {1, 2}) {  // two HID devices, or two USB devices, of one pair
    ResetSystemAndPlatform();
    auto first = bench.PlugSwitch({.generation = generation});
    auto second = bench.PlugSwitch({.generation = generation});
    EXPECT_EQ(StderrOf(StartDiscovery), Found(0x10D5, 0x5504, generation));
    EXPECT_FALSE(first->Exchanges().empty());
    EXPECT_TRUE(second->Exchanges().empty());
  }

  const long plugIns = plat::LivePlugInInterfaces();
  auto another = bench.PlugSwitch({.vendorID = 0x0CF6, .productID = 0x6B01});
  EXPECT_EQ(StderrOf(Deliver), "");
  EXPECT_TRUE(another->Exchanges().empty());
  EXPECT_EQ(plat::LivePlugInInterfaces(), plugIns);
}

TEST_F(DiscoveryTest, AVersionOneSwitchIsHandedToTheUSBRouteAtTheEndOfThePass) {
  StartDiscovery();
  auto sw = bench.PlugSwitch({.generation = 1, .ports = 2, .productID = 0x000D});
  sw->PressButton(1);
  EXPECT_EQ(StderrOf(Deliver), Found(0x10D5, 0xD, 1));
  EXPECT_EQ(info.deviceState, 2);
  EXPECT_EQ(info.linkKind, 1);
  EXPECT_EQ(info.portCount, 2);
  EXPECT_EQ(CurrentIconNumber, 1);
  EXPECT_EQ(theTimer, nullptr);
  // Nothing of the HID route or of a lookup is left in the record: commands find the pipe.
  EXPECT_EQ(info.device.hidDevice, nullptr);
  EXPECT_EQ(info.device.interfaceInterface, nullptr);
  EXPECT_EQ(KVMSetPortNumber(&info, 0), KERN_SUCCESS);
  EXPECT_EQ(sw->CurrentPort(), 0);

  bench.Unplug(sw);
  Deliver();
  EXPECT_EQ(info.deviceState, 0);
  EXPECT_EQ(info.linkKind, 1);
  EXPECT_EQ(CurrentIconNumber, -1);

  // One whose status cannot be read is not attached, and its device interface is given back (as
  // are those the record kept of the switch before).
  bench.PlugSwitch({.generation = 1})->FailNextReads(1, kIOReturnNotResponding);
  EXPECT_EQ(StderrOf(Deliver),
            Found(0x10D5, 0x5504, 1) +
                "USBGetDeviceInfo: unable to obtain the Serial string. ret = e00002ed\n"
                "USBDeviceAdded: Call to USBGetDeviceInfo failed. Code result = E00002ED\n");
  EXPECT_EQ(info.deviceState, 0);
  EXPECT_EQ(info.linkKind, 0);
  EXPECT_EQ(plat::LivePlugInInterfaces(), 0);
}

TEST_F(DiscoveryTest, ASwitchFoundWhileTheSessionIsSwitchedOutIsHeldUntilLookedUpAgain) {
  KVMSwitch.sessionInactive = 1;
  StartDiscovery();
  auto sw = bench.PlugSwitch({.generation = 1});
  StderrOf(Deliver);
  EXPECT_EQ(info.deviceState, 1);
  EXPECT_EQ(info.linkKind, 1);
  EXPECT_TRUE(sw->Exchanges().empty());

  KVMSwitch.sessionInactive = 0;
  info.deviceState = 0;
  _DEVICE_ID id{info.device.vendorID, info.device.productID};
  StderrOf([&id] { HIDGetMatchingDevice(&KVMSwitch, &id); });
  EXPECT_EQ(info.deviceState, 2);
  EXPECT_EQ(info.linkKind, 1);
}

TEST_F(DiscoveryTest, UnrecognisedDevicesAreReportedWithTheirCodesAndChangeNothing) {
  StartDiscovery();
  const long handles = plat::LiveIOObjects();
  const std::pair<HIDDeviceConfig, std::string> cases[] = {
      {{.maxFeatureReportSize = std::nullopt}, kNotASwitch + "00000000\n"},
      {{.maxFeatureReportSize = 64},
       "CFNumberGetValue error. Invalid Size: 64." + kNotASwitch + "00000000\n"},
      {{.serialNumber = "ABCD1234"},
       "CFStringGetCString error retrieving pDevice->serial." + kNotASwitch + "00000000\n"},
      {{.propertiesFault = kIOReturnNotReadable},
       "IORegistryEntryCreateCFProperties error when creating deviceProperties.Error: -536870194" +
           kNotASwitch + "E00002CE\n"},
      {{.propertiesFault = KERN_SUCCESS},
       "IORegistryEntryCreateCFProperties error when creating deviceProperties.Error: 0" +
           kNotASwitch + "E00002BC\n"},
  };
  for (const auto& [config, said] : cases) {
    auto device = bench.PlugHIDDevice(config);
    EXPECT_EQ(StderrOf(Deliver), said);
    EXPECT_EQ(info.deviceState, 0);
    EXPECT_EQ(info.linkKind, 0);
    bench.Unplug(device);
  }

  auto sizeAsText = bench.PlugHIDDevice({.maxFeatureReportSize = 8});
  sizeAsText.hidDevice->SetStringProperty("MaxFeatureReportSize", "8");
  EXPECT_EQ(StderrOf(Deliver),
            "CFNumberGetValue error retrieving Feature key." + kNotASwitch + "00000000\n");
  auto usbUnreadable = bench.PlugHIDDevice({.maxFeatureReportSize = 8});
  usbUnreadable.usbDevice->SetPropertiesFault(KERN_SUCCESS);
  EXPECT_EQ(StderrOf(Deliver), "IORegistryEntryCreateCFProperties failed to create usbProperties." +
                                   kNotASwitch + "E00002BC\n");
  // The USB device's properties fail to be read: both parents are given back.
  bench.PlugHIDDevice({.maxFeatureReportSize = 8})
      .usbDevice->SetPropertiesFault(kIOReturnNotReadable);
  EXPECT_EQ(StderrOf(Deliver), kNotASwitch + "E00002CE\n");

  // A HID device with one level above it: the parent found is given back.
  auto usbInterface = std::make_shared<plat::IOService>("IOUSBInterface");
  auto orphan = std::make_shared<plat::IOService>("IOHIDDevice", usbInterface);
  orphan->SetNumberProperty("VendorID", 0x10D5);
  orphan->SetNumberProperty("ProductID", 0x5504);
  plat::IORegistry::Shared().Register(orphan);
  EXPECT_EQ(StderrOf(Deliver), kNotASwitch + "E00002C0\n");
  EXPECT_EQ(plat::LiveIOObjects(), handles);
  EXPECT_EQ(info.deviceState, 0);
}

TEST_F(DiscoveryTest, AVersionTwoSwitchThatCannotBeOpenedLeavesTheNextArrivalToStartAfresh) {
  StartDiscovery();
  const long plugIns = plat::LivePlugInInterfaces();
  bench.PlugSwitch()->FailNextOpens(1, kIOReturnExclusiveAccess);
  EXPECT_EQ(StderrOf(Deliver),
            Found(0x10D5, 0x5504, 2) +
                "HIDSetHIDDevice: Call to HIDDeviceInterface failed. Code result = E00002C5\n");
  EXPECT_EQ(info.deviceState, 0);
  EXPECT_EQ(info.linkKind, 2);
  EXPECT_EQ(plat::LivePlugInInterfaces(), plugIns);

  EXPECT_EQ(theTimer, nullptr);

  // The next arrival starts afresh; a failed first read still opens the switch, decoded from the
  // cleared report.
  auto sw = bench.PlugSwitch({.ports = 2});
  sw->PressButton(1);
  sw->FailNextReads(5, kIOReturnNotResponding);
  EXPECT_EQ(StderrOf(Deliver),
            Found(0x10D5, 0x5504, 2) + "HIDGetReport - Could not getReport. Error: -536870163.\n");
  EXPECT_EQ(info.deviceState, 2);
  EXPECT_EQ(info.currentPort, 0);
  EXPECT_EQ(info.portCount, 4);
  EXPECT_EQ(info.autoScanPeriod, 1);
  EXPECT_EQ(info.audioFixed, 1);
  EXPECT_EQ(CurrentIconNumber, 0);
  EXPECT_NE(theTimer, nullptr);
}

}  // namespace
