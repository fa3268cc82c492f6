// The device watch driven by recorded udev events over fake sysfs trees: what it takes at the
// start, what each event does to the registry's services, the new chance a `change` gives a
// node the user could not open, the rescan after lost events, and what it asks of USB devices
// themselves (the serial number the kernel could not give, an interface left without driver).
#include <gtest/gtest.h>

#include "FakeHidraw.h"
#include "FakeSysfs.h"
#include "platform/linux/DeviceEvents.h"
#include "platform/model/iokit/IORegistry.h"

using namespace plat::linux_dev;
namespace fs = std::filesystem;

namespace {

class DeviceWatchTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::IORegistry::Shared().Reset(); }

  UsbDeviceRequests Requests() {
    return {[this](const UsbDeviceInfo&, std::uint8_t index,
                   bool* refused) -> std::optional<std::string> {
              stringsRead.push_back(index);
              *refused = serialRefused;
              return serial;
            },
            [this](const UsbDeviceInfo& device, int number) {
              reattached.emplace_back(device.syspath, number);
            }};
  }
  static UdevDevice Hidraw(const fs::path& syspath, const char* action = "") {
    return {action, "hidraw", "", syspath, true};
  }
  static UdevDevice Usb(const fs::path& syspath, const char* action = "") {
    return {action, "usb", "usb_device", syspath, true};
  }

  FakeSysfs sysfs;
  std::shared_ptr<FakeHidraw> kernel = std::make_shared<FakeHidraw>();
  std::optional<std::string> serial;
  bool serialRefused = false;
  std::vector<std::uint8_t> stringsRead;
  std::vector<std::pair<fs::path, int>> reattached;
  ServiceTree tree{sysfs.Root(), Requests(), kernel};
};

}  // namespace

TEST_F(DeviceWatchTest, DevicesUdevHasNotInitialisedWaitForTheirAnnouncement) {
  const auto hidraw = sysfs.AddUsbHid({0x10D5, 0x5501, "", {}});
  const auto usb = FakeSysfs::UsbDeviceOf(hidraw);
  struct Case {
    bool udevdRuns;
    bool initialized;
    bool takenAtStart;
  };
  for (const Case c :
       {Case{true, false, false}, Case{true, true, true}, Case{false, false, true}}) {
    ServiceTree fresh(sysfs.Root(), Requests(), kernel);
    DeviceEvents events(fresh, c.udevdRuns);
    auto present = std::vector{Usb(usb), Hidraw(hidraw)};
    for (auto& device : present)
      device.initialized = c.initialized;
    events.Start(present);
    EXPECT_EQ(fresh.HidService(hidraw) != nullptr, c.takenAtStart);
    EXPECT_EQ(fresh.UsbService(usb) != nullptr, c.takenAtStart);
    // udevd's "add" comes once its rules have run.
    events.Handle(Usb(usb, "add"));
    events.Handle(Hidraw(hidraw, "add"));
    EXPECT_NE(fresh.HidService(hidraw), nullptr);
    TearDown();
  }
}

