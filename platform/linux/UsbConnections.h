// The USB device and interface interfaces of a USB device, over libusb-1.0 on its usbfs node.
//
// libusb is used without its own device discovery: the registry already knows the node from
// sysfs, so the node is opened here and handed to libusb. Device and interface connections of
// one device share the node, which stays open while either of them needs it.
//
// Interfaces and endpoints come from sysfs's copy of the active configuration's descriptors:
// looking at them claims nothing, so the HID driver that holds the switch's HID interface is
// never unbound for it. Only a write claims, and only the interface it goes to; see WritePipe.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/HidrawDevice.h"
#include "platform/linux/SysfsDevices.h"
#include "platform/linux/UsbDescriptors.h"
#include "platform/model/iokit/DeviceBackends.h"

struct libusb_device_handle;

namespace plat::linux_dev {

// The hidraw device of a hidraw folder, as the registry holds it (so that a write through it
// shares the device's helper thread with the HID service's own calls); null when unknown.
using HidrawLookup = std::function<std::shared_ptr<HidrawDevice>(const std::filesystem::path&)>;

// How long a USB transfer may take before libusb gives up on it.
constexpr unsigned kUsbTransferTimeoutMs = 200;

class UsbNode {
 public:
  explicit UsbNode(UsbDeviceInfo info, HidrawLookup hidraw = {})
      : info_(std::move(info)), hidraw_(std::move(hidraw)) {}
  ~UsbNode();
  UsbNode(const UsbNode&) = delete;
  UsbNode& operator=(const UsbNode&) = delete;

  // Opens the node for the first user and checks that it is still the device the service was
  // made for (the node's device number, then the ids of its descriptor): bus addresses are
  // reused. Every successful Acquire is matched by one Release.
  IOReturn Acquire();
  void Release();
  libusb_device_handle* Handle() const { return handle_; }
  const UsbDeviceInfo& Info() const { return info_; }
  std::shared_ptr<HidrawDevice> HidrawOf(const std::filesystem::path& syspath) const {
    return hidraw_ ? hidraw_(syspath) : nullptr;
  }
  // Whether the last open was refused for lack of permission.
  bool OpenRefused() const { return refused_; }
  // A refusal is then not told on standard error (a look at a device that may not be a switch).
  void RefuseQuietly() { quiet_ = true; }

 private:
  UsbDeviceInfo info_;
  HidrawLookup hidraw_;
  bool refused_ = false;
  bool quiet_ = false;
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

class UsbInterfaceConnection final : public USBInterfaceBackend {
 public:
  // `hidraw`: the interface's hidraw device when the HID driver holds the interface.
  UsbInterfaceConnection(std::shared_ptr<UsbNode> node, UsbInterfaceDescriptor interface,
                         std::shared_ptr<HidrawDevice> hidraw)
      : node_(std::move(node)), interface_(std::move(interface)), hidraw_(std::move(hidraw)) {}
  ~UsbInterfaceConnection() override = default;
  UsbInterfaceConnection(const UsbInterfaceConnection&) = delete;
  UsbInterfaceConnection& operator=(const UsbInterfaceConnection&) = delete;

  // Claims nothing: the endpoints are known from the descriptors.
  IOReturn Open() override;
  IOReturn Close() override;
  IOReturn GetNumEndpoints(UInt8* count) override;
  IOReturn GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) override;
  // On an interface the HID driver holds, an interrupt OUT packet goes as an output report
  // through its hidraw node, which the driver sends on that endpoint: nothing is detached.
  // Otherwise the interface is claimed for the transfer alone (a bound driver detached only if
  // there is one, and given the interface back after), and the transfer is bounded in time.
  IOReturn WritePipe(UInt8 pipeRef, const UInt8* buffer, UInt32 size) override;

 private:
  IOReturn TransferClaimed(const UsbEndpoint& endpoint, const UInt8* buffer, UInt32 size);

  std::shared_ptr<UsbNode> node_;
  UsbInterfaceDescriptor interface_;
  std::shared_ptr<HidrawDevice> hidraw_;
  bool open_ = false;
};

// The device's string descriptor `index` in English (US), read from the device; nothing when
// the device cannot be opened (*refused: for lack of permission) or does not answer within the
// transfer timeout.
std::optional<std::string> ReadUsbString(const UsbDeviceInfo& device, std::uint8_t index,
                                         bool* refused);

// Hands interface `number` back to the kernel's drivers (a program that was killed while it had
// detached the HID driver leaves the interface without one). Quiet when it cannot.
void ReattachKernelDriver(const UsbDeviceInfo& device, int number);

}  // namespace plat::linux_dev
