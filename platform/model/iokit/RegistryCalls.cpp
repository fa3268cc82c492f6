// The registry's calls: the master port, matching dictionaries and the one-shot search.
#include <set>

#include "platform/IOKitLib.h"
#include "platform/model/iokit/IORegistry.h"

namespace {

// Port names: the task's own, its bootstrap port, and master ports handed out from here on.
constexpr mach_port_t kTaskPort = 0x103;
constexpr mach_port_t kBootstrapPort = 0x707;
mach_port_t nextMasterPort = 0xB03;
std::set<mach_port_t>& MasterPorts() {
  static std::set<mach_port_t> ports;
  return ports;
}

}  // namespace

long plat::LiveMasterPorts() {
  return static_cast<long>(MasterPorts().size());
}

const mach_port_t bootstrap_port = kBootstrapPort;

mach_port_t mach_task_self() {
  return kTaskPort;
}

kern_return_t IOMasterPort(mach_port_t, mach_port_t* masterPort) {
  if (masterPort == nullptr)
    return kIOReturnBadArgument;
  *masterPort = nextMasterPort++;
  MasterPorts().insert(*masterPort);
  return KERN_SUCCESS;
}

kern_return_t mach_port_deallocate(mach_port_t task, mach_port_t name) {
  if (task != kTaskPort || MasterPorts().erase(name) == 0)
    return KERN_INVALID_NAME;
  return KERN_SUCCESS;
}

CFMutableDictionaryRef IOServiceMatching(const char* name) {
  if (name == nullptr)
    return nullptr;
  CFMutableDictionaryRef matching = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  plat::CFHolder className(plat::MakeCFString(name));
  CFDictionarySetValue(matching, CFSTR(kIOProviderClassKey), className.get());
  return matching;
}

kern_return_t IOServiceGetMatchingServices(mach_port_t, CFDictionaryRef matching,
                                           io_iterator_t* existing) {
  if (matching == nullptr)
    return kIOReturnBadArgument;
  plat::CFHolder consumed(matching);
  if (existing == nullptr)
    return kIOReturnBadArgument;
  plat::IORegistry::StartBackend();
  *existing = plat::MakeIteratorHandle(plat::IORegistry::Shared().MatchingServices(matching));
  return KERN_SUCCESS;
}
