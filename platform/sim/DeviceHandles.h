// The device interfaces of a service, obtained the way discovery does: a plug-in for the
// service's user-client type, then the plug-in's QueryInterface. For tests and the console,
// which reach a simulated switch without discovery.
#pragma once

#include <memory>

#include "platform/IOHIDDevice.h"
#include "platform/IOUSBLib.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat::sim {

// Each returns a new reference (give it back with its Release), or null when the service makes
// no such interface.
IOHIDDeviceInterface122** CreateHIDDeviceInterface(const std::shared_ptr<IOService>& hidDevice);
IOUSBDeviceInterface182** CreateUSBDeviceInterface(const std::shared_ptr<IOService>& usbDevice);

}  // namespace plat::sim
