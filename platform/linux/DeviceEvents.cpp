#include "platform/linux/DeviceEvents.h"

namespace plat::linux_dev {

namespace fs = std::filesystem;

namespace {

bool IsUsbDevice(const UdevDevice& device) {
  return device.subsystem == "usb" && device.devtype == "usb_device";
}

}  // namespace

void DeviceEvents::Start(const std::vector<UdevDevice>& present) {
  std::vector<fs::path> usb;
  for (const UdevDevice& device : present) {
    if (IsUsbDevice(device))
      usb.push_back(device.syspath);
  }
  tree_.ReattachOrphanedHidInterfaces(usb);
  Rescan(present);
}

void DeviceEvents::Rescan(const std::vector<UdevDevice>& present) {
  std::vector<fs::path> usb;
  std::vector<fs::path> hidraw;
  for (const UdevDevice& device : present) {
    if (udevdRuns_ && !device.initialized)
      continue;
    if (IsUsbDevice(device))
      usb.push_back(device.syspath);
    else if (device.subsystem == "hidraw")
      hidraw.push_back(device.syspath);
  }
  tree_.Rescan(usb, hidraw);
}

void DeviceEvents::Handle(const UdevDevice& event) {
  const bool arrived = event.action == "add" || event.action == "bind";
  if (event.subsystem == "hidraw") {
    if (arrived)
      tree_.HidrawAdded(event.syspath);
    else if (event.action == "remove")
      tree_.HidrawRemoved(event.syspath);
    else if (event.action == "change")
      tree_.Changed(event.syspath);
  } else if (IsUsbDevice(event)) {
    if (arrived)
      tree_.UsbDeviceAdded(event.syspath);
    else if (event.action == "remove")
      tree_.UsbDeviceRemoved(event.syspath);
    else if (event.action == "change")
      tree_.Changed(event.syspath);
  }
}

}  // namespace plat::linux_dev
