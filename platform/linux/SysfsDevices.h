// What the registry learns about a hidraw device from sysfs: its HID identity and serial number,
// its largest feature report, and the USB interface and device it belongs to. Reads files only
// (no libudev), below a root folder that is "/" on a running system and a fake tree in tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/Uevent.h"

namespace plat::linux_dev {

struct UsbDeviceInfo {
  std::filesystem::path syspath;
  std::uint32_t vendor = 0;
  std::uint32_t product = 0;
  std::filesystem::path devnode;  // the usbfs node, e.g. /dev/bus/usb/001/004
};

struct HidrawInfo {
  std::filesystem::path syspath;  // the hidrawN device folder
  std::filesystem::path devnode;  // /dev/hidrawN
  HidIdentity identity;
  std::optional<std::string> serialNumber;
  // Nothing when the report descriptor is missing or malformed.
  std::optional<std::uint32_t> maxFeatureReportSize;
  // The USB interface the HID device sits on and its USB device; empty for HID devices on other
  // buses (Bluetooth, I2C, uhid).
  std::filesystem::path interfaceSyspath;
  int interfaceNumber = -1;
  std::optional<UsbDeviceInfo> usb;
};

// The device folders of every hidraw device under root/sys/class/hidraw, sorted by name.
std::vector<std::filesystem::path> HidrawSyspaths(const std::filesystem::path& root);

// Nothing when `syspath` is not a hidraw device whose HID device has a readable HID_ID.
std::optional<HidrawInfo> DescribeHidraw(const std::filesystem::path& root,
                                         const std::filesystem::path& syspath);

// The USB device in folder `syspath`, or nothing when it is not one (no idVendor/idProduct).
std::optional<UsbDeviceInfo> DescribeUsbDevice(const std::filesystem::path& root,
                                               const std::filesystem::path& syspath);

}  // namespace plat::linux_dev