TEST_F(DeviceWatchTest, RecordedEventsAddAndRemoveUsbAndHidrawServices) {
  DeviceEvents events(tree, true);
  events.Start({});
  const auto usbOnly = sysfs.AddUsbDevice(0x10D5, 0x000D);
  const auto hidraw = sysfs.AddUsbHid({0x10D5, 0x5501, "", {}});
  const auto usb = FakeSysfs::UsbDeviceOf(hidraw);
  // As `udevadm monitor --udev` shows a plug-in: the USB device, its interface, the hidraw node.
  events.Handle(Usb(usbOnly, "add"));
  events.Handle(Usb(usb, "add"));
  events.Handle({"add", "usb", "usb_interface", usb / "1-2:1.0", true});
  events.Handle({"bind", "usb", "usb_device", usb, true});
  events.Handle(Hidraw(hidraw, "add"));
  const auto usbService = tree.UsbService(usb);
  ASSERT_NE(usbService, nullptr);
  ASSERT_NE(tree.UsbService(usbOnly), nullptr);  // a USB device with no hidraw node yet
  ASSERT_NE(tree.HidService(hidraw), nullptr);
  EXPECT_EQ(tree.HidService(hidraw)->Parent()->Parent(), usbService);
  EXPECT_EQ(plat::IORegistry::Shared().Services().size(), 4u);

  // The hidraw node goes and comes (a driver detached and given back): the USB device stays.
  const auto first = tree.HidService(hidraw);
  events.Handle(Hidraw(hidraw, "remove"));
  EXPECT_TRUE(first->IsTerminated());
  EXPECT_FALSE(usbService->IsTerminated());
  events.Handle(Hidraw(hidraw, "add"));
  ASSERT_NE(tree.HidService(hidraw), nullptr);
  EXPECT_NE(tree.HidService(hidraw), first);
  EXPECT_EQ(tree.HidService(hidraw)->Parent()->Parent(), usbService);
  events.Handle(Usb(usb, "remove"));
  events.Handle(Usb(usbOnly, "remove"));
  EXPECT_TRUE(usbService->IsTerminated());
  EXPECT_TRUE(plat::IORegistry::Shared().Services().empty());
}

TEST_F(DeviceWatchTest, AChangeOfARefusedNodeMakesItsServicesAgain) {
  const auto hidraw = sysfs.AddUsbHid({0x10D5, 0x5501, "", {}});
  DeviceEvents events(tree, true);
  events.Start({Usb(FakeSysfs::UsbDeviceOf(hidraw)), Hidraw(hidraw)});
  const auto open = [&] {
    plat::PlugInBackend made;
    EXPECT_EQ(tree.HidService(hidraw)->MakePlugIn(kIOHIDDeviceUserClientTypeID, &made),
              kIOReturnSuccess);
    return std::get<std::shared_ptr<plat::HIDDeviceBackend>>(made)->Open(0);
  };
  kernel->openError = EACCES;
  testing::internal::CaptureStderr();
  EXPECT_EQ(open(), kIOReturnNotPrivileged);
  testing::internal::GetCapturedStderr();
  const auto refused = tree.HidService(hidraw);
  // `udevadm trigger` after the rule is installed: the node may open now, discovery sees it
  // arrive again.
  kernel->openError = 0;
  events.Handle(Hidraw(hidraw, "change"));
  EXPECT_TRUE(refused->IsTerminated());
  const auto renewed = tree.HidService(hidraw);
  ASSERT_NE(renewed, nullptr);
  EXPECT_NE(renewed, refused);
  EXPECT_EQ(open(), kIOReturnSuccess);
  // A change of a node that opened is nothing new.
  events.Handle(Hidraw(hidraw, "change"));
  EXPECT_EQ(tree.HidService(hidraw), renewed);

  // A version-1 switch whose serial number (cut from HID_UNIQ) the user could not read from the
  // USB device: the USB device's change makes it again, serial number and all.
  FakeSysfs::Device version1{0x10D5, 0x000D, ""};
  version1.serialIndex = 3;
  const auto v1Hidraw = sysfs.AddUsbHid(version1);
  const auto v1Usb = FakeSysfs::UsbDeviceOf(v1Hidraw);
  serialRefused = true;
  events.Handle(Usb(v1Usb, "add"));
  events.Handle(Hidraw(v1Hidraw, "add"));
  plat::CFHolder key(plat::MakeCFString("SerialNumber"));
  EXPECT_EQ(CFDictionaryGetValue(tree.HidService(v1Hidraw)->Properties(), key.get()), nullptr);
  serialRefused = false;
  serial = std::string("\0AB", 3);
  events.Handle(Usb(v1Usb, "change"));
  ASSERT_NE(tree.HidService(v1Hidraw), nullptr);
  EXPECT_NE(CFDictionaryGetValue(tree.HidService(v1Hidraw)->Properties(), key.get()), nullptr);
}

