#include "platform/model/iokit/DeviceWrites.h"

#include "platform/MacTypes.h"

namespace plat {
namespace {

DeviceWrites& Figures() {
  static DeviceWrites figures;
  return figures;
}

}  // namespace

const DeviceWrites& DeviceWritesSoFar() {
  return Figures();
}

void CountDeviceWrite(IOReturn status) {
  ++Figures().count;
  Figures().lastStatus = status;
}

void CountDeviceOpen(IOReturn status) {
  if (status == kIOReturnNotPrivileged || status == kIOReturnNotPermitted)
    ++Figures().refusedOpens;
}

void NoteAccessRefused(const std::string& node) {
  Figures().refusedNode = node;
}

}  // namespace plat
