// Plug-ins: IOCreatePlugInInterfaceForService and the plug-in's QueryInterface, which hands out
// the device interface over the backend the service made.
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/IOCFPlugIn.h"
#include "platform/model/iokit/ComObject.h"
#include "platform/model/iokit/DeviceBackends.h"
#include "platform/model/iokit/IOObjects.h"

namespace {

std::atomic<long> liveComObjects{0};

using PlugIn = plat::ComObject<IOCFPlugInInterface, plat::PlugInBackend>;

template <typename Backend>
const std::shared_ptr<Backend>* BackendOf(void* self) {
  return std::get_if<std::shared_ptr<Backend>>(&PlugIn::StateOf(self));
}

HRESULT PlugInQueryInterface(void* self, REFIID iid, LPVOID* out) {
  if (out == nullptr)
    return E_POINTER;
  if (PlugIn::QueryOwn(self, iid, out, kIOCFPlugInInterfaceID) == S_OK)
    return S_OK;
  if (auto hid = BackendOf<plat::HIDDeviceBackend>(self);
      hid != nullptr && plat::SameIID(iid, kIOHIDDeviceInterfaceID122)) {
    *out = plat::NewHIDDeviceInterface(*hid);
    return S_OK;
  }
  if (auto device = BackendOf<plat::USBDeviceBackend>(self);
      device != nullptr && (plat::SameIID(iid, kIOUSBDeviceInterfaceID) ||
                            plat::SameIID(iid, kIOUSBDeviceInterfaceID182))) {
    *out = plat::NewUSBDeviceInterface(*device);
    return S_OK;
  }
  if (auto usbInterface = BackendOf<plat::USBInterfaceBackend>(self);
      usbInterface != nullptr && plat::SameIID(iid, kIOUSBInterfaceInterfaceID182)) {
    *out = plat::NewUSBInterfaceInterface(*usbInterface);
    return S_OK;
  }
  if (auto none = std::get_if<plat::NoDeviceInterface>(&PlugIn::StateOf(self)))
    return none->answer;
  return E_NOINTERFACE;
}

IOCFPlugInInterface plugInTable = {
    nullptr, PlugInQueryInterface, PlugIn::AddRef, PlugIn::Release, 1, 0,
};

}  // namespace

namespace plat {

void CountComObjects(long delta) {
  liveComObjects += delta;
}
long LivePlugInInterfaces() {
  return liveComObjects;
}

bool SameUUID(CFUUIDRef a, CFUUIDRef b) {
  return a != nullptr && b != nullptr && CFUUIDEqualBytes(a->uuid, b->uuid);
}

}  // namespace plat

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef, UInt8 byte0, UInt8 byte1, UInt8 byte2,
                                         UInt8 byte3, UInt8 byte4, UInt8 byte5, UInt8 byte6,
                                         UInt8 byte7, UInt8 byte8, UInt8 byte9, UInt8 byte10,
                                         UInt8 byte11, UInt8 byte12, UInt8 byte13, UInt8 byte14,
                                         UInt8 byte15) {
  const CFUUIDBytes bytes{{byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7, byte8, byte9,
                           byte10, byte11, byte12, byte13, byte14, byte15}};
  // The identifiers of IOCFPlugIn.h are constants already; others are made once and kept.
  for (CFUUIDRef known : {kIUnknownUUID, kIOCFPlugInInterfaceID, kIOHIDDeviceUserClientTypeID,
                          kIOHIDDeviceInterfaceID122, kIOUSBDeviceUserClientTypeID,
                          kIOUSBDeviceInterfaceID, kIOUSBDeviceInterfaceID182,
                          kIOUSBInterfaceUserClientTypeID, kIOUSBInterfaceInterfaceID182}) {
    if (CFUUIDEqualBytes(known->uuid, bytes))
      return known;
  }
  static std::map<std::string, std::unique_ptr<OpaqueCFUUID>> made;
  const std::string key(reinterpret_cast<const char*>(bytes.bytes), sizeof bytes.bytes);
  auto& slot = made[key];
  if (slot == nullptr)
    slot = std::make_unique<OpaqueCFUUID>(OpaqueCFUUID{bytes});
  return slot.get();
}

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) {
  return uuid == nullptr ? CFUUIDBytes{} : uuid->uuid;
}

Boolean CFUUIDEqualBytes(const CFUUIDBytes& a, const CFUUIDBytes& b) {
  return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

kern_return_t IOCreatePlugInInterfaceForService(io_service_t service, CFUUIDRef pluginType,
                                                CFUUIDRef interfaceType,
                                                IOCFPlugInInterface*** theInterface,
                                                SInt32* theScore) {
  if (theInterface == nullptr)
    return kIOReturnBadArgument;
  *theInterface = nullptr;
  if (theScore != nullptr)
    *theScore = 0;
  auto found = plat::ObjectForHandleAs<plat::IOService>(service);
  if (found == nullptr || pluginType == nullptr)
    return kIOReturnBadArgument;
  if (!plat::SameUUID(interfaceType, kIOCFPlugInInterfaceID))
    return kIOReturnUnsupported;
  if (found->IsTerminated())
    return kIOReturnNoDevice;
  plat::PlugInBackend backend;
  const IOReturn made = found->MakePlugIn(pluginType, &backend);
  if (made != kIOReturnSuccess || std::holds_alternative<std::monostate>(backend))
    return made;
  *theInterface = PlugIn::Create(&plugInTable, std::move(backend));
  return kIOReturnSuccess;
}

kern_return_t IODestroyPlugInInterface(IOCFPlugInInterface** interface) {
  if (interface == nullptr)
    return kIOReturnBadArgument;
  (*interface)->Release(interface);
  return kIOReturnSuccess;
}
