// The switch commands on the USB link: each builds one 8-byte packet (byte 0 the command code,
// byte 1 the low 8 bits of the argument) and writes it with USBTransferData, returning its
// status. The USB link has no commands for unbinding the audio, for the hubs or for the
// switch's own trigger key.
#pragma once

#include "switch/KVMSwitch.h"

int USBSetPortNumber(DEVICE_DATA* data, int port);
int USBSetBuzzer(DEVICE_DATA* data, bool on);
int USBBindAudio(DEVICE_DATA* data);
int USBFixAudioPortNumber(DEVICE_DATA* data, int port);
// `period` in units of 5 seconds, as the switch takes it.
int USBSetAutoScanPeriod(DEVICE_DATA* data, int period);
int USBSetAutoScan(DEVICE_DATA* data, bool on);
