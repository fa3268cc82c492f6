#include <cstdio>

#include "usb/USBTransport.h"

namespace {

void ReleaseInterface(IOUSBInterfaceInterface182** usbInterface) {
  (*usbInterface)->Release(usbInterface);
}

// The 1-based reference of the interface's first OUT pipe, or 0. `lastStatus` receives the
// status of the last call made.
UInt8 FindOutPipe(IOUSBInterfaceInterface182** usbInterface, IOReturn* lastStatus) {
  UInt8 endpoints = 0;
  IOReturn result = (*usbInterface)->GetNumEndpoints(usbInterface, &endpoints);
  *lastStatus = result;
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBGetInterfaceInterface: unable to get number of endpoints. ret = %08x\n",
            result);
    return 0;
  }
  for (int pipe = 1; pipe <= endpoints; ++pipe) {
    UInt8 direction = 0;
    UInt8 number = 0;
    UInt8 transferType = 0;
    UInt16 maxPacketSize = 0;
    UInt8 interval = 0;
    result = (*usbInterface)
                 ->GetPipeProperties(usbInterface, static_cast<UInt8>(pipe), &direction, &number,
                                     &transferType, &maxPacketSize, &interval);
    *lastStatus = result;
    if (result != kIOReturnSuccess) {
      fprintf(stderr,
              "USBGetInterfaceInterface: unable to get pipe hidProperties for pipe %d, result = "
              "%08x\n",
              pipe, result);
      continue;
    }
    if (direction == kUSBOut)
      return static_cast<UInt8>(pipe);
  }
  return 0;
}

// Looks at one interface service: when it has an OUT pipe, its interface and pipe go into
// `data`; otherwise its interface is given back.
void ExamineInterface(DEVICE_DATA* data, io_service_t service, IOReturn* lastStatus) {
  IOCFPlugInInterface** plugIn = nullptr;
  SInt32 score = 0;
  IOReturn result = IOCreatePlugInInterfaceForService(service, kIOUSBInterfaceUserClientTypeID,
                                                      kIOCFPlugInInterfaceID, &plugIn, &score);
  if (result != kIOReturnSuccess || plugIn == nullptr) {
    fprintf(stderr, "USBGetInterfaceInterface: unable to create plugin. ret = %08x, iodev = %p\n",
            result, static_cast<void*>(plugIn));
    *lastStatus = result != kIOReturnSuccess ? result : kIOReturnError;
    return;
  }
  IOUSBInterfaceInterface182** usbInterface = nullptr;
  const HRESULT answer =
      (*plugIn)->QueryInterface(plugIn, CFUUIDGetUUIDBytes(kIOUSBInterfaceInterfaceID182),
                                reinterpret_cast<LPVOID*>(&usbInterface));
  IODestroyPlugInInterface(plugIn);
  if (answer != S_OK || usbInterface == nullptr) {
    fprintf(stderr,
            "USBGetInterfaceInterface: unable to create a device interface. ret = %08x, intf = "
            "%p\n",
            answer, static_cast<void*>(usbInterface));
    *lastStatus = answer != S_OK ? answer : kIOReturnError;
    if (usbInterface != nullptr)
      ReleaseInterface(usbInterface);
    return;
  }

  result = (*usbInterface)->USBInterfaceOpen(usbInterface);
  if (result != kIOReturnSuccess) {
    *lastStatus = result;
    ReleaseInterface(usbInterface);
    return;
  }
  const UInt8 pipe = FindOutPipe(usbInterface, lastStatus);
  (*usbInterface)->USBInterfaceClose(usbInterface);
  if (pipe == 0) {
    ReleaseInterface(usbInterface);
    return;
  }
  data->outPipe = pipe;
  data->interfaceInterface = usbInterface;
}

}  // namespace

int USBGetInterfaceInterface(DEVICE_DATA* data) {
  if (data == nullptr || data->deviceInterface == nullptr)
    return kIOReturnError;
  IOUSBDeviceInterface182** device = data->deviceInterface;

  // Every lookup starts afresh: the interface an earlier lookup kept is given back, and a lookup
  // that finds no OUT pipe fails rather than leave a stale interface with pipe 0.
  if (data->interfaceInterface != nullptr)
    ReleaseInterface(data->interfaceInterface);
  data->interfaceInterface = nullptr;
  data->outPipe = 0;

  IOReturn result = (*device)->USBDeviceOpen(device);
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBGetInterfaceInterface: unable to open device. ret = %08x\n", result);
    return result;
  }

  UInt8 configurations = 0;
  result = (*device)->GetNumberOfConfigurations(device, &configurations);
  if (result != kIOReturnSuccess || configurations == 0) {
    fprintf(stderr,
            "USBGetInterfaceInterface: unable to obtain the number of configurations. ret = "
            "%08x\n",
            result);
    (*device)->USBDeviceClose(device);
    // A device without a configuration has no pipe to write to.
    return result != kIOReturnSuccess ? result : kIOReturnError;
  }

  IOUSBConfigurationDescriptorPtr configuration = nullptr;
  result = (*device)->GetConfigurationDescriptorPtr(device, 0, &configuration);
  if (result == kIOReturnSuccess && configuration == nullptr)
    result = kIOReturnError;
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBGetInterfaceInterface:unable to get config descriptor for index 0\n");
    (*device)->USBDeviceClose(device);
    return result;
  }

  // The device interface stays with the record after a failure here: the switch's later status
  // reads and commands still use it.
  result = (*device)->SetConfiguration(device, configuration->bConfigurationValue);
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBGetInterfaceInterface: unable to set the configuration\n");
    (*device)->USBDeviceClose(device);
    return result;
  }

  IOUSBFindInterfaceRequest request{kIOUSBFindInterfaceDontCare, kIOUSBFindInterfaceDontCare,
                                    kIOUSBFindInterfaceDontCare, kIOUSBFindInterfaceDontCare};
  io_iterator_t iterator = 0;
  result = (*device)->CreateInterfaceIterator(device, &request, &iterator);
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBGetInterfaceInterface: unable to create interface iterator\n");
    (*device)->USBDeviceClose(device);
    return result;
  }

  IOReturn lastStatus = kIOReturnSuccess;
  while (const io_service_t service = IOIteratorNext(iterator)) {
    if (data->outPipe == 0)
      ExamineInterface(data, service, &lastStatus);
    IOObjectRelease(service);
  }
  IOObjectRelease(iterator);
  (*device)->USBDeviceClose(device);

  if (data->interfaceInterface != nullptr)
    return kIOReturnSuccess;
  fprintf(stderr, "USBGetInterfaceInterface: unable to find interface. ret = %08x\n", lastStatus);
  return kIOReturnError;
}

int USBTransferData(DEVICE_DATA* data, void* packet, int length) {
  // A switch that is only held has no device interface yet: nothing to write to.
  if (data == nullptr || data->deviceInterface == nullptr) {
    fprintf(stderr, "USBTransferData: No known interface\n");
    return kIOReturnError;
  }
  IOReturn result = USBGetInterfaceInterface(data);
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBTransferData: unable to open interface. ret = %08x\n", result);
    return result;
  }
  IOUSBInterfaceInterface182** usbInterface = data->interfaceInterface;
  result = (*usbInterface)->USBInterfaceOpen(usbInterface);
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBTransferData: unable to open interface. ret = %08x\n", result);
    return result;
  }
  result =
      (*usbInterface)->WritePipe(usbInterface, data->outPipe, packet, static_cast<UInt32>(length));
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBTransferData: WritePipeFailed, result = %08x\n", result);
  }
  (*usbInterface)->USBInterfaceClose(usbInterface);
  return result;
}
