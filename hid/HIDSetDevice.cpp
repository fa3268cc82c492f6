// Opening a found switch: a version-2 switch on its HID device interface, a version-1 switch
// through the USB route.
#include <cstdio>

#include "app/DockIcon.h"
#include "hid/HIDDiscovery.h"
#include "hid/HIDRemovalAndPolling.h"
#include "hid/HIDTransport.h"
#include "platform/IOCFPlugIn.h"
#include "switch/KVMParseInfo.h"
#include "usb/USBDiscovery.h"

namespace {

// Makes the HID device interface of device->hidService, opens it and keeps it in
// device->hidDevice. Returns the status.
IOReturn HIDGetDeviceInterface(DEVICE_DATA* device) {
  IOCFPlugInInterface** plugIn = nullptr;
  SInt32 score = 0;
  IOReturn result = IOCreatePlugInInterfaceForService(
      device->hidService, kIOHIDDeviceUserClientTypeID, kIOCFPlugInInterfaceID, &plugIn, &score);
  if (result != KERN_SUCCESS || plugIn == nullptr) {
    fprintf(stderr, "HIDGetDeviceInterface: unable to create plugin. ret = %08x, iodev = %p\n",
            result, static_cast<void*>(plugIn));
    return result != KERN_SUCCESS ? result : kIOReturnError;
  }

  IOHIDDeviceInterface122** hidDevice = nullptr;
  const HRESULT answer =
      (*plugIn)->QueryInterface(plugIn, CFUUIDGetUUIDBytes(kIOHIDDeviceInterfaceID122),
                                reinterpret_cast<LPVOID*>(&hidDevice));
  if (answer != S_OK || hidDevice == nullptr) {
    fprintf(stderr,
            "HIDGetDeviceInterface: unable to create a device interface. ret = %08x, dev = %p\n",
            answer, static_cast<void*>(hidDevice));
    result = answer != S_OK ? answer : kIOReturnError;
    if (hidDevice != nullptr)
      (*hidDevice)->Release(hidDevice);
  } else {
    result = (*hidDevice)->open(hidDevice, kIOHIDOptionsTypeNone);
    if (result == KERN_SUCCESS) {
      device->hidDevice = hidDevice;
    } else {
      (*hidDevice)->Release(hidDevice);  // not kept, so not left behind
    }
  }
  (*plugIn)->Release(plugIn);
  return result;
}

}  // namespace

bool HIDSetHIDDevice(_KVM_SWITCH* sw) {
  _KVM_INFO& info = sw->info;
  const IOReturn result = HIDGetDeviceInterface(&info.device);
  if (result != KERN_SUCCESS) {
    info.deviceState = 0;
    fprintf(stderr, "HIDSetHIDDevice: Call to HIDDeviceInterface failed. Code result = %08X\n",
            result);
    return false;
  }

  // A failed first read still opens the switch, decoded from the cleared report.
  HIDGetDeviceInfo(&info.device);
  KVMParseInfo(&info, info.device.report);
  info.deviceState = 2;
  ChangeDockIcon(info.currentPort);

  if (theTimer == nullptr) {
    InstallEventLoopTimer(GetMainEventLoop(), kFirstPollDelay * kEventDurationSecond,
                          kPollInterval * kEventDurationSecond, NewEventLoopTimerUPP(TimerFunction),
                          sw, &theTimer);
  }
  IOServiceAddInterestNotification(gNotifyPort, info.device.hidService, kIOGeneralInterest,
                                   HIDDeviceNotification, sw, &info.device.notification);
  return true;
}

bool HIDSetUSBDevice(_KVM_SWITCH* sw) {
  sw->info.deviceState = 0;
  sw->info.linkKind = 0;
  _DEVICE_ID id{sw->info.device.vendorID, sw->info.device.productID};
  USBGetMatchingDevice(sw, &id);
  return true;
}
