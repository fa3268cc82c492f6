// What the device watch does with what udev tells: the devices present at the start, each event
// of the hidraw and usb subsystems, and a fresh look after events were lost. Knows nothing of
// libudev itself, so recorded events can drive it in tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/ServiceTree.h"

namespace plat::linux_dev {

struct UdevDevice {
  std::string action;     // "add", "remove", "change", "bind", ...; empty when enumerated
  std::string subsystem;  // "hidraw" or "usb"
  std::string devtype;    // "usb_device" for a USB device
  std::filesystem::path syspath;
  // Whether udevd has run its rules (and so set the access rights) for the device.
  bool initialized = true;
};

class DeviceEvents {
 public:
  // `udevdRuns`: devices not yet initialised by udevd are left for the event that announces
  // them; without udevd nothing ever initialises them, and they are taken as they are.
  DeviceEvents(ServiceTree& tree, bool udevdRuns) : tree_(tree), udevdRuns_(udevdRuns) {}

  void Start(const std::vector<UdevDevice>& present);
  void Handle(const UdevDevice& event);
  // After the monitor lost events: drops what went, adds what came.
  void Rescan(const std::vector<UdevDevice>& present);

 private:
  ServiceTree& tree_;
  bool udevdRuns_;
};

}  // namespace plat::linux_dev
