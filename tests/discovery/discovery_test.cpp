// Arrivals: which devices become the switch, over which route, and what is said about the rest.
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

std::string Found(const char* ids, int version) {
  return std::string("HIDDeviceAdded: Found device info with ") + ids +
         ". Version: " + std::to_string(version) + "\n";
}

TEST_F(DiscoveryTest, StartingWithNoSwitchArmsOneWatchForEachOfTheTablePairsOnly) {
  EXPECT_EQ(StderrOf(StartDiscovery), "");
  EXPECT_EQ(plat::IORegistry::Shared().MatchingNotificationCount(), 258u);
  EXPECT_EQ(plat::IORegistry::Shared().ArmedMatchingNotificationCount(), 258u);
  EXPECT_EQ(info.deviceState, 0);
  EXPECT_EQ(theTimer, nullptr);
  EXPECT_EQ(plat::LiveEventLoopTimers(), 0);

  bench.PlugSwitch({.productID = 0x5600});
  EXPECT_EQ(StderrOf(Deliver), "");
  bench.PlugSwitch({.productID = 0x55FF});
  EXPECT_EQ(StderrOf(Deliver), Found("vendorID=0x10D5 deviceID=0x55FF", 2));
  EXPECT_EQ(info.deviceState, 2);
}

TEST_F(DiscoveryTest, TheFirstSwitchOfAPassWinsAndLaterOnesAreLeftUntouched) {
  auto first = bench.PlugSwitch();
  auto second = bench.PlugSwitch();  // the same pair: the same pass
  EXPECT_EQ(StderrOf(StartDiscovery), Found("vendorID=0x10D5 deviceID=0x5504", 2));
  EXPECT_FALSE(first->Exchanges().empty());
  EXPECT_TRUE(second->Exchanges().empty());

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
  EXPECT_EQ(StderrOf(Deliver), Found("vendorID=0x10D5 deviceID=0xD", 1));
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
            Found("vendorID=0x10D5 deviceID=0x5504", 1) +
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
            Found("vendorID=0x10D5 deviceID=0x5504", 2) +
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
  EXPECT_EQ(StderrOf(Deliver), Found("vendorID=0x10D5 deviceID=0x5504", 2) +
                                   "HIDGetReport - Could not getReport. Error: -536870163.\n");
  EXPECT_EQ(info.deviceState, 2);
  EXPECT_EQ(info.currentPort, 0);
  EXPECT_EQ(info.portCount, 4);
  EXPECT_EQ(info.autoScanPeriod, 1);
  EXPECT_EQ(info.audioFixed, 1);
  EXPECT_EQ(CurrentIconNumber, 0);
  EXPECT_NE(theTimer, nullptr);
}

}  // namespace
