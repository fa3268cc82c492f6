// The USB device interface table, forwarding to the backend of its plug-in.
#include "platform/IOUSBLib.h"
#include "platform/model/iokit/ComObject.h"
#include "platform/model/iokit/DeviceBackends.h"
#include "platform/model/iokit/DeviceWrites.h"
#include "platform/model/iokit/IOObjects.h"

namespace {

using Device = plat::ComObject<IOUSBDeviceInterface182, std::shared_ptr<plat::USBDeviceBackend>>;

plat::USBDeviceBackend& BackendOf(void* self) {
  return *Device::StateOf(self);
}

HRESULT QueryInterface(void* self, REFIID iid, LPVOID* out) {
  return Device::QueryOwn(self, iid, out, kIOUSBDeviceInterfaceID182, kIOUSBDeviceInterfaceID);
}

IOReturn Open(void* self) {
  const IOReturn status = BackendOf(self).Open();
  plat::CountDeviceOpen(status);
  return status;
}

IOReturn Close(void* self) {
  return BackendOf(self).Close();
}

IOReturn GetVendor(void* self, UInt16* vendor) {
  if (vendor == nullptr)
    return kIOReturnBadArgument;
  return BackendOf(self).GetVendor(vendor);
}

IOReturn GetProduct(void* self, UInt16* product) {
  if (product == nullptr)
    return kIOReturnBadArgument;
  return BackendOf(self).GetProduct(product);
}

IOReturn GetSerialNumberStringIndex(void* self, UInt8* index) {
  if (index == nullptr)
    return kIOReturnBadArgument;
  return BackendOf(self).GetSerialNumberStringIndex(index);
}

IOReturn DeviceRequest(void* self, IOUSBDevRequest* request) {
  if (request == nullptr || (request->pData == nullptr && request->wLength > 0)) {
    return kIOReturnBadArgument;
  }
  request->wLenDone = 0;
  return BackendOf(self).DeviceRequest(*request);
}

IOReturn GetNumberOfConfigurations(void* self, UInt8* count) {
  if (count == nullptr)
    return kIOReturnBadArgument;
  return BackendOf(self).GetNumberOfConfigurations(count);
}

IOReturn GetConfigurationDescriptorPtr(void* self, UInt8 index,
                                       IOUSBConfigurationDescriptorPtr* descriptor) {
  if (descriptor == nullptr)
    return kIOReturnBadArgument;
  *descriptor = nullptr;
  return BackendOf(self).GetConfigurationDescriptor(index, descriptor);
}

IOReturn SetConfiguration(void* self, UInt8 configurationValue) {
  return BackendOf(self).SetConfiguration(configurationValue);
}

IOReturn CreateInterfaceIterator(void* self, IOUSBFindInterfaceRequest* request,
                                 io_iterator_t* iterator) {
  if (request == nullptr || iterator == nullptr)
    return kIOReturnBadArgument;
  *iterator = 0;
  std::vector<std::shared_ptr<plat::IOService>> services;
  const IOReturn status = BackendOf(self).InterfaceServices(*request, &services);
  if (status != kIOReturnSuccess)
    return status;
  *iterator = plat::MakeIteratorHandle({services.begin(), services.end()});
  return kIOReturnSuccess;
}

IOUSBDeviceInterface182 table = {
    nullptr,
    QueryInterface,
    Device::AddRef,
    Device::Release,
    Open,
    Close,
    GetVendor,
    GetProduct,
    GetSerialNumberStringIndex,
    DeviceRequest,
    GetNumberOfConfigurations,
    GetConfigurationDescriptorPtr,
    SetConfiguration,
    CreateInterfaceIterator,
};

}  // namespace

namespace plat {
IOUSBDeviceInterface182** NewUSBDeviceInterface(std::shared_ptr<USBDeviceBackend> backend) {
  return Device::Create(&table, std::move(backend));
}
}  // namespace plat
