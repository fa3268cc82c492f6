// Reading and changing the switch without knowing its link: each operation takes the switch
// information and goes over the link info->linkKind names (1: USB vendor pipe, 2: HID feature
// reports). Callers hold KVMSwitch.criticalRegion; nothing here checks deviceState.
#pragma once

#include "switch/KVMSwitch.h"

// Reads a fresh information report and decodes it. A failed read marks the switch absent
// (deviceState 0, confirmedPort -1) and keeps the decoded status as it was.
void KVMGetInformation(_KVM_INFO* info);

// Commands on both links: the link's status, or 0 when no link is determined (nothing sent).
IOReturn KVMSetPortNumber(_KVM_INFO* info, int port);
IOReturn KVMSetBuzzer(_KVM_INFO* info, bool on);
IOReturn KVMBindAudio(_KVM_INFO* info);
IOReturn KVMFixAudioPortNumber(_KVM_INFO* info, int port);
// `period` in units of 5 seconds.
IOReturn KVMSetAutoScanPeriod(_KVM_INFO* info, int period);
IOReturn KVMSetAutoScan(_KVM_INFO* info, bool on);

// Commands of the HID link only; on the USB link they send nothing.
void KVMUnbindAudio(_KVM_INFO* info);
void KVMBindHUB(_KVM_INFO* info, int hub);
void KVMUnbindHUB(_KVM_INFO* info, int hub);
void KVMFixHUBPortNumber(_KVM_INFO* info, int hub, int port);
void KVMSetUniversalHotKey(_KVM_INFO* info, unsigned long usage);
