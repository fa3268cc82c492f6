#include "platform/linux/UsbConnections.h"

#include <fcntl.h>
#include <libusb.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/ErrnoStatus.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat::linux_dev {

namespace {

constexpr std::uint16_t kEnglishUS = 0x0409;

// One libusb context for the process, made on first use and tried again after a failure.
// Without device discovery libusb starts no hot-plug thread of its own and needs neither udevd
// nor access to all of usbfs.
libusb_context* Context() {
  static libusb_context* context = nullptr;
  if (context == nullptr) {
    libusb_set_option(nullptr, LIBUSB_OPTION_NO_DEVICE_DISCOVERY);
    if (libusb_init(&context) != LIBUSB_SUCCESS)
      context = nullptr;
  }
  return context;
}

// The node of `device` opened quietly for a one-off request, closed with the object.
class OneOffHandle {
 public:
  OneOffHandle(const UsbDeviceInfo& device, bool quiet) : node_(device) {
    if (quiet)
      node_.RefuseQuietly();
    opened_ = node_.Acquire() == kIOReturnSuccess;
  }
  ~OneOffHandle() {
    if (opened_)
      node_.Release();
  }
  OneOffHandle(const OneOffHandle&) = delete;
  OneOffHandle& operator=(const OneOffHandle&) = delete;
  libusb_device_handle* Get() const { return opened_ ? node_.Handle() : nullptr; }
  bool Refused() const { return node_.OpenRefused(); }

