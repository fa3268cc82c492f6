// What both discovery routes do with a switch they have found: match it by vendor and product
// id, and keep its record in the switch record.
#pragma once

#include "platform/CoreFoundation.h"
#include "switch/KVMSwitch.h"

// A new matching dictionary (owned by the caller) for services of `className` whose `vendorKey`
// and `productKey` properties hold the two ids; null when none can be made.
CFMutableDictionaryRef CreateDeviceMatching(const char* className, const char* vendorKey,
                                            SInt32 vendorID, const char* productKey,
                                            SInt32 productID);

// Stores the record of a newly found switch in `record`. The device interfaces and the removal
// notice that `record` holds still belong to the switch found before; they are given back first,
// so that they do not outlive it and so that its removal is not taken for the new switch's.
void AdoptDeviceRecord(DEVICE_DATA* record, const DEVICE_DATA& found);