TEST_F(DeviceWatchTest, ARescanAfterLostEventsRemovesTheGoneAndAddsTheNew) {
  const auto kept = sysfs.AddUsbHid({0x10D5, 0x5501, "", {}});
  const auto gone = sysfs.AddUsbHid({0x10D5, 0x5502, "", {}});
  DeviceEvents events(tree, true);
  events.Start({Usb(FakeSysfs::UsbDeviceOf(kept)), Hidraw(kept), Usb(FakeSysfs::UsbDeviceOf(gone)),
                Hidraw(gone)});
  const auto keptService = tree.HidService(kept);
  const auto goneService = tree.HidService(gone);
  const auto came = sysfs.AddUsbHid({0x10D5, 0x5503, "", {}});
  events.Rescan({Usb(FakeSysfs::UsbDeviceOf(kept)), Hidraw(kept), Usb(FakeSysfs::UsbDeviceOf(came)),
                 Hidraw(came)});
  EXPECT_EQ(tree.HidService(kept), keptService);
  EXPECT_TRUE(goneService->IsTerminated());
  EXPECT_EQ(tree.UsbService(FakeSysfs::UsbDeviceOf(gone)), nullptr);
  EXPECT_NE(tree.HidService(came), nullptr);
}

TEST_F(DeviceWatchTest, SerialNumberComesFromTheUsbDeviceWhenHidUniqHasNone) {
  struct Case {
    const char* uniq;
    std::uint8_t serialIndex;
    std::optional<std::string> fromDevice;
    std::optional<std::string> serialNumber;
    std::size_t reads;
  };
  const Case cases[] = {
      {"S1", 3, "XX", "S1", 0},                                    // HID_UNIQ has it
      {"", 3, std::string("\0AB", 3), std::string("\0AB", 3), 1},  // cut at U+0000
      {"", 0, "XX", std::nullopt, 0},                              // the device has none
      {"", 3, std::nullopt, std::nullopt, 1},                      // could not be read
      {"", 3, "", std::nullopt, 1},                                // an empty string
  };
  for (const Case& c : cases) {
    FakeSysfs::Device device{0x10D5, 0x000D, c.uniq, {}};
    device.serialIndex = c.serialIndex;
    const auto hidraw = sysfs.AddUsbHid(device);
    serial = c.fromDevice;
    stringsRead.clear();
    tree.HidrawAdded(hidraw);
    const auto service = tree.HidService(hidraw);
    ASSERT_NE(service, nullptr);
    plat::CFHolder key(plat::MakeCFString("SerialNumber"));
    const auto value =
        static_cast<CFStringRef>(CFDictionaryGetValue(service->Properties(), key.get()));
    ASSERT_EQ(value != nullptr, c.serialNumber.has_value()) << c.uniq;
    if (value != nullptr) {
      EXPECT_EQ(CFStringGetLength(value), static_cast<CFIndex>(c.serialNumber->size()));
      char16_t units[4] = {1, 1, 1, 1};
      ASSERT_TRUE(CFStringGetCString(value, reinterpret_cast<char*>(units), sizeof units,
                                     kCFStringEncodingUnicode));
      EXPECT_EQ(units[0], static_cast<char16_t>((*c.serialNumber)[0]));
    }
    EXPECT_EQ(stringsRead.size(), c.reads);
    if (c.reads > 0) {
      EXPECT_EQ(stringsRead[0], c.serialIndex);
    }
  }
}

TEST_F(DeviceWatchTest, AHidInterfaceLeftWithoutADriverIsHandedBackAtTheStart) {
  FakeSysfs::Device orphan{0x10D5, 0x000D, "S1", {}};
  orphan.interfaceDriver = "";
  const auto orphaned = FakeSysfs::UsbDeviceOf(sysfs.AddUsbHid(orphan));
  const auto bound = FakeSysfs::UsbDeviceOf(sysfs.AddUsbHid({0x10D5, 0x000D, "S2", {}}));
  DeviceEvents events(tree, true);
  events.Start({Usb(orphaned), Usb(bound)});
  EXPECT_EQ(reattached, (std::vector<std::pair<fs::path, int>>{{orphaned, 0}}));
  // Only at the start: later events leave interfaces alone.
  events.Handle(Usb(orphaned, "change"));
  EXPECT_EQ(reattached.size(), 1u);
}
