// Basic types, status codes and four-character codes shared by the whole platform API.
#pragma once

#include <cstddef>
#include <cstdint>

using UInt8 = std::uint8_t;
using SInt8 = std::int8_t;
using UInt16 = std::uint16_t;
using SInt16 = std::int16_t;
using UInt32 = std::uint32_t;
using SInt32 = std::int32_t;
using UInt64 = std::uint64_t;
using SInt64 = std::int64_t;
using Boolean = unsigned char;
using OSStatus = SInt32;
using OSErr = SInt16;
using OSType = UInt32;
using FourCharCode = UInt32;
using ByteCount = std::size_t;
using ItemCount = std::size_t;
using LogicalAddress = void*;
using Ptr = char*;
using Handle = char**;

// Kernel and IOKit status codes.
using kern_return_t = int;
using IOReturn = kern_return_t;
using natural_t = unsigned int;
using mach_port_t = unsigned int;

// A four-character code as the 32-bit value whose bytes, most significant first, are the four
// characters: FourCC("SPC1") == 0x53504331.
consteval OSType FourCC(const char (&code)[5]) {
  return (static_cast<OSType>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<OSType>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<OSType>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<OSType>(static_cast<unsigned char>(code[3]));
}

// The same conversion for codes known only at run time (nib files, tests).
constexpr OSType FourCCFromText(const char* code) {
  OSType value = 0;
  for (int i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(code[i]);
  }
  return value;
}

// General statuses.
constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus memFullErr = -108;
constexpr OSStatus fnfErr = -43;
constexpr OSStatus procNotFound = -600;

// Event Manager statuses.
constexpr OSStatus eventAlreadyPostedErr = -9860;
constexpr OSStatus eventTargetBusyErr = -9861;
constexpr OSStatus eventClassInvalidErr = -9862;
constexpr OSStatus eventClassIncorrectErr = -9864;
constexpr OSStatus eventHandlerAlreadyInstalledErr = -9866;
constexpr OSStatus eventInternalErr = -9868;
constexpr OSStatus eventKindIncorrectErr = -9869;
constexpr OSStatus eventParameterNotFoundErr = -9870;
constexpr OSStatus eventNotHandledErr = -9874;
constexpr OSStatus eventLoopTimedOutErr = -9875;
constexpr OSStatus eventLoopQuitErr = -9876;
constexpr OSStatus eventNotInQueueErr = -9877;
constexpr OSStatus eventHotKeyExistsErr = -9878;
constexpr OSStatus eventHotKeyInvalidErr = -9879;

// Control Manager and nib statuses.
constexpr OSStatus errUnknownControl = -30584;
constexpr OSStatus errInvalidWindowRef = -5600;
constexpr OSStatus errWindowPropertyNotFound = -5604;
constexpr OSStatus kIBCarbonRuntimeCantFindNibFile = -10960;
constexpr OSStatus kIBCarbonRuntimeObjectNotOfRequestedType = -10961;
constexpr OSStatus kIBCarbonRuntimeCantFindObject = -10962;
constexpr OSStatus menuItemNotFoundErr = -5620;
constexpr OSStatus menuPropertyNotFoundErr = -5603;

// Multiprocessing Services statuses.
constexpr OSStatus kMPInvalidIDErr = -29292;
constexpr OSStatus kMPInsufficientResourcesErr = -29294;
constexpr OSStatus kMPTimeoutErr = -29296;

// IOKit statuses.
constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnError = static_cast<IOReturn>(0xE00002BC);
constexpr IOReturn kIOReturnNoMemory = static_cast<IOReturn>(0xE00002BD);
constexpr IOReturn kIOReturnNoResources = static_cast<IOReturn>(0xE00002BE);
constexpr IOReturn kIOReturnNoDevice = static_cast<IOReturn>(0xE00002C0);
constexpr IOReturn kIOReturnNotPrivileged = static_cast<IOReturn>(0xE00002C1);
constexpr IOReturn kIOReturnBadArgument = static_cast<IOReturn>(0xE00002C2);
constexpr IOReturn kIOReturnExclusiveAccess = static_cast<IOReturn>(0xE00002C5);
constexpr IOReturn kIOReturnUnsupported = static_cast<IOReturn>(0xE00002C7);
constexpr IOReturn kIOReturnIOError = static_cast<IOReturn>(0xE00002CA);
constexpr IOReturn kIOReturnNotOpen = static_cast<IOReturn>(0xE00002CD);
constexpr IOReturn kIOReturnNotReadable = static_cast<IOReturn>(0xE00002CE);
constexpr IOReturn kIOReturnNotWritable = static_cast<IOReturn>(0xE00002CF);
constexpr IOReturn kIOReturnTimeout = static_cast<IOReturn>(0xE00002D6);
constexpr IOReturn kIOReturnNotPermitted = static_cast<IOReturn>(0xE00002E2);
constexpr IOReturn kIOReturnUnderrun = static_cast<IOReturn>(0xE00002E7);
constexpr IOReturn kIOReturnOverrun = static_cast<IOReturn>(0xE00002E8);
constexpr IOReturn kIOReturnAborted = static_cast<IOReturn>(0xE00002EB);
constexpr IOReturn kIOReturnNotResponding = static_cast<IOReturn>(0xE00002ED);
constexpr IOReturn kIOReturnNotFound = static_cast<IOReturn>(0xE00002F0);

// IOKit messages delivered to interest notifications.
constexpr natural_t kIOMessageServiceIsTerminated = 0xE0000010;

constexpr kern_return_t KERN_SUCCESS = 0;
