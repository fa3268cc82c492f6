// A sysfs tree in a temporary folder, laid out as the kernel lays out a USB HID device:
// devices/.../usb1/1-N/1-N:1.0/0003:VVVV:PPPP.000K/hidraw/hidrawK, with class/hidraw links.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/ScratchFolder.h"

class FakeSysfs {
 public:
  FakeSysfs();

  struct Device {
    Device(std::uint16_t vendorID = 0x10D5, std::uint16_t productID = 0x55FF,
           std::string hidUniq = {}, std::vector<std::uint8_t> descriptor = {})
        : vendor(vendorID),
          product(productID),
          uniq(std::move(hidUniq)),
          reportDescriptor(std::move(descriptor)) {}
    std::uint16_t vendor;
    std::uint16_t product;
    std::string uniq;
    std::vector<std::uint8_t> reportDescriptor;
    // The USB device's: iSerialNumber, and the descriptors of its configurations after the
    // device descriptor (none: one configuration, value 1, with the HID interface 0).
    std::uint8_t serialIndex = 0;
    std::vector<std::uint8_t> configurations;
    std::string interfaceDriver = "usbhid";  // empty: no driver bound
  };
  // The number of the `dev` files: hidraw nodes are 244:N, USB devices 189:N.
  static constexpr unsigned kHidrawMajor = 244;
  // Adds a USB device with one HID interface; returns the hidraw device folder.
  std::filesystem::path AddUsbHid(const Device& device);
  // Adds a HID device that no USB device carries, as /dev/uhid makes them:
  // devices/virtual/misc/uhid/0003:VVVV:PPPP.000K/hidraw/hidrawK.
  std::filesystem::path AddVirtualHid(const Device& device);
  // A USB device with no HID interface; returns its folder.
  std::filesystem::path AddUsbDevice(std::uint16_t vendor, std::uint16_t product);
  // The USB device folder above a hidraw folder.
  static std::filesystem::path UsbDeviceOf(const std::filesystem::path& hidraw);
  const std::filesystem::path& Root() const { return folder_.path(); }

 private:
  std::filesystem::path AddHid(const Device& device, bool onUsb);
  std::filesystem::path MakeUsbDevice(const Device& device, int n);
  ScratchFolder folder_{"tallowmere-sysfs-"};
  const std::filesystem::path& root_ = folder_.path();
  int next_ = 0;
};
