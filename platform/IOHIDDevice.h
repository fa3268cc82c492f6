// The HID device interface: opens a HID device and exchanges its reports.
//
// Reached through IOCreatePlugInInterfaceForService(service, kIOHIDDeviceUserClientTypeID,
// kIOCFPlugInInterfaceID, ...) and the plug-in's QueryInterface for kIOHIDDeviceInterfaceID122.
// Called through the table: (*device)->getReport(device, kIOHIDReportTypeFeature, 5, buffer,
// &size, 0, nullptr, nullptr, nullptr). With no callback a report call completes before it
// returns.
#pragma once

#include "platform/IOCFPlugIn.h"
#include "platform/IOKitLib.h"
#include "platform/MacTypes.h"

enum IOHIDReportType : UInt32 {
  kIOHIDReportTypeInput = 0,
  kIOHIDReportTypeOutput = 1,
  kIOHIDReportTypeFeature = 2,
  kIOHIDReportTypeCount = 3
};

constexpr IOOptionBits kIOHIDOptionsTypeNone = 0;
constexpr IOOptionBits kIOHIDOptionsTypeSeizeDevice = 1;

// Called when an asynchronous report call completes (the system never asks for one).
using IOHIDReportCallbackFunction = void (*)(void* target, IOReturn result, void* refcon,
                                             void* sender, UInt32 bufferSize);

struct IOHIDDeviceInterface122 {
  TALLOWMERE_IUNKNOWN_ENTRIES;
  // Opening an open device succeeds; reports can be exchanged only while the device is open.
  IOReturn (*open)(void* self, IOOptionBits options);
  IOReturn (*close)(void* self);
  // Sends `reportBufferSize` bytes of `reportBuffer` as report `reportID`.
  IOReturn (*setReport)(void* self, IOHIDReportType reportType, UInt32 reportID, void* reportBuffer,
                        UInt32 reportBufferSize, UInt32 timeoutMS,
                        IOHIDReportCallbackFunction callback, void* callbackTarget,
                        void* callbackRefcon);
  // Reads report `reportID` into `reportBuffer`; *reportBufferSize is the buffer's length on
  // entry and the number of bytes read on return.
  IOReturn (*getReport)(void* self, IOHIDReportType reportType, UInt32 reportID, void* reportBuffer,
                        UInt32* reportBufferSize, UInt32 timeoutMS,
                        IOHIDReportCallbackFunction callback, void* callbackTarget,
                        void* callbackRefcon);
};
