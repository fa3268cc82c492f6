// Finding the switch: every supported switch first shows up as a HID device of one of the
// vendor/product pairs of DeviceList. Discovery watches for each pair, works out the switch's
// generation from its HID properties, opens a version-2 switch on its HID device interface and
// hands a version-1 switch to the USB route.
#pragma once

#include "platform/IOKitLib.h"
#include "switch/KVMSwitch.h"

// The supported switches: every product id from firstProductID to lastProductID of a row is
// matched separately, 258 vendor/product pairs in all.
extern const _DEVICE_LIST DeviceList[];
extern const int VendorCount;

// Starts discovery: a first-match notification for every pair of `list`, each handled at once
// for the devices already plugged in. Returns the status of the step that ended it early, or of
// giving the master port back.
kern_return_t HIDSetMatchingDevices(_KVM_SWITCH* sw, const _DEVICE_LIST* list, int count);

// The arrival callback (`refCon` is the _KVM_SWITCH): walks `iterator` to its end, takes the first
// switch it recognises and releases every object. Holds the switch record's region throughout.
void HIDDeviceAdded(void* refCon, io_iterator_t iterator);

// Opens the version-2 switch whose identity has just been stored in sw->info.device: its device
// interface, a first status read, the Dock icon, the polling timer and the removal notice.
bool HIDSetHIDDevice(_KVM_SWITCH* sw);
// Hands the version-1 switch whose identity sw->info.device holds to the USB route. Always true.
bool HIDSetUSBDevice(_KVM_SWITCH* sw);

// Looks the HID device with `id`'s vendor and product ids up once, without a notification, and
// handles it as an arrival.
void HIDGetMatchingDevice(_KVM_SWITCH* sw, _DEVICE_ID* id);
