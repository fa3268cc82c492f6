#include "FakeSysfs.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

FakeSysfs::FakeSysfs() {
  std::string pattern = (fs::temp_directory_path() / "tallowmere-sysfs-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  fs::create_directories(root_ / "sys/class/hidraw");
}

FakeSysfs::~FakeSysfs() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

fs::path FakeSysfs::AddUsbHid(const Device& device) {
  return AddHid(device, true);
}

fs::path FakeSysfs::AddVirtualHid(const Device& device) {
  return AddHid(device, false);
}

fs::path FakeSysfs::AddHid(const Device& device, bool onUsb) {
  const int n = next_++;
  char ids[64];
  std::snprintf(ids, sizeof ids, "%04x", device.vendor);
  const std::string vendor = ids;
  std::snprintf(ids, sizeof ids, "%04x", device.product);
  const std::string product = ids;
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
    Write(usb / "idVendor", vendor + "\n");
    Write(usb / "idProduct", product + "\n");
    Write(usb / "uevent",
          "DEVTYPE=usb_device\nDEVNAME=bus/usb/001/00" + std::to_string(n + 2) + "\n");
    Write(interface / "bInterfaceNumber", "00\n");
  }
  Write(hid / "uevent", "HID_ID=0003:0000" + std::string(ids + 5, 4) + ":0000" +
                            std::string(ids + 10, 4) + "\nHID_UNIQ=" + device.uniq + "\n");
  Write(hid / "report_descriptor",
        std::string(device.reportDescriptor.begin(), device.reportDescriptor.end()));
  Write(hidraw / "uevent", "DEVNAME=hidraw" + std::to_string(n) + "\n");
  fs::create_directory_symlink(fs::relative(hidraw, root_ / "sys/class/hidraw"),
                               root_ / "sys/class/hidraw" / hidraw.filename());
  return hidraw;
}

fs::path FakeSysfs::UsbDeviceOf(const fs::path& hidraw) {
  return hidraw.parent_path().parent_path().parent_path().parent_path();
}
