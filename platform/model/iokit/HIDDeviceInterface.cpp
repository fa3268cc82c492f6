// The HID device interface table, forwarding to the backend of its plug-in.
#include "platform/IOHIDDevice.h"
#include "platform/model/iokit/ComObject.h"
#include "platform/model/iokit/DeviceBackends.h"
#include "platform/model/iokit/DeviceWrites.h"

namespace {

using Device = plat::ComObject<IOHIDDeviceInterface122, std::shared_ptr<plat::HIDDeviceBackend>>;

plat::HIDDeviceBackend& BackendOf(void* self) {
  return *Device::StateOf(self);
}

HRESULT QueryInterface(void* self, REFIID iid, LPVOID* out) {
  return Device::QueryOwn(self, iid, out, kIOHIDDeviceInterfaceID122);
}

IOReturn Open(void* self, IOOptionBits options) {
  const IOReturn status = BackendOf(self).Open(options);
  plat::CountDeviceOpen(status);
  return status;
}

IOReturn Close(void* self) {
  return BackendOf(self).Close();
}

IOReturn SetReport(void* self, IOHIDReportType reportType, UInt32 reportID, void* reportBuffer,
                   UInt32 reportBufferSize, UInt32, IOHIDReportCallbackFunction callback, void*,
                   void*) {
  if (reportBuffer == nullptr && reportBufferSize > 0)
    return kIOReturnBadArgument;
  // Only synchronous exchanges are offered.
  if (callback != nullptr)
    return kIOReturnUnsupported;
  const IOReturn status = BackendOf(self).SetReport(
      reportType, reportID, static_cast<const UInt8*>(reportBuffer), reportBufferSize);
  plat::CountDeviceWrite(status);
  return status;
}

IOReturn GetReport(void* self, IOHIDReportType reportType, UInt32 reportID, void* reportBuffer,
                   UInt32* reportBufferSize, UInt32, IOHIDReportCallbackFunction callback, void*,
                   void*) {
  if (reportBuffer == nullptr || reportBufferSize == nullptr)
    return kIOReturnBadArgument;
  if (callback != nullptr)
    return kIOReturnUnsupported;
  return BackendOf(self).GetReport(reportType, reportID, static_cast<UInt8*>(reportBuffer),
                                   reportBufferSize);
}

IOHIDDeviceInterface122 table = {
    nullptr, QueryInterface, Device::AddRef, Device::Release, Open, Close, SetReport, GetReport,
};

}  // namespace

namespace plat {
IOHIDDeviceInterface122** NewHIDDeviceInterface(std::shared_ptr<HIDDeviceBackend> backend) {
  return Device::Create(&table, std::move(backend));
}
}  // namespace plat
