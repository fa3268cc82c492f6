// Real devices in the registry: the hidraw and USB devices present when the program starts, and
// those plugged in or out later, told by one udev monitor whose descriptor sits in the run loop.
#pragma once

namespace plat::linux_dev {

// Walks sysfs once and starts the monitor; later calls do nothing. Without udevd (a container,
// a minimal system) the monitor listens to the kernel's own uevents instead.
void StartDeviceWatch();

}  // namespace plat::linux_dev
