// Kernel and libusb failures as the statuses the device interfaces return.
#pragma once

#include <string>

#include "platform/MacTypes.h"

namespace plat::linux_dev {

IOReturn StatusFromErrno(int error);
IOReturn StatusFromLibusb(int error);

// Says once per device node, on standard error, that the node exists but the user may not open
// it, and how to grant access. Later refusals of the same node stay quiet.
void ReportNoAccess(const std::string& devnode, unsigned vendor, unsigned product);

}  // namespace plat::linux_dev
