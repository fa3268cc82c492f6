#include "platform/linux/UsbConnections.h"

#include <fcntl.h>
#include <libusb.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/ErrnoStatus.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat::linux_dev {

namespace {

constexpr unsigned kTransferTimeoutMs = 1000;

// One libusb context for the process, made on first use. Without device discovery libusb starts
// no hot-plug thread of its own and needs neither udevd nor access to all of usbfs.
libusb_context* Context() {
  static libusb_context* context = [] {
    libusb_set_option(nullptr, LIBUSB_OPTION_NO_DEVICE_DISCOVERY);
    libusb_context* made = nullptr;
    return libusb_init(&made) == LIBUSB_SUCCESS ? made : nullptr;
  }();
  return context;
}

}  // namespace

UsbNode::~UsbNode() {
  if (handle_ != nullptr)
    libusb_close(handle_);
  if (fd_ >= 0)
    ::close(fd_);
}

IOReturn UsbNode::Acquire() {
  if (users_ > 0) {
    ++users_;
    return kIOReturnSuccess;
  }
  libusb_context* context = Context();
  if (context == nullptr)
    return kIOReturnNoResources;
  const int fd = ::open(devnode_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == EACCES || error == EPERM)
      ReportNoAccess(devnode_.string(), vendor_, product_);
    return StatusFromErrno(error);
  }
  libusb_device_handle* handle = nullptr;
  const int wrapped = libusb_wrap_sys_device(context, static_cast<intptr_t>(fd), &handle);
  if (wrapped != LIBUSB_SUCCESS) {
    ::close(fd);
    return StatusFromLibusb(wrapped);
  }
  fd_ = fd;
  handle_ = handle;
  users_ = 1;
  return kIOReturnSuccess;
}

void UsbNode::Release() {
  if (users_ == 0 || --users_ > 0)
    return;
  libusb_close(handle_);
  ::close(fd_);
  handle_ = nullptr;
  fd_ = -1;
}

UsbDeviceConnection::~UsbDeviceConnection() {
  if (open_)
    node_->Release();
}

IOReturn UsbDeviceConnection::Open() {
  if (open_)
    return kIOReturnExclusiveAccess;
  const IOReturn status = node_->Acquire();
  open_ = status == kIOReturnSuccess;
  return status;
}

IOReturn UsbDeviceConnection::Close() {
  if (!open_)
    return kIOReturnNotOpen;
  open_ = false;
  node_->Release();
  return kIOReturnSuccess;
}

template <typename Use>
IOReturn UsbDeviceConnection::WithDescriptor(Use use) {
  if (const IOReturn status = node_->Acquire(); status != kIOReturnSuccess)
    return status;
  libusb_device_descriptor descriptor{};
  const int read = libusb_get_device_descriptor(libusb_get_device(node_->Handle()), &descriptor);
  if (read == LIBUSB_SUCCESS)
    use(descriptor);
  node_->Release();
  return StatusFromLibusb(read);
}

IOReturn UsbDeviceConnection::GetVendor(UInt16* vendor) {
  return WithDescriptor([vendor](const libusb_device_descriptor& d) { *vendor = d.idVendor; });
}

IOReturn UsbDeviceConnection::GetProduct(UInt16* product) {
  return WithDescriptor([product](const libusb_device_descriptor& d) { *product = d.idProduct; });
}

IOReturn UsbDeviceConnection::GetSerialNumberStringIndex(UInt8* index) {
  return WithDescriptor([index](const libusb_device_descriptor& d) { *index = d.iSerialNumber; });
}

IOReturn UsbDeviceConnection::GetNumberOfConfigurations(UInt8* count) {
  return WithDescriptor(
      [count](const libusb_device_descriptor& d) { *count = d.bNumConfigurations; });
}

IOReturn UsbDeviceConnection::DeviceRequest(IOUSBDevRequest& request) {
  if (!open_)
    return kIOReturnNotOpen;
  request.wLenDone = 0;
  const int moved = libusb_control_transfer(
      node_->Handle(), request.bmRequestType, request.bRequest, request.wValue, request.wIndex,
      static_cast<unsigned char*>(request.pData), request.wLength, kTransferTimeoutMs);
  if (moved < 0)
    return StatusFromLibusb(moved);
  request.wLenDone = static_cast<UInt32>(moved);
  return kIOReturnSuccess;
}

IOReturn UsbDeviceConnection::GetConfigurationDescriptor(
    UInt8 index, IOUSBConfigurationDescriptorPtr* descriptor) {
  if (!open_)
    return kIOReturnNotOpen;
  libusb_config_descriptor* config = nullptr;
  const int read = libusb_get_config_descriptor(libusb_get_device(node_->Handle()), index, &config);
  if (read != LIBUSB_SUCCESS)
    return StatusFromLibusb(read);
  // Kept for the life of this interface, as callers hold the pointer.
  auto copy = std::make_unique<IOUSBConfigurationDescriptor>(IOUSBConfigurationDescriptor{
      config->bLength, config->bDescriptorType, config->wTotalLength, config->bNumInterfaces,
      config->bConfigurationValue, config->iConfiguration, config->bmAttributes, config->MaxPower});
  libusb_free_config_descriptor(config);
  *descriptor = copy.get();
  configurations_.push_back(std::move(copy));
  return kIOReturnSuccess;
}

IOReturn UsbDeviceConnection::SetConfiguration(UInt8 configurationValue) {
  if (!open_)
    return kIOReturnNotOpen;
  int active = 0;
  if (const int read = libusb_get_configuration(node_->Handle(), &active); read != LIBUSB_SUCCESS)
    return StatusFromLibusb(read);
  if (active == configurationValue)
    return kIOReturnSuccess;
  return StatusFromLibusb(libusb_set_configuration(node_->Handle(), configurationValue));
}

