// The USB device and interface interfaces of a USB device, over libusb-1.0 on its usbfs node.
//
// libusb is used without its own device discovery: the registry already knows the node from
// sysfs, so the node is opened here and handed to libusb. Device and interface connections of
// one device share the node, which stays open while either of them needs it.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/model/iokit/DeviceBackends.h"

struct libusb_device_handle;

namespace plat::linux_dev {

class UsbNode {
 public:
  UsbNode(std::filesystem::path devnode, unsigned vendor, unsigned product)
      : devnode_(std::move(devnode)), vendor_(vendor), product_(product) {}
  ~UsbNode();
  UsbNode(const UsbNode&) = delete;
  UsbNode& operator=(const UsbNode&) = delete;

  // Opens the node for the first user; every successful Acquire is matched by one Release.
  IOReturn Acquire();
  void Release();
  libusb_device_handle* Handle() const { return handle_; }

 private:
  std::filesystem::path devnode_;
  unsigned vendor_;
  unsigned product_;
  int fd_ = -1;
  libusb_device_handle* handle_ = nullptr;
  int users_ = 0;
};

class UsbDeviceConnection final : public USBDeviceBackend {
 public:
  UsbDeviceConnection(std::shared_ptr<UsbNode> node, std::weak_ptr<IOService> service)
      : node_(std::move(node)), service_(std::move(service)) {}
  ~UsbDeviceConnection() override;
  UsbDeviceConnection(const UsbDeviceConnection&) = delete;
  UsbDeviceConnection& operator=(const UsbDeviceConnection&) = delete;

  IOReturn Open() override;
  IOReturn Close() override;
  IOReturn GetVendor(UInt16* vendor) override;
  IOReturn GetProduct(UInt16* product) override;
  IOReturn GetSerialNumberStringIndex(UInt8* index) override;
  IOReturn DeviceRequest(IOUSBDevRequest& request) override;
  IOReturn GetNumberOfConfigurations(UInt8* count) override;
  IOReturn GetConfigurationDescriptor(UInt8 index,
                                      IOUSBConfigurationDescriptorPtr* descriptor) override;
  // A configuration that is already active is left as it is: setting it again would reset the
  // device, and fails while a kernel driver holds one of its interfaces.
  IOReturn SetConfiguration(UInt8 configurationValue) override;
  IOReturn InterfaceServices(const IOUSBFindInterfaceRequest& request,
                             std::vector<std::shared_ptr<IOService>>* services) override;

 private:
  // Runs `use` with the device's descriptor; opens the node for the call when needed.
  template <typename Use>
  IOReturn WithDescriptor(Use use);

  std::shared_ptr<UsbNode> node_;
  std::weak_ptr<IOService> service_;
  std::vector<std::unique_ptr<IOUSBConfigurationDescriptor>> configurations_;
  bool open_ = false;
};

struct EndpointInfo {
  UInt8 address = 0;
  UInt8 attributes = 0;
  UInt16 maxPacketSize = 0;
  UInt8 interval = 0;
};

class UsbInterfaceConnection final : public USBInterfaceBackend {
 public:
  UsbInterfaceConnection(std::shared_ptr<UsbNode> node, int number,
                         std::vector<EndpointInfo> endpoints)
      : node_(std::move(node)), number_(number), endpoints_(std::move(endpoints)) {}
  ~UsbInterfaceConnection() override;
  UsbInterfaceConnection(const UsbInterfaceConnection&) = delete;
  UsbInterfaceConnection& operator=(const UsbInterfaceConnection&) = delete;

  // Claims the interface, detaching a kernel driver that holds it; Close gives it back to that
  // driver.
  IOReturn Open() override;
  IOReturn Close() override;
  IOReturn GetNumEndpoints(UInt8* count) override;
  IOReturn GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) override;
  // An interrupt or bulk transfer, as the endpoint is; bounded in time so that a device that
  // never takes the packet cannot hang the program.
  IOReturn WritePipe(UInt8 pipeRef, const UInt8* buffer, UInt32 size) override;

 private:
  std::shared_ptr<UsbNode> node_;
  int number_;
  std::vector<EndpointInfo> endpoints_;
  bool open_ = false;
};

}  // namespace plat::linux_dev
