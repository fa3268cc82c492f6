#include "platform/linux/ServiceTree.h"

#include <algorithm>

#include "platform/linux/HidrawConnection.h"
#include "platform/linux/UsbConnections.h"
#include "platform/model/iokit/IORegistry.h"

namespace plat::linux_dev {

namespace fs = std::filesystem;

namespace {

constexpr int kHidClass = 3;

template <typename Make>
PlugInFactory FactoryFor(CFUUIDRef type, Make make) {
  return [type, make](CFUUIDRef pluginType, PlugInBackend* backend) -> IOReturn {
    if (!SameUUID(pluginType, type))
      return kIOReturnUnsupported;
    *backend = make();
    return kIOReturnSuccess;
  };
}

bool IsBelow(const fs::path& path, const fs::path& folder) {
  return path.string().starts_with(folder.string() + "/");
}

}  // namespace

UsbDeviceRequests UsbDeviceRequests::Real() {
  return {ReadUsbString, ReattachKernelDriver};
}

ServiceTree::ServiceTree(fs::path root, UsbDeviceRequests usb, std::shared_ptr<HidrawSystem> hidraw)
    : root_(std::move(root)), usb_(std::move(usb)), hidrawSystem_(std::move(hidraw)) {}

void ServiceTree::AddPresentDevices() {
  const std::vector<fs::path> usb = UsbDeviceSyspaths(root_);
  ReattachOrphanedHidInterfaces(usb);
  Rescan(usb, HidrawSyspaths(root_));
}

void ServiceTree::ReattachOrphanedHidInterfaces(const std::vector<fs::path>& usbDevices) {
  for (const fs::path& syspath : usbDevices) {
    const auto device = DescribeUsbDevice(root_, syspath);
    if (!device)
      continue;
    for (const UsbInterfaceInfo& interface : UsbInterfacesOf(syspath)) {
      if (interface.interfaceClass == kHidClass && interface.driver.empty() && usb_.reattach)
        usb_.reattach(*device, interface.number);
    }
  }
}

void ServiceTree::Rescan(const std::vector<fs::path>& usbDevices,
                         const std::vector<fs::path>& hidraw) {
  const std::set<fs::path> usbThere(usbDevices.begin(), usbDevices.end());
  const std::set<fs::path> hidrawThere(hidraw.begin(), hidraw.end());
  std::vector<fs::path> gone;
  for (const auto& [syspath, service] : hidraw_) {
    if (!hidrawThere.contains(syspath))
      gone.push_back(syspath);
  }
  for (const fs::path& syspath : gone)
    HidrawRemoved(syspath);
  gone.clear();
  for (const auto& [syspath, service] : usbDevices_) {
    if (!usbThere.contains(syspath))
      gone.push_back(syspath);
  }
  for (const fs::path& syspath : gone)
    UsbDeviceRemoved(syspath);
  for (const fs::path& syspath : usbDevices)
    UsbDeviceAdded(syspath);
  for (const fs::path& syspath : hidraw)
    HidrawAdded(syspath);
}

void ServiceTree::HidrawAdded(const fs::path& syspath) {
  if (hidraw_.contains(syspath))
    return;
  if (auto info = DescribeHidraw(root_, syspath))
    Add(std::move(*info));
}

void ServiceTree::HidrawRemoved(const fs::path& syspath) {
  const auto found = hidraw_.find(syspath);
  if (found == hidraw_.end())
    return;
  const auto service = found->second;
  hidraw_.erase(found);
  hidrawDevices_->erase(syspath);
  // A stand-in transport leaves with its device, and takes the device's service with it.
  if (const auto transport = transports_.find(syspath); transport != transports_.end()) {
    const auto top = transport->second;
    transports_.erase(transport);
    IORegistry::Shared().Terminate(top);
    return;
  }
  IORegistry::Shared().Terminate(service);
}

void ServiceTree::UsbDeviceAdded(const fs::path& syspath) {
  if (usbDevices_.contains(syspath))
    return;
  if (const auto usb = DescribeUsbDevice(root_, syspath))
    UsbDeviceService(*usb);
}

void ServiceTree::UsbDeviceRemoved(const fs::path& syspath) {
  const auto found = usbDevices_.find(syspath);
  if (found == usbDevices_.end())
    return;
  const auto service = found->second;
  usbDevices_.erase(found);
  usbNodes_.erase(syspath);
  serialRefused_.erase(syspath);
  const auto below = [&](const auto& entry) { return IsBelow(entry.first, syspath); };
  std::erase_if(interfaces_, below);
  std::erase_if(hidraw_, below);
  std::erase_if(*hidrawDevices_, below);
  IORegistry::Shared().Terminate(service);
}

void ServiceTree::Changed(const fs::path& syspath) {
  if (const auto device = Hidraw(syspath); device != nullptr && device->OpenRefused()) {
    HidrawRemoved(syspath);
    HidrawAdded(syspath);
    return;
  }
  const auto node = usbNodes_.find(syspath);
  if (node == usbNodes_.end() ||
      (!node->second->OpenRefused() && !serialRefused_.contains(syspath)))
    return;
  serialRefused_.erase(syspath);
  UsbDeviceRemoved(syspath);
  UsbDeviceAdded(syspath);
  for (const fs::path& hidraw : HidrawSyspaths(root_)) {
    if (IsBelow(hidraw, syspath))
      HidrawAdded(hidraw);
  }
}

std::shared_ptr<IOService> ServiceTree::HidService(const fs::path& syspath) const {
  const auto found = hidraw_.find(syspath);
  return found == hidraw_.end() ? nullptr : found->second;
}

std::shared_ptr<IOService> ServiceTree::UsbService(const fs::path& syspath) const {
  const auto found = usbDevices_.find(syspath);
  return found == usbDevices_.end() ? nullptr : found->second;
}

std::shared_ptr<HidrawDevice> ServiceTree::Hidraw(const fs::path& syspath) const {
  const auto found = hidrawDevices_->find(syspath);
  return found == hidrawDevices_->end() ? nullptr : found->second;
}

std::shared_ptr<IOService> ServiceTree::UsbDeviceService(const UsbDeviceInfo& usb) {
  if (const auto found = usbDevices_.find(usb.syspath); found != usbDevices_.end())
    return found->second;
  auto service = std::make_shared<IOService>("IOUSBDevice");
  service->SetNumberProperty("idVendor", static_cast<long>(usb.vendor));
  service->SetNumberProperty("idProduct", static_cast<long>(usb.product));
  const std::weak_ptr<HidrawDevices> devices = hidrawDevices_;
  auto node = std::make_shared<UsbNode>(
      usb, [devices](const fs::path& hidraw) -> std::shared_ptr<HidrawDevice> {
        const auto held = devices.lock();
        if (held == nullptr)
          return nullptr;
        const auto found = held->find(hidraw);
        return found == held->end() ? nullptr : found->second;
      });
  const std::weak_ptr<IOService> weak = service;
  service->SetPlugInFactory(FactoryFor(kIOUSBDeviceUserClientTypeID, [node, weak] {
    return std::make_shared<UsbDeviceConnection>(node, weak);
  }));
  usbDevices_[usb.syspath] = service;
  usbNodes_[usb.syspath] = node;
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

void ServiceTree::Add(HidrawInfo info) {
  // The kernel cuts HID_UNIQ at a U+0000 character and leaves it empty when it could not read
  // the serial number: then the USB device's own string descriptor, every character of it.
  if (!info.serialNumber && info.usb && info.usb->serialIndex != 0 && usb_.readString) {
    bool refused = false;
    auto serial = usb_.readString(*info.usb, info.usb->serialIndex, &refused);
    if (serial && !serial->empty())
      info.serialNumber = std::move(serial);
    if (refused)
      serialRefused_.insert(info.usb->syspath);
  }
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
  auto device = std::make_shared<HidrawDevice>(
      HidrawIdentity{info.devnode, info.number, info.identity, info.udevRecord}, hidrawSystem_);
  service->SetPlugInFactory(FactoryFor(kIOHIDDeviceUserClientTypeID, [device] {
    return std::make_shared<HidrawConnection>(device);
  }));
  (*hidrawDevices_)[info.syspath] = device;
  hidraw_[info.syspath] = service;
  IORegistry::Shared().Register(service);
}

}  // namespace plat::linux_dev