 private:
  UsbNode node_;
  bool opened_ = false;
};

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
  const int fd = ::open(info_.devnode.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    refused_ = error == EACCES || error == EPERM;
    if (refused_ && !quiet_)
      ReportNoAccess(info_.devnode.string(), info_.vendor, info_.product,
                     HasUaccessTag(info_.udevRecord));
    return StatusFromErrno(error);
  }
  refused_ = false;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || (info_.number && status.st_rdev != *info_.number)) {
    ::close(fd);
    return kIOReturnNoDevice;
  }
  libusb_device_handle* handle = nullptr;
  const int wrapped = libusb_wrap_sys_device(context, static_cast<intptr_t>(fd), &handle);
  if (wrapped != LIBUSB_SUCCESS) {
    ::close(fd);
    return StatusFromLibusb(wrapped);
  }
  libusb_device_descriptor descriptor{};
  if (libusb_get_device_descriptor(libusb_get_device(handle), &descriptor) != LIBUSB_SUCCESS ||
      descriptor.idVendor != info_.vendor || descriptor.idProduct != info_.product) {
    libusb_close(handle);
    ::close(fd);
    return kIOReturnNoDevice;
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
      static_cast<unsigned char*>(request.pData), request.wLength, kUsbTransferTimeoutMs);
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
  const std::filesystem::path& syspath = node_->Info().syspath;
  const auto bytes = ReadUsbDescriptors(syspath);
  if (!bytes)
    return kIOReturnNoDevice;
  const auto interfaces = InterfacesOfConfiguration(*bytes, ActiveConfiguration(syspath));
  if (!interfaces)
    return kIOReturnNotFound;  // unconfigured, or descriptors that make no sense
  const std::vector<UsbInterfaceInfo> bound = UsbInterfacesOf(syspath);

  const auto wanted = [](UInt16 field, UInt8 value) {
    return field == kIOUSBFindInterfaceDontCare || field == value;
  };
  for (const UsbInterfaceDescriptor& interface : *interfaces) {
    if (!wanted(request.bInterfaceClass, interface.interfaceClass) ||
        !wanted(request.bInterfaceSubClass, interface.subClass) ||
        !wanted(request.bInterfaceProtocol, interface.protocol) ||
        !wanted(request.bAlternateSetting, interface.alternate))
      continue;
    std::shared_ptr<HidrawDevice> hidraw;
    for (const UsbInterfaceInfo& info : bound) {
      if (info.number == interface.number && info.driver == "usbhid" && !info.hidraw.empty())
        hidraw = node_->HidrawOf(info.hidraw);
    }
    auto service = std::make_shared<IOService>("IOUSBInterface", device);
    service->SetNumberProperty("bInterfaceNumber", interface.number);
    service->SetNumberProperty("bInterfaceClass", interface.interfaceClass);
    service->SetPlugInFactory(
        [node = node_, interface, hidraw](CFUUIDRef type, PlugInBackend* backend) -> IOReturn {
          if (!SameUUID(type, kIOUSBInterfaceUserClientTypeID))
            return kIOReturnUnsupported;
          *backend = std::make_shared<UsbInterfaceConnection>(node, interface, hidraw);
          return kIOReturnSuccess;
        });
    services->push_back(std::move(service));
  }
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::Open() {
  if (open_)
    return kIOReturnExclusiveAccess;
  open_ = true;
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::Close() {
  if (!open_)
    return kIOReturnNotOpen;
  open_ = false;
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::GetNumEndpoints(UInt8* count) {
  if (!open_)
    return kIOReturnNotOpen;
  *count = static_cast<UInt8>(interface_.endpoints.size());
  return kIOReturnSuccess;
}

IOReturn UsbInterfaceConnection::GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) {
  if (!open_)
    return kIOReturnNotOpen;
  if (pipeRef == 0 || pipeRef > interface_.endpoints.size())
    return kIOReturnBadArgument;
  const UsbEndpoint& endpoint = interface_.endpoints[pipeRef - 1u];
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
  if (pipeRef == 0 || pipeRef > interface_.endpoints.size() || size > 0x7FFFFFFF)
    return kIOReturnBadArgument;
  const UsbEndpoint& endpoint = interface_.endpoints[pipeRef - 1u];
  if ((endpoint.address & LIBUSB_ENDPOINT_IN) != 0)
    return kIOReturnBadArgument;
  if (hidraw_ != nullptr && (endpoint.attributes & 0x03) == LIBUSB_TRANSFER_TYPE_INTERRUPT)
    return hidraw_->WriteOutputReport(buffer, size);
  if (const IOReturn status = node_->Acquire(); status != kIOReturnSuccess)
    return status;
  const IOReturn status = TransferClaimed(endpoint, buffer, size);
  node_->Release();
  return status;
}

IOReturn UsbInterfaceConnection::TransferClaimed(const UsbEndpoint& endpoint, const UInt8* buffer,
                                                 UInt32 size) {
  libusb_device_handle* handle = node_->Handle();
  const int number = interface_.number;
  const bool detach = libusb_kernel_driver_active(handle, number) == 1;
  if (detach) {
    if (const int detached = libusb_detach_kernel_driver(handle, number);
        detached != LIBUSB_SUCCESS)
      return StatusFromLibusb(detached);
  }
  int result = libusb_claim_interface(handle, number);
  int moved = 0;
  if (result == LIBUSB_SUCCESS) {
    // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
    auto* data = const_cast<UInt8*>(buffer);
    switch (endpoint.attributes & 0x03) {
      case LIBUSB_TRANSFER_TYPE_INTERRUPT:
        result = libusb_interrupt_transfer(handle, endpoint.address, data, static_cast<int>(size),
                                           &moved, kUsbTransferTimeoutMs);
        break;
      case LIBUSB_TRANSFER_TYPE_BULK:
        result = libusb_bulk_transfer(handle, endpoint.address, data, static_cast<int>(size),
                                      &moved, kUsbTransferTimeoutMs);
        break;
      default:
        result = LIBUSB_ERROR_NOT_SUPPORTED;
        break;
    }
    libusb_release_interface(handle, number);
  }
  if (detach)
    libusb_attach_kernel_driver(handle, number);
  if (result != LIBUSB_SUCCESS)
    return StatusFromLibusb(result);
  return static_cast<UInt32>(moved) == size ? kIOReturnSuccess : kIOReturnUnderrun;
}

std::optional<std::string> ReadUsbString(const UsbDeviceInfo& device, std::uint8_t index,
                                         bool* refused) {
  *refused = false;
  if (index == 0)
    return std::nullopt;
  const OneOffHandle handle(device, false);
  *refused = handle.Refused();
  if (handle.Get() == nullptr)
    return std::nullopt;
  unsigned char bytes[255] = {};
  const int got = libusb_control_transfer(
      handle.Get(), static_cast<std::uint8_t>(LIBUSB_ENDPOINT_IN),  // standard, to the device
      LIBUSB_REQUEST_GET_DESCRIPTOR, static_cast<std::uint16_t>(LIBUSB_DT_STRING << 8 | index),
      kEnglishUS, bytes, sizeof bytes, kUsbTransferTimeoutMs);
  if (got < 2)
    return std::nullopt;
  return StringDescriptorText({bytes, static_cast<std::size_t>(got)});
}

void ReattachKernelDriver(const UsbDeviceInfo& device, int number) {
  const OneOffHandle handle(device, true);
  if (handle.Get() != nullptr)
    libusb_attach_kernel_driver(handle.Get(), number);
}

}  // namespace plat::linux_dev
