// Device services and the handles that name them.
//
// A handle (io_object_t) names a service, an iterator or a notification. Every handle a call
// hands out carries one reference that its receiver gives back with IOObjectRelease; the same
// object keeps the same handle while any reference to it is held. 0 names nothing.
#pragma once

#include "platform/CoreFoundation.h"
#include "platform/MacTypes.h"

using io_object_t = mach_port_t;
using io_service_t = io_object_t;
using io_iterator_t = io_object_t;
using io_registry_entry_t = io_object_t;
using io_name_t = char[128];
using IOOptionBits = UInt32;

constexpr mach_port_t MACH_PORT_NULL = 0;
constexpr mach_port_t kIOMasterPortDefault = 0;
// The plane of the service tree: a HID device, its USB interface, their USB device.
inline constexpr const char* kIOServicePlane = "IOService";

kern_return_t IOObjectRetain(io_object_t object);
// Gives back one reference; kIOReturnBadArgument for 0 or a handle that names nothing.
kern_return_t IOObjectRelease(io_object_t object);
// The class name of a service ("IOHIDDevice", "IOUSBDevice", "IOUSBInterface"), an iterator
// ("IOIterator") or a notification ("IOServiceNotifier", "IOServiceInterest").
kern_return_t IOObjectGetClass(io_object_t object, io_name_t className);
Boolean IOObjectConformsTo(io_object_t object, const char* className);

// The next object of the iteration with a new reference, or 0 when there are no more.
io_object_t IOIteratorNext(io_iterator_t iterator);
void IOIteratorReset(io_iterator_t iterator);
Boolean IOIteratorIsValid(io_iterator_t iterator);

// The service above `entry` in the service plane, with a new reference.
kern_return_t IORegistryEntryGetParentEntry(io_registry_entry_t entry, const char* plane,
                                            io_registry_entry_t* parent);
// A copy of the service's properties (CFString keys; CFString or CFNumber values), owned by the
// caller.
kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry,
                                                CFMutableDictionaryRef* properties,
                                                CFAllocatorRef allocator, IOOptionBits options);

namespace plat {
// References handed out and not given back yet, for leak tests.
long LiveIOObjects();
}  // namespace plat
