#include "platform/sim/DeviceHandles.h"

namespace plat::sim {

namespace {

template <typename Interface>
Interface** CreateInterface(const std::shared_ptr<IOService>& service, CFUUIDRef pluginType,
                            CFUUIDRef interfaceID) {
  const io_service_t handle = RetainHandle(service);
  IOCFPlugInInterface** plugIn = nullptr;
  SInt32 score = 0;
  Interface** made = nullptr;
  if (IOCreatePlugInInterfaceForService(handle, pluginType, kIOCFPlugInInterfaceID, &plugIn,
                                        &score) == kIOReturnSuccess &&
      plugIn != nullptr) {
    (*plugIn)->QueryInterface(plugIn, CFUUIDGetUUIDBytes(interfaceID),
                              reinterpret_cast<LPVOID*>(&made));
    IODestroyPlugInInterface(plugIn);
  }
  IOObjectRelease(handle);
  return made;
}

}  // namespace

IOHIDDeviceInterface122** CreateHIDDeviceInterface(const std::shared_ptr<IOService>& hidDevice) {
  return CreateInterface<IOHIDDeviceInterface122>(hidDevice, kIOHIDDeviceUserClientTypeID,
                                                  kIOHIDDeviceInterfaceID122);
}

IOUSBDeviceInterface182** CreateUSBDeviceInterface(const std::shared_ptr<IOService>& usbDevice) {
  return CreateInterface<IOUSBDeviceInterface182>(usbDevice, kIOUSBDeviceUserClientTypeID,
                                                  kIOUSBDeviceInterfaceID);
}

}  // namespace plat::sim
