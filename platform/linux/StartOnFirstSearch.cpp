// Linked into a program on real devices: the device watch is handed to the registry, which
// starts it when the program first looks for devices. Nothing is read before main; the present
// devices are in the registry before the program's discovery matches against them.
#include "platform/linux/DeviceWatch.h"
#include "platform/model/iokit/IORegistry.h"

namespace {

[[maybe_unused]] const bool installed =
    (plat::IORegistry::SetBackendStart(&plat::linux_dev::StartDeviceWatch), true);

}  // namespace
