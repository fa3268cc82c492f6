// Device services and the handles that name them.
//
// A handle (io_object_t) names a service, an iterator or a notification. Every handle a call
// hands out carries one reference that its receiver gives back with IOObjectRelease; the same
// object keeps the same handle while any reference to it is held. 0 names nothing.
#pragma once

#include "platform/CFRunLoop.h"
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

// Ports. The master port names the registry; a program asks for it with its bootstrap port and
// gives it back with mach_port_deallocate.
constexpr kern_return_t KERN_INVALID_NAME = 15;
extern const mach_port_t bootstrap_port;
mach_port_t mach_task_self();
kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t* masterPort);
// KERN_INVALID_NAME for a port that was not handed out or was given back already.
kern_return_t mach_port_deallocate(mach_port_t task, mach_port_t name);

// Matching: a dictionary with the class of the wanted services under kIOProviderClassKey
// ("IOService" matches every class) and, under any other key, a value the service's property of
// that key must equal (numbers compare by value, whatever their type).
inline constexpr const char* kIOProviderClassKey = "IOProviderClass";
// A new dictionary owned by the caller; null for a null name.
CFMutableDictionaryRef IOServiceMatching(const char* name);
// An iterator over the services attached now that match. Consumes one reference of `matching`.
kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFDictionaryRef matching,
                                           io_iterator_t* existing);

// Notifications arrive through a notification port whose run-loop source the program adds to its
// run loop; they are delivered from that run loop, in the order they happened, never from inside
// the call that caused them, and none before the source has been added.
struct IONotificationPort;
using IONotificationPortRef = IONotificationPort*;
IONotificationPortRef IONotificationPortCreate(mach_port_t masterPort);
// Drops the port with its source and every delivery not made yet.
void IONotificationPortDestroy(IONotificationPortRef notify);
// The port's source, owned by the port.
CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify);

// Arrival of services: the only type is the first match of each service.
inline constexpr const char* kIOFirstMatchNotification = "IOServiceFirstMatch";
using IOServiceMatchingCallback = void (*)(void* refCon, io_iterator_t iterator);
// Watches for services that match; consumes one reference of `matching`. *notification receives
// the notification's iterator (one reference; releasing it ends the notification), which holds
// the services that match already. The notification is armed once the iterator has been walked
// to its end: the next service that matches then calls `callback` with the iterator, which holds
// every service that matched since; the callback walks it to its end to arm it again.
kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef notifyPort,
                                               const char* notificationType,
                                               CFDictionaryRef matching,
                                               IOServiceMatchingCallback callback, void* refCon,
                                               io_iterator_t* notification);

// Messages about one service: the only type is general interest, whose message on removal is
// kIOMessageServiceIsTerminated (with no argument). The service handle the callback receives is
// lent for the call.
inline constexpr const char* kIOGeneralInterest = "IOGeneralInterest";
using IOServiceInterestCallback = void (*)(void* refCon, io_service_t service,
                                           natural_t messageType, void* messageArgument);
// *notification receives the notification object (one reference; releasing it ends the
// notification). kIOReturnNoDevice for a service that has gone already.
kern_return_t IOServiceAddInterestNotification(IONotificationPortRef notifyPort,
                                               io_service_t service, const char* interestType,
                                               IOServiceInterestCallback callback, void* refCon,
                                               io_object_t* notification);

namespace plat {
// References handed out and not given back yet, for leak tests.
long LiveIOObjects();
// Master ports handed out and not given back yet, for leak tests.
long LiveMasterPorts();
}  // namespace plat
