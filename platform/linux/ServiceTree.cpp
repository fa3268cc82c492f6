#include "platform/linux/ServiceTree.h"

#include "platform/linux/HidrawConnection.h"
#include "platform/linux/UsbConnections.h"
#include "platform/model/iokit/IORegistry.h"

namespace plat::linux_dev {

namespace fs = std::filesystem;

namespace {

template <typename Make>
PlugInFactory FactoryFor(CFUUIDRef type, Make make) {
  return [type, make](CFUUIDRef pluginType, PlugInBackend* backend) -> IOReturn {
    if (!SameUUID(pluginType, type))
      return kIOReturnUnsupported;
    *backend = make();
    return kIOReturnSuccess;
  };
}

}  // namespace

void ServiceTree::AddPresentDevices() {
  for (const fs::path& syspath : HidrawSyspaths(root_)) {
    if (auto info = DescribeHidraw(root_, syspath))
      Add(*info);
  }
}

void ServiceTree::HidrawAdded(const fs::path& syspath) {
  if (hidraw_.contains(syspath))
    return;
  if (auto info = DescribeHidraw(root_, syspath))
    Add(*info);
}

void ServiceTree::HidrawRemoved(const fs::path& syspath) {
  const auto found = hidraw_.find(syspath);
  if (found == hidraw_.end())
    return;
  const auto service = found->second;
  hidraw_.erase(found);
  // A stand-in transport leaves with its device, and takes the device's service with it.
  if (const auto transport = transports_.find(syspath); transport != transports_.end()) {
    const auto top = transport->second;
    transports_.erase(transport);
    IORegistry::Shared().Terminate(top);
    return;
  }
  IORegistry::Shared().Terminate(service);
}

void ServiceTree::UsbDeviceRemoved(const fs::path& syspath) {
  const auto found = usbDevices_.find(syspath);
  if (found == usbDevices_.end())
    return;
  const auto service = found->second;
  usbDevices_.erase(found);
  const std::string below = syspath.string() + "/";
  std::erase_if(interfaces_,
                [&](const auto& entry) { return entry.first.string().starts_with(below); });
  std::erase_if(hidraw_,
                [&](const auto& entry) { return entry.first.string().starts_with(below); });
  IORegistry::Shared().Terminate(service);
}

std::shared_ptr<IOService> ServiceTree::HidService(const fs::path& syspath) const {
  const auto found = hidraw_.find(syspath);
  return found == hidraw_.end() ? nullptr : found->second;
}

std::shared_ptr<IOService> ServiceTree::UsbService(const fs::path& syspath) const {
  const auto found = usbDevices_.find(syspath);
  return found == usbDevices_.end() ? nullptr : found->second;
}

std::shared_ptr<IOService> ServiceTree::UsbDeviceService(const UsbDeviceInfo& usb) {
  if (const auto found = usbDevices_.find(usb.syspath); found != usbDevices_.end())
    return found->second;
  auto service = std::make_shared<IOService>("IOUSBDevice");
  service->SetNumberProperty("idVendor", static_cast<long>(usb.vendor));
  service->SetNumberProperty("idProduct", static_cast<long>(usb.product));
  auto node = std::make_shared<UsbNode>(usb.devnode, usb.vendor, usb.product);
  const std::weak_ptr<IOService> weak = service;
  service->SetPlugInFactory(FactoryFor(kIOUSBDeviceUserClientTypeID, [node, weak] {
    return std::make_shared<UsbDeviceConnection>(node, weak);
  }));
  usbDevices_[usb.syspath] = service;
  IORegistry::Shared().Register(service);
  return service;
}

std::shared_ptr<IOService> ServiceTree::InterfaceService(
    const HidrawInfo& info, const std::shared_ptr<IOService>& usbDevice) {
  if (const auto found = interfaces_.find(info.interfaceSyspath); found != interfaces_.end())
    return found->second;
  auto service = std::make_shared<IOService>("IOUSBInterface", usbDevice);
  service->SetNumberProperty("bInterfaceNumber", info.interfaceNumber);
  interfaces_[info.interfaceSyspath] = service;
  IORegistry::Shared().Register(service);
  return service;
}

std::shared_ptr<IOService> ServiceTree::StandInParent(const HidrawInfo& info) {
  auto transport = std::make_shared<IOService>("IOHIDTransport");
  transport->SetNumberProperty("idVendor", static_cast<long>(info.identity.vendor));
  transport->SetNumberProperty("idProduct", static_cast<long>(info.identity.product));
  auto interface = std::make_shared<IOService>("IOHIDInterface", transport);
  transports_[info.syspath] = transport;
  IORegistry::Shared().Register(transport);
  IORegistry::Shared().Register(interface);
  return interface;
}

void ServiceTree::Add(const HidrawInfo& info) {
  const std::shared_ptr<IOService> parent =
      info.usb ? InterfaceService(info, UsbDeviceService(*info.usb)) : StandInParent(info);
  auto service = std::make_shared<IOService>("IOHIDDevice", parent);
  service->SetNumberProperty("VendorID", static_cast<long>(info.identity.vendor));
  service->SetNumberProperty("ProductID", static_cast<long>(info.identity.product));
  if (info.serialNumber)
    service->SetStringProperty("SerialNumber", *info.serialNumber);
  if (info.maxFeatureReportSize)
    service->SetNumberProperty("MaxFeatureReportSize",
                               static_cast<long>(*info.maxFeatureReportSize));
  const auto devnode = info.devnode;
  const unsigned vendor = info.identity.vendor;
  const unsigned product = info.identity.product;
  service->SetPlugInFactory(FactoryFor(kIOHIDDeviceUserClientTypeID, [devnode, vendor, product] {
    return std::make_shared<HidrawConnection>(devnode, vendor, product);
  }));
  hidraw_[info.syspath] = service;
  IORegistry::Shared().Register(service);
}

}  // namespace plat::linux_dev
