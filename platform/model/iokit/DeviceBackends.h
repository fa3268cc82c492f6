// What a backend implements for the device interfaces: one object per plug-in, to which the
// COM-style tables of IOHIDDevice.h and IOUSBLib.h forward their calls. Arguments have been
// checked by the tables (no null out-pointers); statuses go back to the caller unchanged.
#pragma once

#include <functional>
#include <memory>
#include <variant>
#include <vector>

#include "platform/IOCFPlugIn.h"
#include "platform/IOHIDDevice.h"
#include "platform/IOUSBLib.h"

namespace plat {

class IOService;

class HIDDeviceBackend {
 public:
  virtual ~HIDDeviceBackend() = default;
  virtual IOReturn Open(IOOptionBits options) = 0;
  virtual IOReturn Close() = 0;
  // *size is the buffer's length on entry and the number of bytes read on return.
  virtual IOReturn GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer,
                             UInt32* size) = 0;
  virtual IOReturn SetReport(IOHIDReportType type, UInt32 reportID, const UInt8* buffer,
                             UInt32 size) = 0;
};

class USBDeviceBackend {
 public:
  virtual ~USBDeviceBackend() = default;
  virtual IOReturn Open() = 0;
  virtual IOReturn Close() = 0;
  virtual IOReturn GetVendor(UInt16* vendor) = 0;
  virtual IOReturn GetProduct(UInt16* product) = 0;
  virtual IOReturn GetSerialNumberStringIndex(UInt8* index) = 0;
  virtual IOReturn DeviceRequest(IOUSBDevRequest& request) = 0;
  virtual IOReturn GetNumberOfConfigurations(UInt8* count) = 0;
  virtual IOReturn GetConfigurationDescriptor(UInt8 index,
                                              IOUSBConfigurationDescriptorPtr* descriptor) = 0;
  virtual IOReturn SetConfiguration(UInt8 configurationValue) = 0;
  // The "IOUSBInterface" services that match the request, in interface order.
  virtual IOReturn InterfaceServices(const IOUSBFindInterfaceRequest& request,
                                     std::vector<std::shared_ptr<IOService>>* services) = 0;
};

struct PipeProperties {
  UInt8 direction = kUSBNone;
  UInt8 number = 0;
  UInt8 transferType = kUSBControl;
  UInt16 maxPacketSize = 0;
  UInt8 interval = 0;
};

class USBInterfaceBackend {
 public:
  virtual ~USBInterfaceBackend() = default;
  virtual IOReturn Open() = 0;
  virtual IOReturn Close() = 0;
  virtual IOReturn GetNumEndpoints(UInt8* count) = 0;
  virtual IOReturn GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) = 0;
  virtual IOReturn WritePipe(UInt8 pipeRef, const UInt8* buffer, UInt32 size) = 0;
};

// A plug-in that hands out no device interface: its QueryInterface answers `answer` (S_OK
// included, as a faulty driver might) and gives nothing.
struct NoDeviceInterface {
  HRESULT answer = E_NOINTERFACE;
};

// The backend of one plug-in; empty when a service made none.
using PlugInBackend = std::variant<std::monostate, std::shared_ptr<HIDDeviceBackend>,
                                   std::shared_ptr<USBDeviceBackend>,
                                   std::shared_ptr<USBInterfaceBackend>, NoDeviceInterface>;

// How a service makes the backend of a plug-in of a user-client type. A non-zero status is the
// result of IOCreatePlugInInterfaceForService; 0 with an empty backend gives success without a
// plug-in.
using PlugInFactory = std::function<IOReturn(CFUUIDRef pluginType, PlugInBackend* backend)>;

bool SameUUID(CFUUIDRef a, CFUUIDRef b);

// The device interfaces over a backend, each with one reference for the caller.
IOHIDDeviceInterface122** NewHIDDeviceInterface(std::shared_ptr<HIDDeviceBackend> backend);
IOUSBDeviceInterface182** NewUSBDeviceInterface(std::shared_ptr<USBDeviceBackend> backend);
IOUSBInterfaceInterface182** NewUSBInterfaceInterface(std::shared_ptr<USBInterfaceBackend> backend);

}  // namespace plat
