// Decoding of the switch information report into the decoded status of a _KVM_INFO.
#pragma once

#include "switch/KVMSwitch.h"

// Decodes the 12 bytes of `report` by the layout info->linkKind selects (1: the serial-number
// status, 2: feature reports 5 and 4); any other link kind changes nothing. Touches only the
// decoded status, never deviceState, linkKind or device.
void KVMParseInfo(_KVM_INFO* info, unsigned char* report);
