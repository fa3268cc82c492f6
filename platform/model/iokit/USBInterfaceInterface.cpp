// The USB interface interface table, forwarding to the backend of its plug-in.
#include "platform/IOUSBLib.h"
#include "platform/model/iokit/ComObject.h"
#include "platform/model/iokit/DeviceBackends.h"
#include "platform/model/iokit/DeviceWrites.h"

namespace {

using Interface =
    plat::ComObject<IOUSBInterfaceInterface182, std::shared_ptr<plat::USBInterfaceBackend>>;

plat::USBInterfaceBackend& BackendOf(void* self) {
  return *Interface::StateOf(self);
}

HRESULT QueryInterface(void* self, REFIID iid, LPVOID* out) {
  return Interface::QueryOwn(self, iid, out, kIOUSBInterfaceInterfaceID182);
}

IOReturn Open(void* self) {
  const IOReturn status = BackendOf(self).Open();
  plat::CountDeviceOpen(status);
  return status;
}

IOReturn Close(void* self) {
  return BackendOf(self).Close();
}

IOReturn GetNumEndpoints(void* self, UInt8* count) {
  if (count == nullptr)
    return kIOReturnBadArgument;
  return BackendOf(self).GetNumEndpoints(count);
}

IOReturn GetPipeProperties(void* self, UInt8 pipeRef, UInt8* direction, UInt8* number,
                           UInt8* transferType, UInt16* maxPacketSize, UInt8* interval) {
  if (direction == nullptr || number == nullptr || transferType == nullptr ||
      maxPacketSize == nullptr || interval == nullptr) {
    return kIOReturnBadArgument;
  }
  plat::PipeProperties properties;
  const IOReturn status = BackendOf(self).GetPipeProperties(pipeRef, &properties);
  if (status == kIOReturnSuccess) {
    *direction = properties.direction;
    *number = properties.number;
    *transferType = properties.transferType;
    *maxPacketSize = properties.maxPacketSize;
    *interval = properties.interval;
  }
  return status;
}

IOReturn WritePipe(void* self, UInt8 pipeRef, void* buffer, UInt32 size) {
  if (buffer == nullptr && size > 0)
    return kIOReturnBadArgument;
  const IOReturn status =
      BackendOf(self).WritePipe(pipeRef, static_cast<const UInt8*>(buffer), size);
  plat::CountDeviceWrite(status);
  return status;
}

IOUSBInterfaceInterface182 table = {
    nullptr, QueryInterface,  Interface::AddRef, Interface::Release, Open,
    Close,   GetNumEndpoints, GetPipeProperties, WritePipe,
};

}  // namespace

namespace plat {
IOUSBInterfaceInterface182** NewUSBInterfaceInterface(
    std::shared_ptr<USBInterfaceBackend> backend) {
  return Interface::Create(&table, std::move(backend));
}
}  // namespace plat
