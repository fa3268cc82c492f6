// The services of a simulated switch: its USB device, the device's interfaces, and the HID
// device below the HID interface, each able to make the plug-in of its device interface.
#include "platform/sim/SimulatedSwitch.h"
#include "platform/sim/SwitchConnections.h"

namespace plat::sim {

namespace {

// A factory for plug-ins of `type` whose backend `make` builds, unless the switch is gone or
// has been told to fail (to make no plug-in, or one without a device interface).
template <typename Make>
PlugInFactory FactoryFor(std::weak_ptr<SimulatedSwitch> simulated, CFUUIDRef type, Make make) {
  return [simulated, type, make](CFUUIDRef pluginType, PlugInBackend* backend) -> IOReturn {
    auto owner = simulated.lock();
    if (owner == nullptr || !owner->IsConnected())
      return kIOReturnNoDevice;
    if (auto fault = owner->TakeFault(Operation::kPlugIn))
      return *fault;
    if (!SameUUID(pluginType, type))
      return kIOReturnUnsupported;
    if (auto fault = owner->TakeFault(Operation::kQueryInterface)) {
      *backend = NoDeviceInterface{*fault};
      return kIOReturnSuccess;
    }
    *backend = make();
    return kIOReturnSuccess;
  };
}

}  // namespace

SwitchServices SimulatedSwitch::CreateServices() {
  const std::weak_ptr<SimulatedSwitch> self = weak_from_this();
  SwitchServices services;

  services.usbDevice = std::make_shared<IOService>("IOUSBDevice");
  services.usbDevice->SetNumberProperty("idVendor", static_cast<long>(config_.vendorID));
  services.usbDevice->SetNumberProperty("idProduct", static_cast<long>(config_.productID));
  services.usbDevice->SetStringProperty("USB Vendor Name", "Velbrook");
  services.usbDevice->SetStringProperty("USB Product Name", "KVM Switch");
  if (config_.generation == 1) {
    services.usbDevice->SetStringProperty("USB Serial Number", SerialNumberText());
  }

  std::vector<std::weak_ptr<IOService>> interfaces;
  std::shared_ptr<IOService> hidInterface;
  for (std::size_t i = 0; i < interfaces_.size(); ++i) {
    auto service = std::make_shared<IOService>("IOUSBInterface", services.usbDevice);
    service->SetNumberProperty("bInterfaceNumber", interfaces_[i].number);
    service->SetNumberProperty("bInterfaceClass", interfaces_[i].interfaceClass);
    service->SetPlugInFactory(FactoryFor(self, kIOUSBInterfaceUserClientTypeID, [self, i] {
      return std::make_shared<USBInterfaceConnection>(self, i);
    }));
    if (hidInterface == nullptr && interfaces_[i].interfaceClass == 3)
      hidInterface = service;
    interfaces.push_back(service);
    services.usbInterfaces.push_back(std::move(service));
  }
  services.usbDevice->SetPlugInFactory(FactoryFor(
      self, kIOUSBDeviceUserClientTypeID,
      [self, interfaces] { return std::make_shared<USBDeviceConnection>(self, interfaces); }));

  services.hidDevice = std::make_shared<IOService>("IOHIDDevice", hidInterface);
  services.hidDevice->SetNumberProperty("VendorID", static_cast<long>(config_.vendorID));
  services.hidDevice->SetNumberProperty("ProductID", static_cast<long>(config_.productID));
  services.hidDevice->SetStringProperty("Manufacturer", "Velbrook");
  services.hidDevice->SetStringProperty("Product", "KVM Switch");
  if (config_.generation == 1) {
    services.hidDevice->SetStringProperty("SerialNumber", SerialNumberText());
  } else {
    services.hidDevice->SetNumberProperty("MaxFeatureReportSize", 8);
  }
  services.hidDevice->SetPlugInFactory(FactoryFor(self, kIOHIDDeviceUserClientTypeID, [self] {
    return std::make_shared<HIDConnection>(self);
  }));
  return services;
}

}  // namespace plat::sim
