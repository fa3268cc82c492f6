// The USB device and interface interfaces: standard requests on the default pipe, the
// configuration, the interfaces and their pipes.
//
// A USB device interface is reached through IOCreatePlugInInterfaceForService(service,
// kIOUSBDeviceUserClientTypeID, kIOCFPlugInInterfaceID, ...) and QueryInterface for
// kIOUSBDeviceInterfaceID; an interface interface likewise with kIOUSBInterfaceUserClientTypeID
// and kIOUSBInterfaceInterfaceID182 on a service from CreateInterfaceIterator.
#pragma once

#include "platform/IOCFPlugIn.h"
#include "platform/IOKitLib.h"
#include "platform/MacTypes.h"

// Pipe directions.
constexpr UInt8 kUSBOut = 0;
constexpr UInt8 kUSBIn = 1;
constexpr UInt8 kUSBNone = 2;
constexpr UInt8 kUSBAnyDirn = 3;
// Transfer types.
constexpr UInt8 kUSBControl = 0;
constexpr UInt8 kUSBIsoc = 1;
constexpr UInt8 kUSBBulk = 2;
constexpr UInt8 kUSBInterrupt = 3;
// Request types and recipients.
constexpr UInt8 kUSBStandard = 0;
constexpr UInt8 kUSBClass = 1;
constexpr UInt8 kUSBVendor = 2;
constexpr UInt8 kUSBDevice = 0;
constexpr UInt8 kUSBInterface = 1;
// Standard requests and descriptor types.
constexpr UInt8 kUSBRqGetDescriptor = 6;
constexpr UInt8 kUSBDeviceDesc = 1;
constexpr UInt8 kUSBConfDesc = 2;
constexpr UInt8 kUSBStringDesc = 3;

constexpr UInt8 USBmakebmRequestType(UInt8 direction, UInt8 type, UInt8 recipient) {
  return static_cast<UInt8>(((direction & 1) << 7) | ((type & 3) << 5) | (recipient & 0x1F));
}

// USB statuses.
constexpr IOReturn kIOUSBPipeStalled = static_cast<IOReturn>(0xE000404F);
constexpr IOReturn kIOUSBNotConfigured = static_cast<IOReturn>(0xE0004056);

// A control request on the default pipe. wLenDone receives the number of bytes moved.
struct IOUSBDevRequest {
  UInt8 bmRequestType;
  UInt8 bRequest;
  UInt16 wValue;
  UInt16 wIndex;
  UInt16 wLength;
  void* pData;
  UInt32 wLenDone;
};

struct IOUSBConfigurationDescriptor {
  UInt8 bLength;
  UInt8 bDescriptorType;
  UInt16 wTotalLength;
  UInt8 bNumInterfaces;
  UInt8 bConfigurationValue;
  UInt8 iConfiguration;
  UInt8 bmAttributes;
  UInt8 MaxPower;
};
using IOUSBConfigurationDescriptorPtr = IOUSBConfigurationDescriptor*;

// Which interfaces CreateInterfaceIterator yields; kIOUSBFindInterfaceDontCare matches any.
constexpr UInt16 kIOUSBFindInterfaceDontCare = 0xFFFF;
struct IOUSBFindInterfaceRequest {
  UInt16 bInterfaceClass;
  UInt16 bInterfaceSubClass;
  UInt16 bInterfaceProtocol;
  UInt16 bAlternateSetting;
};

struct IOUSBDeviceInterface182 {
  TALLOWMERE_IUNKNOWN_ENTRIES;
  // Requests and the configuration need the device open; only one open at a time.
  IOReturn (*USBDeviceOpen)(void* self);
  IOReturn (*USBDeviceClose)(void* self);
  IOReturn (*GetDeviceVendor)(void* self, UInt16* vendor);
  IOReturn (*GetDeviceProduct)(void* self, UInt16* product);
  IOReturn (*USBGetSerialNumberStringIndex)(void* self, UInt8* index);
  IOReturn (*DeviceRequest)(void* self, IOUSBDevRequest* request);
  IOReturn (*GetNumberOfConfigurations)(void* self, UInt8* count);
  // The descriptor stays valid as long as the device interface.
  IOReturn (*GetConfigurationDescriptorPtr)(void* self, UInt8 index,
                                            IOUSBConfigurationDescriptorPtr* descriptor);
  IOReturn (*SetConfiguration)(void* self, UInt8 configurationValue);
  // An iterator over the device's "IOUSBInterface" services that match `request`.
  IOReturn (*CreateInterfaceIterator)(void* self, IOUSBFindInterfaceRequest* request,
                                      io_iterator_t* iterator);
};

struct IOUSBInterfaceInterface182 {
  TALLOWMERE_IUNKNOWN_ENTRIES;
  // The pipes can be looked at and used only while the interface is open.
  IOReturn (*USBInterfaceOpen)(void* self);
  IOReturn (*USBInterfaceClose)(void* self);
  IOReturn (*GetNumEndpoints)(void* self, UInt8* count);
  // Pipe references are 1-based: 1 to the number of endpoints.
  IOReturn (*GetPipeProperties)(void* self, UInt8 pipeRef, UInt8* direction, UInt8* number,
                                UInt8* transferType, UInt16* maxPacketSize, UInt8* interval);
  IOReturn (*WritePipe)(void* self, UInt8 pipeRef, void* buffer, UInt32 size);
};
