#include "usb/USBDiscovery.h"

#include <cstdio>
#include <new>

#include "app/DockIcon.h"
#include "hid/DeviceRecord.h"
#include "hid/HIDRemovalAndPolling.h"
#include "platform/IOCFPlugIn.h"
#include "switch/KVMParseInfo.h"
#include "usb/USBTransport.h"

namespace {

// Makes the USB device interface of working->usbService into working->deviceInterface.
IOReturn USBGetDeviceInterface(DEVICE_DATA* working) {
  IOCFPlugInInterface** plugIn = nullptr;
  SInt32 score = 0;
  const IOReturn result = IOCreatePlugInInterfaceForService(
      working->usbService, kIOUSBDeviceUserClientTypeID, kIOCFPlugInInterfaceID, &plugIn, &score);
  if (result != KERN_SUCCESS || plugIn == nullptr) {
    fprintf(stderr, "USBGetDeviceInterface: unable to create plugin. ret = %08x, iodev = %p\n",
            result, static_cast<void*>(plugIn));
    return result != KERN_SUCCESS ? result : kIOReturnError;
  }
  IOUSBDeviceInterface182** device = nullptr;
  const HRESULT answer = (*plugIn)->QueryInterface(
      plugIn, CFUUIDGetUUIDBytes(kIOUSBDeviceInterfaceID), reinterpret_cast<LPVOID*>(&device));
  IODestroyPlugInInterface(plugIn);
  if (answer != S_OK || device == nullptr) {
    fprintf(stderr,
            "USBGetDeviceInterface: unable to create a device interface. ret = %08x, dev = %p\n",
            answer, static_cast<void*>(device));
    if (device != nullptr)
      (*device)->Release(device);
    return answer != S_OK ? answer : kIOReturnError;
  }
  working->deviceInterface = device;
  return KERN_SUCCESS;
}

void AttachCandidate(_KVM_SWITCH* sw, DEVICE_DATA* working, io_service_t candidate) {
  // Each candidate starts from a clear record: no handle of an earlier candidate, nor of the HID
  // route, may reach the switch record (a leftover interface would pass for a found OUT pipe).
  *working = DEVICE_DATA{};
  working->usbService = candidate;
  IOReturn result = USBGetDeviceInterface(working);
  if (result != KERN_SUCCESS) {
    fprintf(stderr, "USBDeviceAdded: Call to USBDeviceInterface failed. Code result = %08X\n",
            result);
    return;
  }
  result = USBGetDeviceInfo(working);
  if (result != KERN_SUCCESS) {
    fprintf(stderr, "USBDeviceAdded: Call to USBGetDeviceInfo failed. Code result = %08X\n",
            result);
    (*working->deviceInterface)->Release(working->deviceInterface);
    working->deviceInterface = nullptr;
    return;
  }

  _KVM_INFO& info = sw->info;
  info.linkKind = 1;
  AdoptDeviceRecord(&info.device, *working);
  KVMParseInfo(&info, working->report);
  info.deviceState = 2;
  ChangeDockIcon(info.currentPort);
  IOServiceAddInterestNotification(gNotifyPort, candidate, kIOGeneralInterest,
                                   HIDDeviceNotification, sw, &info.device.notification);
}

}  // namespace

void USBGetMatchingDevice(_KVM_SWITCH* sw, _DEVICE_ID* id) {
  CFMutableDictionaryRef matching =
      CreateDeviceMatching("IOUSBDevice", "idVendor", static_cast<SInt32>(id->vendorID),
                           "idProduct", static_cast<SInt32>(id->productID));
  if (matching == nullptr)
    return;
  io_iterator_t candidates = 0;
  if (IOServiceGetMatchingServices(kIOMasterPortDefault, matching, &candidates) != KERN_SUCCESS)
    return;
  USBDeviceAdded(sw, candidates);
  IOObjectRelease(candidates);
}

void USBDeviceAdded(void* refCon, io_iterator_t iterator) {
  auto* sw = static_cast<_KVM_SWITCH*>(refCon);
  auto* working = new (std::nothrow) DEVICE_DATA{};
  for (io_service_t candidate = IOIteratorNext(iterator); candidate != 0;
       candidate = IOIteratorNext(iterator)) {
    if (working != nullptr && sw->info.deviceState == 0)
      AttachCandidate(sw, working, candidate);
    IOObjectRelease(candidate);
  }
  delete working;
}
