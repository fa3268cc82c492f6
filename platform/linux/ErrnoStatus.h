// Kernel and libusb failures as the statuses the device interfaces return.
#pragma once

#include <filesystem>
#include <string>

#include "platform/MacTypes.h"

namespace plat::linux_dev {

IOReturn StatusFromErrno(int error);
IOReturn StatusFromLibusb(int error);

// Whether udev's record of a device node (run/udev/data/cMAJ:MIN) carries the `uaccess` tag, that
// is, whether the rule has been applied to it.
bool HasUaccessTag(const std::filesystem::path& udevRecord);

// Says on standard error that the node exists but the user may not open it, and why: without
// the `uaccess` tag the rule is not installed or not applied; with it, udev gives access only to
// the active local session at the seat. Said once per node and cause.
void ReportNoAccess(const std::string& devnode, unsigned vendor, unsigned product, bool tagged);

}  // namespace plat::linux_dev
