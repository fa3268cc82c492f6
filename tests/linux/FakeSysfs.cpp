#include "FakeSysfs.h"

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  Write(path, std::string(bytes.begin(), bytes.end()));
}

// One configuration (value 1) with HID interface 0 and its interrupt IN endpoint 0x81.
const std::vector<std::uint8_t> kHidConfiguration = {9, 2, 25, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0,
                                                     1, 3, 0,  0, 0, 7, 5, 0x81, 3,  8, 0, 10};

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value);
  return text;
}

}  // namespace

FakeSysfs::FakeSysfs() {
  fs::create_directories(root_ / "sys/class/hidraw");
}

fs::path FakeSysfs::AddUsbHid(const Device& device) {
  return AddHid(device, true);
}

fs::path FakeSysfs::AddVirtualHid(const Device& device) {
  return AddHid(device, false);
}

fs::path FakeSysfs::AddUsbDevice(std::uint16_t vendor, std::uint16_t product) {
  return MakeUsbDevice(Device(vendor, product), next_++);
}

fs::path FakeSysfs::MakeUsbDevice(const Device& device, int n) {
  const std::string name = "1-" + std::to_string(n + 1);
  const fs::path usb = root_ / "sys/devices/pci0000:00/0000:00:14.0/usb1" / name;
  fs::create_directories(usb);
  Write(usb / "idVendor", Hex4(device.vendor) + "\n");
  Write(usb / "idProduct", Hex4(device.product) + "\n");
  Write(usb / "uevent",
        "DEVTYPE=usb_device\nDEVNAME=bus/usb/001/00" + std::to_string(n + 2) + "\n");
  Write(usb / "dev", "189:" + std::to_string(n + 1) + "\n");
  Write(usb / "bConfigurationValue", "1\n");
  std::vector<std::uint8_t> descriptors = {18, 1, 0, 2, 0, 0, 0, 64};
  for (unsigned word : {unsigned{device.vendor}, unsigned{device.product}, 0x100u}) {
    descriptors.push_back(static_cast<std::uint8_t>(word & 0xFF));
    descriptors.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  descriptors.insert(descriptors.end(), {1, 2, device.serialIndex, 1});
  const auto& configurations =
      device.configurations.empty() ? kHidConfiguration : device.configurations;
  descriptors.insert(descriptors.end(), configurations.begin(), configurations.end());
  Write(usb / "descriptors", descriptors);
  fs::create_directories(root_ / "sys/bus/usb/devices");
  fs::create_directory_symlink(fs::relative(usb, root_ / "sys/bus/usb/devices"),
                               root_ / "sys/bus/usb/devices" / name);
  return usb;
}

fs::path FakeSysfs::AddHid(const Device& device, bool onUsb) {
  const int n = next_++;
  char ids[64];
  std::snprintf(ids, sizeof ids, "0003:%04X:%04X.%04X", device.vendor, device.product, n + 1);
  const std::string hidName = ids;

  const fs::path usb =
      root_ / "sys/devices/pci0000:00/0000:00:14.0/usb1" / ("1-" + std::to_string(n + 1));
  const fs::path interface = usb / ("1-" + std::to_string(n + 1) + ":1.0");
  const fs::path hid =
      onUsb ? interface / hidName : root_ / "sys/devices/virtual/misc/uhid" / hidName;
  const fs::path hidraw = hid / "hidraw" / ("hidraw" + std::to_string(n));
  fs::create_directories(hidraw);
  if (onUsb) {
    MakeUsbDevice(device, n);
    Write(interface / "bInterfaceNumber", "00\n");
    Write(interface / "bInterfaceClass", "03\n");
    if (!device.interfaceDriver.empty()) {
      const fs::path driver = root_ / "sys/bus/usb/drivers" / device.interfaceDriver;
      fs::create_directories(driver);
      fs::create_directory_symlink(fs::relative(driver, interface), interface / "driver");
    }
  }
  Write(hid / "uevent", "HID_ID=0003:0000" + std::string(ids + 5, 4) + ":0000" +
                            std::string(ids + 10, 4) + "\nHID_UNIQ=" + device.uniq + "\n");
  Write(hid / "report_descriptor", device.reportDescriptor);
  Write(hidraw / "uevent", "DEVNAME=hidraw" + std::to_string(n) + "\n");
  Write(hidraw / "dev", std::to_string(kHidrawMajor) + ":" + std::to_string(n) + "\n");
  fs::create_directory_symlink(fs::relative(hidraw, root_ / "sys/class/hidraw"),
                               root_ / "sys/class/hidraw" / hidraw.filename());
  return hidraw;
}

fs::path FakeSysfs::UsbDeviceOf(const fs::path& hidraw) {
  return hidraw.parent_path().parent_path().parent_path().parent_path();
}
