// The USB link: the status read from the switch's serial-number string, and commands written as
// 8-byte packets to the first OUT pipe. Synchronous, without delays or retries.
#pragma once

#include "switch/KVMSwitch.h"

// Opens the device, reads its vendor and product ids and the first 8 bytes of its serial-number
// string descriptor (report bytes 0 to 7 are descriptor bytes 2 to 9), closes the device.
int USBGetDeviceInfo(DEVICE_DATA* data);
// Opens the device, selects its first configuration, finds the first interface with an OUT pipe
// and keeps that interface and pipe in `data`, closes the device. The interface kept by an
// earlier lookup is given back first.
int USBGetInterfaceInterface(DEVICE_DATA* data);
// Looks the interface up again, opens it, writes `length` bytes of `packet` to the OUT pipe and
// closes it.
int USBTransferData(DEVICE_DATA* data, void* packet, int length);
