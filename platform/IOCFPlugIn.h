// Plug-in interfaces: how a program reaches the device interface of a service.
//
// IOCreatePlugInInterfaceForService makes a plug-in for one kind of user client of a service;
// the plug-in's QueryInterface hands out the device interface itself. Both are COM-style
// objects: a handle is a pointer to a pointer to a table of functions, and every function takes
// the handle as its first argument, so the same calling code runs over every backend.
#pragma once

#include "platform/CoreFoundation.h"
#include "platform/IOKitLib.h"
#include "platform/MacTypes.h"

// Identifiers of plug-in types and interfaces.
struct CFUUIDBytes {
  UInt8 bytes[16];
};
struct OpaqueCFUUID {
  CFUUIDBytes uuid;
};
using CFUUIDRef = const OpaqueCFUUID*;

// The one identifier with these bytes; lives for the whole process.
CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef allocator, UInt8 byte0, UInt8 byte1,
                                         UInt8 byte2, UInt8 byte3, UInt8 byte4, UInt8 byte5,
                                         UInt8 byte6, UInt8 byte7, UInt8 byte8, UInt8 byte9,
                                         UInt8 byte10, UInt8 byte11, UInt8 byte12, UInt8 byte13,
                                         UInt8 byte14, UInt8 byte15);
CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid);
Boolean CFUUIDEqualBytes(const CFUUIDBytes& a, const CFUUIDBytes& b);

namespace plat::uuid {
// Our own identifier bytes: the last byte tells the identifiers apart.
constexpr OpaqueCFUUID Make(UInt8 kind, UInt8 which) {
  return OpaqueCFUUID{{{0x7A, 0x11, 0x0E, 0x3E, 0x4B, 0x1D, 0x4C, 0x5A, 0x9E, 0x60, 0x2D, 0x51,
                        0xC0, 0xDE, kind, which}}};
}
inline constexpr OpaqueCFUUID kUnknown = Make(0x00, 0x00);
inline constexpr OpaqueCFUUID kPlugIn = Make(0x00, 0x01);
inline constexpr OpaqueCFUUID kHIDDeviceUserClient = Make(0x01, 0x01);
inline constexpr OpaqueCFUUID kHIDDeviceInterface122 = Make(0x01, 0x22);
inline constexpr OpaqueCFUUID kUSBDeviceUserClient = Make(0x02, 0x01);
inline constexpr OpaqueCFUUID kUSBDeviceInterface = Make(0x02, 0x02);
inline constexpr OpaqueCFUUID kUSBDeviceInterface182 = Make(0x02, 0x82);
inline constexpr OpaqueCFUUID kUSBInterfaceUserClient = Make(0x03, 0x01);
inline constexpr OpaqueCFUUID kUSBInterfaceInterface182 = Make(0x03, 0x82);
}  // namespace plat::uuid

inline constexpr CFUUIDRef kIUnknownUUID = &plat::uuid::kUnknown;
inline constexpr CFUUIDRef kIOCFPlugInInterfaceID = &plat::uuid::kPlugIn;
inline constexpr CFUUIDRef kIOHIDDeviceUserClientTypeID = &plat::uuid::kHIDDeviceUserClient;
inline constexpr CFUUIDRef kIOHIDDeviceInterfaceID122 = &plat::uuid::kHIDDeviceInterface122;
inline constexpr CFUUIDRef kIOUSBDeviceUserClientTypeID = &plat::uuid::kUSBDeviceUserClient;
// A USB device interface; the table handed out is always IOUSBDeviceInterface182.
inline constexpr CFUUIDRef kIOUSBDeviceInterfaceID = &plat::uuid::kUSBDeviceInterface;
inline constexpr CFUUIDRef kIOUSBDeviceInterfaceID182 = &plat::uuid::kUSBDeviceInterface182;
inline constexpr CFUUIDRef kIOUSBInterfaceUserClientTypeID = &plat::uuid::kUSBInterfaceUserClient;
inline constexpr CFUUIDRef kIOUSBInterfaceInterfaceID182 = &plat::uuid::kUSBInterfaceInterface182;

// COM basics.
using HRESULT = SInt32;
using ULONG = UInt32;
using LPVOID = void*;
using REFIID = CFUUIDBytes;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80000004);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);

// The first entries of every interface table.
#define TALLOWMERE_IUNKNOWN_ENTRIES                                     \
  void* _reserved;                                                      \
  HRESULT (*QueryInterface)(void* self, REFIID iid, LPVOID* interface); \
  ULONG (*AddRef)(void* self);                                          \
  ULONG (*Release)(void* self)

struct IOCFPlugInInterface {
  TALLOWMERE_IUNKNOWN_ENTRIES;
  UInt16 version;
  UInt16 revision;
};

// A plug-in of `pluginType` (a user-client type) for `service`; `interfaceType` must be
// kIOCFPlugInInterfaceID. The plug-in is given back with IODestroyPlugInInterface (or its
// Release); the interfaces it handed out live on until they are released themselves.
kern_return_t IOCreatePlugInInterfaceForService(io_service_t service, CFUUIDRef pluginType,
                                                CFUUIDRef interfaceType,
                                                IOCFPlugInInterface*** theInterface,
                                                SInt32* theScore);
kern_return_t IODestroyPlugInInterface(IOCFPlugInInterface** interface);

namespace plat {
// Plug-ins and device interfaces not released yet, for leak tests.
long LivePlugInInterfaces();
}  // namespace plat
