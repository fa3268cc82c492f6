#include "platform/linux/DeviceWatch.h"

#include <libudev.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/linux/DeviceEvents.h"
#include "platform/linux/ServiceTree.h"

namespace plat::linux_dev {

namespace {

// Room for the burst of events a resume or a replugged hub brings; past it the kernel drops
// events (ENOBUFS) and the watch looks again.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

struct Watch {
  ServiceTree tree{"/"};
  udev* context = nullptr;
  udev_monitor* monitor = nullptr;
  bool udevdRuns = false;
  std::optional<DeviceEvents> events;
};

Watch& TheWatch() {
  static Watch watch;
  return watch;
}

std::string Text(const char* value) {
  return value != nullptr ? value : "";
}

UdevDevice Describe(udev_device* device) {
  return {Text(udev_device_get_action(device)), Text(udev_device_get_subsystem(device)),
          Text(udev_device_get_devtype(device)), Text(udev_device_get_syspath(device)),
          udev_device_get_is_initialized(device) > 0};
}

std::vector<UdevDevice> PresentDevices(udev* context) {
  std::vector<UdevDevice> present;
  udev_enumerate* enumerate = udev_enumerate_new(context);
  if (enumerate == nullptr)
    return present;
  udev_enumerate_add_match_subsystem(enumerate, "hidraw");
  udev_enumerate_add_match_subsystem(enumerate, "usb");
  udev_enumerate_scan_devices(enumerate);
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
    udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
    if (device == nullptr)
      continue;
    present.push_back(Describe(device));
    udev_device_unref(device);
  }
  udev_enumerate_unref(enumerate);
  return present;
}

void OnMonitorReady() {
  Watch& watch = TheWatch();
  // Everything queued is taken now: the descriptor is level-triggered, so anything left wakes
  // the loop again.
  while (true) {
    errno = 0;
    udev_device* device = udev_monitor_receive_device(watch.monitor);
    if (device == nullptr) {
      if (errno == ENOBUFS)
        watch.events->Rescan(PresentDevices(watch.context));
      return;
    }
    watch.events->Handle(Describe(device));
    udev_device_unref(device);
  }
}

udev_monitor* StartMonitor(udev* context, bool udevdRuns) {
  // udevd's events come after it has applied the rules (and so the access rights) to the node;
  // without it, the kernel's own.
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, udevdRuns ? "udev" : "kernel");
  if (monitor == nullptr)
    return nullptr;
  // A failure leaves the default size: the rescan on ENOBUFS covers what is lost.
  udev_monitor_set_receive_buffer_size(monitor, kReceiveBufferBytes);
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
  // udevd announces itself with its control socket.
  watch.udevdRuns = ::access("/run/udev/control", F_OK) == 0;
  watch.events.emplace(watch.tree, watch.udevdRuns);
  if (watch.context != nullptr)
    watch.monitor = StartMonitor(watch.context, watch.udevdRuns);
  if (watch.monitor != nullptr)
    RunLoop::Main().AddSource(udev_monitor_get_fd(watch.monitor), OnMonitorReady);
  // After the monitor is listening, so that a device plugged in meanwhile is not missed (the
  // tree ignores a second arrival of the same device).
  if (watch.context != nullptr)
    watch.events->Start(PresentDevices(watch.context));
  else
    watch.tree.AddPresentDevices();
}

}  // namespace plat::linux_dev
