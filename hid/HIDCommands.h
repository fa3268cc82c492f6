// The switch commands on the HID link: each builds one 8-byte command report (byte 0 the report
// ID 4, byte 1 the command code, byte 2 the low 8 bits of the argument) and sends it with
// HIDSetDeviceInfo, returning its status. Arguments are not range-checked: what the switch
// makes of them is its own business.
#pragma once

#include "switch/KVMSwitch.h"

IOReturn HIDSetPortNumber(DEVICE_DATA* data, int port);
IOReturn HIDBindAudio(DEVICE_DATA* data);
IOReturn HIDUnbindAudio(DEVICE_DATA* data);
IOReturn HIDSetBuzzer(DEVICE_DATA* data, bool on);
// `period` in units of 5 seconds; the switch takes seconds.
IOReturn HIDSetAutoScanPeriod(DEVICE_DATA* data, int period);
IOReturn HIDSetAutoScan(DEVICE_DATA* data, bool on);
IOReturn HIDFixHUBPortNumber(DEVICE_DATA* data, int hub, int port);
IOReturn HIDFixAudioPortNumber(DEVICE_DATA* data, int port);
IOReturn HIDBindHUB(DEVICE_DATA* data, int hub);
IOReturn HIDUnbindHUB(DEVICE_DATA* data, int hub);
// `usage`: the USB HID usage code of the key.
IOReturn HIDSetUniversalHotKey(DEVICE_DATA* data, unsigned long usage);
