// A sysfs tree in a temporary folder, laid out as the kernel lays out a USB HID device:
// devices/.../usb1/1-N/1-N:1.0/0003:VVVV:PPPP.000K/hidraw/hidrawK, with class/hidraw links.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class FakeSysfs {
 public:
  FakeSysfs();
  ~FakeSysfs();
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  struct Device {
    std::uint16_t vendor = 0x10D5;
    std::uint16_t product = 0x55FF;
    std::string uniq;
    std::vector<std::uint8_t> reportDescriptor;
  };
  // Adds a USB device with one HID interface; returns the hidraw device folder.
  std::filesystem::path AddUsbHid(const Device& device);
  // Adds a HID device that no USB device carries, as /dev/uhid makes them:
  // devices/virtual/misc/uhid/0003:VVVV:PPPP.000K/hidraw/hidrawK.
  std::filesystem::path AddVirtualHid(const Device& device);
  // The USB device folder above a hidraw folder.
  static std::filesystem::path UsbDeviceOf(const std::filesystem::path& hidraw);
  const std::filesystem::path& Root() const { return root_; }

 private:
  std::filesystem::path AddHid(const Device& device, bool onUsb);
  std::filesystem::path root_;
  int next_ = 0;
};
