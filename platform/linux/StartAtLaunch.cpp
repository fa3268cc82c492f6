// Linked into a program on real devices: the device watch starts as the program is loaded, so
// the registry holds the present devices before the program's discovery looks for them.
#include "platform/linux/DeviceWatch.h"

namespace {

[[maybe_unused]] const bool started = [] {
  plat::linux_dev::StartDeviceWatch();
  return true;
}();

}  // namespace