IOReturn UsbDeviceConnection::InterfaceServices(const IOUSBFindInterfaceRequest& request,
                                                std::vector<std::shared_ptr<IOService>>* services) {
  auto device = service_.lock();
  if (device == nullptr || device->IsTerminated())
    return kIOReturnNoDevice;
  if (const IOReturn status = node_->Acquire(); status != kIOReturnSuccess)
    return status;
  libusb_config_descriptor* config = nullptr;
  const int read = libusb_get_config_descriptor(libusb_get_device(node_->Handle()), 0, &config);
  node_->Release();
  if (read != LIBUSB_SUCCESS)
    return StatusFromLibusb(read);

  const auto wanted = [](UInt16 field, UInt8 value) {
    return field == kIOUSBFindInterfaceDontCare || field == value;
  };
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    const libusb_interface& interface = config->interface[i];
    if (interface.num_altsetting < 1)
      continue;
    const libusb_interface_descriptor& alt = interface.altsetting[0];
    if (!wanted(request.bInterfaceClass, alt.bInterfaceClass) ||
        !wanted(request.bInterfaceSubClass, alt.bInterfaceSubClass) ||
        !wanted(request.bInterfaceProtocol, alt.bInterfaceProtocol) ||
        !wanted(request.bAlternateSetting, alt.bAlternateSetting))
      continue;
    std::vector<EndpointInfo> endpoints;
    for (int e = 0; e < alt.bNumEndpoints; ++e) {
      const libusb_endpoint_descriptor& ep = alt.endpoint[e];
      endpoints.push_back({ep.bEndpointAddress, ep.bmAttributes, ep.wMaxPacketSize, ep.bInterval});
    }
    auto service = std::make_shared<IOService>("IOUSBInterface", device);
    service->SetNumberProperty("bInterfaceNumber", alt.bInterfaceNumber);
    service->SetNumberProperty("bInterfaceClass", alt.bInterfaceClass);
    const int number = alt.bInterfaceNumber;
    service->SetPlugInFactory(
        [node = node_, number, endpoints](CFUUIDRef type, PlugInBackend* backend) -> IOReturn {
          if (!SameUUID(type, kIOUSBInterfaceUserClientTypeID))
            return kIOReturnUnsupported;
          *backend = std::make_shared<UsbInterfaceConnection>(node, number, endpoints);
          return kIOReturnSuccess;
        });
    services->push_back(std::move(service));
  }
  libusb_free_config_descriptor(config);
  return kIOReturnSuccess;
}

UsbInterfaceConnection::~UsbInterfaceConnection() {
  if (open_)
    Close();
}

IOReturn UsbInterfaceConnection::Open() {
  if (open_)
    return kIOReturnExclusiveAccess;
  if (const IOReturn status = node_->Acquire(); status != kIOReturnSuccess)
    return status;
  libusb_set_auto_detach_kernel_driver(node_->Handle(), 1);
  if (const int claimed = libusb_claim_interface(node_->Handle(), number_);
      claimed != LIBUSB_SUCCESS) {
    node_->Release();
    return StatusFromLibusb(claimed);
  }
  open_ = true;
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::Close() {
  if (!open_)
    return kIOReturnNotOpen;
  open_ = false;
  const int released = libusb_release_interface(node_->Handle(), number_);
  node_->Release();
  return StatusFromLibusb(released);
}

IOReturn UsbInterfaceConnection::GetNumEndpoints(UInt8* count) {
  if (!open_)
    return kIOReturnNotOpen;
  *count = static_cast<UInt8>(endpoints_.size());
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) {
  if (!open_)
    return kIOReturnNotOpen;
  if (pipeRef == 0 || pipeRef > endpoints_.size())
    return kIOReturnBadArgument;
  const EndpointInfo& endpoint = endpoints_[pipeRef - 1u];
  properties->direction = (endpoint.address & LIBUSB_ENDPOINT_IN) != 0 ? kUSBIn : kUSBOut;
  properties->number = static_cast<UInt8>(endpoint.address & 0x0F);
  properties->transferType = static_cast<UInt8>(endpoint.attributes & 0x03);
  properties->maxPacketSize = endpoint.maxPacketSize;
  properties->interval = endpoint.interval;
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::WritePipe(UInt8 pipeRef, const UInt8* buffer, UInt32 size) {
  if (!open_)
    return kIOReturnNotOpen;
  if (pipeRef == 0 || pipeRef > endpoints_.size() || size > 0x7FFFFFFF)
    return kIOReturnBadArgument;
  const EndpointInfo& endpoint = endpoints_[pipeRef - 1u];
  if ((endpoint.address & LIBUSB_ENDPOINT_IN) != 0)
    return kIOReturnBadArgument;
  // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
  auto* data = const_cast<UInt8*>(buffer);
  int moved = 0;
  int result = LIBUSB_ERROR_NOT_SUPPORTED;
  switch (endpoint.attributes & 0x03) {
    case LIBUSB_TRANSFER_TYPE_INTERRUPT:
      result = libusb_interrupt_transfer(node_->Handle(), endpoint.address, data,
                                         static_cast<int>(size), &moved, kTransferTimeoutMs);
      break;
    case LIBUSB_TRANSFER_TYPE_BULK:
      result = libusb_bulk_transfer(node_->Handle(), endpoint.address, data, static_cast<int>(size),
                                    &moved, kTransferTimeoutMs);
      break;
    default:
      break;
  }
  if (result != LIBUSB_SUCCESS)
    return StatusFromLibusb(result);
  return static_cast<UInt32>(moved) == size ? kIOReturnSuccess : kIOReturnUnderrun;
}

}  // namespace plat::linux_dev
