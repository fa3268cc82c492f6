#include "platform/sim/OtherHIDDevice.h"

namespace plat::sim {

SwitchServices CreateOtherHIDDeviceServices(const HIDDeviceConfig& config) {
  SwitchServices services;
  services.usbDevice = std::make_shared<IOService>("IOUSBDevice");
  services.usbDevice->SetNumberProperty("idVendor", static_cast<long>(config.vendorID));
  services.usbDevice->SetNumberProperty("idProduct", static_cast<long>(config.productID));

  auto hidInterface = std::make_shared<IOService>("IOUSBInterface", services.usbDevice);
  hidInterface->SetNumberProperty("bInterfaceNumber", 0);
  hidInterface->SetNumberProperty("bInterfaceClass", 3);
  services.usbInterfaces.push_back(hidInterface);

  services.hidDevice = std::make_shared<IOService>("IOHIDDevice", hidInterface);
  services.hidDevice->SetNumberProperty("VendorID", static_cast<long>(config.vendorID));
  services.hidDevice->SetNumberProperty("ProductID", static_cast<long>(config.productID));
  if (config.serialNumber)
    services.hidDevice->SetStringProperty("SerialNumber", *config.serialNumber);
  if (config.maxFeatureReportSize)
    services.hidDevice->SetNumberProperty("MaxFeatureReportSize", *config.maxFeatureReportSize);
  services.hidDevice->SetPropertiesFault(config.propertiesFault);
  return services;
}

}  // namespace plat::sim
