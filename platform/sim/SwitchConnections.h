// The device interfaces of a simulated switch: one connection object per plug-in, speaking to
// the switch the way the host's driver speaks to the hardware. A connection whose switch is
// gone, or unplugged, answers kIOReturnNoDevice.
#pragma once

#include <memory>
#include <vector>

#include "platform/model/iokit/DeviceBackends.h"
#include "platform/sim/SimulatedSwitch.h"

namespace plat::sim {

// Closes a connection and records it with the switch, when the switch is still there: closing a
// connection that is not open answers kIOReturnNotOpen.
inline IOReturn CloseConnection(const std::shared_ptr<SimulatedSwitch>& simulated, bool& open,
                                Exchange exchange) {
  exchange.status = open ? kIOReturnSuccess : kIOReturnNotOpen;
  open = false;
  if (simulated != nullptr)
    simulated->Record(exchange);
  return exchange.status;
}

class HIDConnection final : public HIDDeviceBackend {
 public:
  explicit HIDConnection(std::weak_ptr<SimulatedSwitch> simulated)
      : switch_(std::move(simulated)) {}
  IOReturn Open(IOOptionBits options) override;
  IOReturn Close() override;
  IOReturn GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer, UInt32* size) override;
  IOReturn SetReport(IOHIDReportType type, UInt32 reportID, const UInt8* buffer,
                     UInt32 size) override;

 private:
  std::weak_ptr<SimulatedSwitch> switch_;
  bool open_ = false;
};

class USBDeviceConnection final : public USBDeviceBackend {
 public:
  USBDeviceConnection(std::weak_ptr<SimulatedSwitch> simulated,
                      std::vector<std::weak_ptr<IOService>> interfaces)
      : switch_(std::move(simulated)), interfaces_(std::move(interfaces)) {}
  IOReturn Open() override;
  IOReturn Close() override;
  IOReturn GetVendor(UInt16* vendor) override;
  IOReturn GetProduct(UInt16* product) override;
  IOReturn GetSerialNumberStringIndex(UInt8* index) override;
  IOReturn DeviceRequest(IOUSBDevRequest& request) override;
  IOReturn GetNumberOfConfigurations(UInt8* count) override;
  IOReturn GetConfigurationDescriptor(UInt8 index,
                                      IOUSBConfigurationDescriptorPtr* descriptor) override;
  IOReturn SetConfiguration(UInt8 configurationValue) override;
  IOReturn InterfaceServices(const IOUSBFindInterfaceRequest& request,
                             std::vector<std::shared_ptr<IOService>>* services) override;

 private:
  std::weak_ptr<SimulatedSwitch> switch_;
  std::vector<std::weak_ptr<IOService>> interfaces_;
  IOUSBConfigurationDescriptor descriptor_{};
  bool open_ = false;
};

class USBInterfaceConnection final : public USBInterfaceBackend {
 public:
  USBInterfaceConnection(std::weak_ptr<SimulatedSwitch> simulated, std::size_t index)
      : switch_(std::move(simulated)), index_(index) {}
  IOReturn Open() override;
  IOReturn Close() override;
  IOReturn GetNumEndpoints(UInt8* count) override;
  IOReturn GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) override;
  IOReturn WritePipe(UInt8 pipeRef, const UInt8* buffer, UInt32 size) override;

 private:
  const InterfaceLayout* Layout(const SimulatedSwitch& simulated) const;

  std::weak_ptr<SimulatedSwitch> switch_;
  std::size_t index_;
  bool open_ = false;
};

}  // namespace plat::sim
