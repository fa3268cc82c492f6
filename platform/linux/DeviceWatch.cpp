#include "platform/linux/DeviceWatch.h"

#include <libudev.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "platform/RunLoop.h"
#include "platform/linux/ServiceTree.h"

namespace plat::linux_dev {

namespace {

struct Watch {
  ServiceTree tree{"/"};
  udev* context = nullptr;
  udev_monitor* monitor = nullptr;
};

Watch& TheWatch() {
  static Watch watch;
  return watch;
}

bool Equals(const char* text, std::string_view wanted) {
  return text != nullptr && wanted == text;
}

void OnMonitorReady() {
  Watch& watch = TheWatch();
  // Everything queued is taken now: the descriptor is level-triggered, so anything left wakes
  // the loop again.
  while (udev_device* device = udev_monitor_receive_device(watch.monitor)) {
    const char* action = udev_device_get_action(device);
    const char* subsystem = udev_device_get_subsystem(device);
    const char* syspath = udev_device_get_syspath(device);
    if (syspath != nullptr && Equals(subsystem, "hidraw")) {
      if (Equals(action, "add"))
        watch.tree.HidrawAdded(syspath);
      else if (Equals(action, "remove"))
        watch.tree.HidrawRemoved(syspath);
    } else if (syspath != nullptr && Equals(subsystem, "usb") && Equals(action, "remove")) {
      watch.tree.UsbDeviceRemoved(syspath);
    }
    udev_device_unref(device);
  }
}

udev_monitor* StartMonitor(udev* context) {
  // udevd announces itself with its control socket; its events come after it has applied the
  // rules (and so the access rights) to the new node.
  const char* source = ::access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, source);
  if (monitor == nullptr)
    return nullptr;
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    udev_monitor_unref(monitor);
    return nullptr;
  }
  return monitor;
}

}  // namespace

void StartDeviceWatch() {
  Watch& watch = TheWatch();
  if (watch.context != nullptr)
    return;
  watch.context = udev_new();
  if (watch.context != nullptr)
    watch.monitor = StartMonitor(watch.context);
  if (watch.monitor != nullptr)
    RunLoop::Main().AddSource(udev_monitor_get_fd(watch.monitor), OnMonitorReady);
  // After the monitor is listening, so that a device plugged in meanwhile is not missed (the
  // tree ignores a second arrival of the same device).
  watch.tree.AddPresentDevices();
}

}  // namespace plat::linux_dev
