#include <cstdio>

#include "hid/HIDTransport.h"
#include "switch/KVMOperations.h"
#include "switch/KVMParseInfo.h"
#include "usb/USBTransport.h"

void KVMGetInformation(_KVM_INFO* info) {
  if (info == nullptr)
    return;
  IOReturn result = kIOReturnError;
  if (info->linkKind == 1) {
    result = USBGetDeviceInfo(&info->device);
  } else if (info->linkKind == 2) {
    result = HIDGetDeviceInfo(&info->device);
  }
  if (result == kIOReturnSuccess) {
    KVMParseInfo(info, info->device.report);
    return;
  }
  // The same words on both links.
  fprintf(stderr, "KVMGetInformation: Call to USBGetDeviceInfo failed. Code result = %08X\n",
          result);
  // Only discovery brings the switch back to deviceState 2; a later good read just decodes.
  info->deviceState = 0;
  info->confirmedPort = -1;
}
