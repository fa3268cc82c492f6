// The HID link: the switch information report read from feature reports 5 and 4, and commands
// sent as feature report 4. Every exchange is synchronous, paced by a fixed delay before each
// attempt and tried up to five times.
#pragma once

#include "switch/KVMSwitch.h"

// Ticks of 1/60 second waited before every attempt, and the number of attempts.
constexpr UInt32 kHIDReadDelayTicks = 5;
constexpr UInt32 kHIDWriteDelayTicks = 10;
constexpr int kHIDAttempts = 5;

// Reads one report of an open device. *size is the buffer's length on entry and the number of
// bytes read on return.
IOReturn HIDGetReport(IOHIDDeviceInterface122** device, IOHIDReportType type,
                      unsigned long reportID, void* buffer, unsigned long* size);
// Opens the device, sends `report` (`length` bytes) as feature report 4, closes the device.
IOReturn HIDSetDeviceInfo(DEVICE_DATA* data, unsigned char* report, int length);
// Opens the device, reads feature reports 5 and 4 into data->report, closes the device. A failed
// read leaves data->report as it was.
IOReturn HIDGetDeviceInfo(DEVICE_DATA* data);
