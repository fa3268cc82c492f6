// Every command is the same dispatch: link kind 1 to its USB encoder (where the USB link has
// one), link kind 2 to its HID encoder, anything else to nothing.
#include "hid/HIDCommands.h"
#include "switch/KVMOperations.h"
#include "usb/USBCommands.h"

namespace {
constexpr SInt32 kUSBLink = 1;
constexpr SInt32 kHIDLink = 2;

bool OnLink(const _KVM_INFO* info, SInt32 link) {
  return info != nullptr && info->linkKind == link;
}
}  // namespace

IOReturn KVMSetPortNumber(_KVM_INFO* info, int port) {
  if (OnLink(info, kUSBLink))
    return USBSetPortNumber(&info->device, port);
  if (OnLink(info, kHIDLink))
    return HIDSetPortNumber(&info->device, port);
  return kIOReturnSuccess;
}

IOReturn KVMSetBuzzer(_KVM_INFO* info, bool on) {
  if (OnLink(info, kUSBLink))
    return USBSetBuzzer(&info->device, on);
  if (OnLink(info, kHIDLink))
    return HIDSetBuzzer(&info->device, on);
  return kIOReturnSuccess;
}

IOReturn KVMBindAudio(_KVM_INFO* info) {
  if (OnLink(info, kUSBLink))
    return USBBindAudio(&info->device);
  if (OnLink(info, kHIDLink))
    return HIDBindAudio(&info->device);
  return kIOReturnSuccess;
}

IOReturn KVMFixAudioPortNumber(_KVM_INFO* info, int port) {
  if (OnLink(info, kUSBLink))
    return USBFixAudioPortNumber(&info->device, port);
  if (OnLink(info, kHIDLink))
    return HIDFixAudioPortNumber(&info->device, port);
  return kIOReturnSuccess;
}

IOReturn KVMSetAutoScanPeriod(_KVM_INFO* info, int period) {
  if (OnLink(info, kUSBLink))
    return USBSetAutoScanPeriod(&info->device, period);
  if (OnLink(info, kHIDLink))
    return HIDSetAutoScanPeriod(&info->device, period);
  return kIOReturnSuccess;
}

IOReturn KVMSetAutoScan(_KVM_INFO* info, bool on) {
  if (OnLink(info, kUSBLink))
    return USBSetAutoScan(&info->device, on);
  if (OnLink(info, kHIDLink))
    return HIDSetAutoScan(&info->device, on);
  return kIOReturnSuccess;
}

void KVMUnbindAudio(_KVM_INFO* info) {
  if (OnLink(info, kHIDLink))
    HIDUnbindAudio(&info->device);
}

void KVMBindHUB(_KVM_INFO* info, int hub) {
  if (OnLink(info, kHIDLink))
    HIDBindHUB(&info->device, hub);
}

void KVMUnbindHUB(_KVM_INFO* info, int hub) {
  if (OnLink(info, kHIDLink))
    HIDUnbindHUB(&info->device, hub);
}

void KVMFixHUBPortNumber(_KVM_INFO* info, int hub, int port) {
  if (OnLink(info, kHIDLink))
    HIDFixHUBPortNumber(&info->device, hub, port);
}

void KVMSetUniversalHotKey(_KVM_INFO* info, unsigned long usage) {
  if (OnLink(info, kHIDLink))
    HIDSetUniversalHotKey(&info->device, usage);
}
