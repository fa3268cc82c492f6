// Attaching a version-1 switch, reached over the USB vendor pipe: its USB device is found by
// vendor and product id, opened, its status read from the serial-number string, and its removal
// watched with the same removal notice as the HID route's.
#pragma once

#include "platform/IOKitLib.h"
#include "switch/KVMSwitch.h"

// One search now for USB devices with `id`'s ids, handed to USBDeviceAdded.
void USBGetMatchingDevice(_KVM_SWITCH* sw, _DEVICE_ID* id);

// Walks `iterator` over candidate USB devices (`refCon` is the _KVM_SWITCH): the first whose
// status can be read becomes the switch, with link kind 1; every service is released, and all
// are left untouched while a switch is known.
void USBDeviceAdded(void* refCon, io_iterator_t iterator);
