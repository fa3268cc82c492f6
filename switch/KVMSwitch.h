// The switch records: everything the program knows about the one switch it drives, in the one
// global record KVMSwitch.
#pragma once

#include <cstdint>

#include "platform/IOHIDDevice.h"
#include "platform/IOKitLib.h"
#include "platform/IOUSBLib.h"
#include "platform/MacTypes.h"
#include "platform/Multiprocessing.h"

// One stored hot key. Written to "HOTKEY.CFG" byte for byte, so its layout is the file's.
struct _HOT_KEY {
  UInt32 keyCode;    // Mac virtual key code
  char keyName[36];  // NUL-terminated display text
};
static_assert(sizeof(_HOT_KEY) == 40, "HOTKEY.CFG holds four 40-byte hot keys");

// The identity by which a switch is looked up again.
struct _DEVICE_ID {
  UInt32 vendorID;
  UInt32 productID;
};

// One row of the table of supported switches: every product id from firstProductID to
// lastProductID inclusive under vendorID.
struct _DEVICE_LIST {
  SInt32 vendorID;
  SInt32 firstProductID;
  SInt32 lastProductID;
};

// How one switch is reached, and its raw information report. Begins with a _DEVICE_ID.
struct DEVICE_DATA {
  UInt32 vendorID;
  UInt32 productID;
  io_object_t notification;  // removal notification of the open switch; 0 when none
  io_service_t hidService;   // its "IOHIDDevice" service (HID route)
  io_service_t usbService;   // its "IOUSBDevice" service (USB route)
  IOUSBDeviceInterface182** deviceInterface;        // USB route
  IOUSBInterfaceInterface182** interfaceInterface;  // USB route: the interface with the OUT pipe
  IOHIDDeviceInterface122** hidDevice;              // HID route; null until the switch is opened
  UInt8 outPipe;     // reference of the OUT pipe that carries commands; 0 = none
  UInt8 report[12];  // the switch information report as last read
};

// Everything about the switch: how it is reached and its decoded status.
struct _KVM_INFO {
  // 0 = no usable switch, 1 = found while the session was switched out (held), 2 = open.
  SInt32 deviceState;
  DEVICE_DATA device;
  // 0 = not determined, 1 = USB vendor pipe, 2 = HID feature reports.
  SInt32 linkKind;
  // The decoded status, written only by KVMParseInfo (and by callers that send a setting and
  // record it until the next read).
  SInt32 portCount;       // 2 to 4
  SInt32 availablePorts;  // bit k: port index k can be selected
  SInt32 currentPort;     // 0-based, 0 to 4
  SInt32 confirmedPort;   // the report's second port number; -1 after a failed read
  UInt8 hasBuzzer;
  UInt8 hasAudio;
  UInt8 audioFixable;
  UInt8 hasAutoScanPeriod;
  UInt8 hasHub[2];
  UInt8 hubFixable[2];
  UInt8 hasUniversalHotKey;
  UInt8 buzzerOn;
  UInt8 audioFixed;
  UInt8 autoScanOn;
  UInt8 hubFixed[2];
  SInt32 audioPort;
  SInt32 hubPort[2];
  SInt32 autoScanPeriod;   // units of 5 seconds
  SInt32 universalHotKey;  // USB HID usage of the switch's own trigger key
};

struct _KVM_SWITCH {
  UInt8 sessionInactive;  // 1 while the user's login session is switched out
  MPCriticalRegionID criticalRegion;
  _HOT_KEY hotKeys[4];
  _KVM_INFO info;
};

// The one switch record; lives for the whole process.
extern _KVM_SWITCH KVMSwitch;
