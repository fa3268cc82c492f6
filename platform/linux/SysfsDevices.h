// What the registry learns about a hidraw device from sysfs: its HID identity and serial number,
// its largest feature report, and the USB interface and device it belongs to. Reads files only
// (no libudev), below a root folder that is "/" on a running system and a fake tree in tests.
#pragma once

#include <sys/types.h>

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
  std::optional<dev_t> number;    // sysfs `dev`: what the node must be when it is opened
  std::filesystem::path udevRecord;
  std::uint8_t serialIndex = 0;  // iSerialNumber of the device descriptor
};

// A USB interface of the active configuration, as sysfs shows it.
struct UsbInterfaceInfo {
  std::filesystem::path syspath;
  int number = -1;
  int interfaceClass = -1;
  std::string driver;            // the bound kernel driver's name; empty when none is bound
  std::filesystem::path hidraw;  // the hidraw device folder of its HID device, if any
};

struct HidrawInfo {
  std::filesystem::path syspath;  // the hidrawN device folder
  std::filesystem::path devnode;  // /dev/hidrawN
  std::optional<dev_t> number;    // sysfs `dev`
  std::filesystem::path udevRecord;
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

// The folders of every USB device (not interface) under root/sys/bus/usb/devices, sorted.
std::vector<std::filesystem::path> UsbDeviceSyspaths(const std::filesystem::path& root);

// The interfaces of the USB device in `syspath`, in interface order.
std::vector<UsbInterfaceInfo> UsbInterfacesOf(const std::filesystem::path& syspath);

// The `descriptors` file of a USB device and its active configuration's value (0: unconfigured).
std::optional<std::vector<std::uint8_t>> ReadUsbDescriptors(const std::filesystem::path& syspath);
std::uint8_t ActiveConfiguration(const std::filesystem::path& syspath);

// The USB device in folder `syspath`, or nothing when it is not one (no idVendor/idProduct).
std::optional<UsbDeviceInfo> DescribeUsbDevice(const std::filesystem::path& root,
                                               const std::filesystem::path& syspath);

}  // namespace plat::linux_dev
