// The registry's services for the devices sysfs shows: for each hidraw device an "IOHIDDevice"
// service below an "IOUSBInterface" service below the "IOUSBDevice" service of its USB device,
// each able to make the plug-in of its device interface. A HID device that no USB device carries
// (one made through /dev/uhid, for instance) hangs two levels below stand-ins, an
// "IOHIDTransport" above an "IOHIDInterface", that carry its vendor and product ids: discovery
// walks two levels up from every HID device, whatever carries it. USB devices get their
// "IOUSBDevice" service when they appear, whether a hidraw device is on them yet or not. Knows
// nothing of udev: the monitor (or a test) says which devices came, changed and went.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/HidrawDevice.h"
#include "platform/linux/SysfsDevices.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat::linux_dev {

class UsbNode;

// What the tree asks of USB devices themselves, through their usbfs nodes; a test replaces it
// (an empty function asks nothing).
struct UsbDeviceRequests {
  // A string descriptor of the device (its serial number), as UTF-8; *refused when the user may
  // not open the device.
  std::function<std::optional<std::string>(const UsbDeviceInfo&, std::uint8_t, bool* refused)>
      readString;
  // Hands an interface back to the kernel's drivers.
  std::function<void(const UsbDeviceInfo&, int)> reattach;
  static UsbDeviceRequests Real();
};

class ServiceTree {
 public:
  explicit ServiceTree(std::filesystem::path root,
                       UsbDeviceRequests usb = UsbDeviceRequests::Real(),
                       std::shared_ptr<HidrawSystem> hidraw = HidrawSystem::Real());

  // Registers every USB and hidraw device present (one walk of sysfs), after handing back to
  // the kernel the HID interfaces a killed program left without a driver.
  void AddPresentDevices();
  // Brings the tree to the devices given: those it knows and are not there leave, the others
  // are added. For the start and after udev events were lost.
  void Rescan(const std::vector<std::filesystem::path>& usbDevices,
              const std::vector<std::filesystem::path>& hidraw);
  // A HID interface of a present USB device without a driver is given back to the kernel.
  void ReattachOrphanedHidInterfaces(const std::vector<std::filesystem::path>& usbDevices);

  // A hidraw device appeared (a uevent "add" in the hidraw subsystem).
  void HidrawAdded(const std::filesystem::path& syspath);
  // A hidraw device went away. Only its own service leaves: a hidraw node that vanishes while a
  // driver is detached from the USB interface is not the switch going away, and the USB
  // device's service stays.
  void HidrawRemoved(const std::filesystem::path& syspath);
  // A USB device appeared.
  void UsbDeviceAdded(const std::filesystem::path& syspath);
  // A USB device went away: its service and everything below it leave.
  void UsbDeviceRemoved(const std::filesystem::path& syspath);
  // udev changed a device (its access rights, after `udevadm trigger`). A device whose open was
  // refused is a new chance: its services are made again, so discovery sees it arrive.
  void Changed(const std::filesystem::path& syspath);

  const std::filesystem::path& Root() const { return root_; }
  std::shared_ptr<IOService> HidService(const std::filesystem::path& syspath) const;
  std::shared_ptr<IOService> UsbService(const std::filesystem::path& syspath) const;
  std::shared_ptr<HidrawDevice> Hidraw(const std::filesystem::path& syspath) const;

 private:
  using HidrawDevices = std::map<std::filesystem::path, std::shared_ptr<HidrawDevice>>;

  void Add(HidrawInfo info);
  std::shared_ptr<IOService> UsbDeviceService(const UsbDeviceInfo& usb);
  std::shared_ptr<IOService> StandInParent(const HidrawInfo& info);
  std::shared_ptr<IOService> InterfaceService(const HidrawInfo& info,
                                              const std::shared_ptr<IOService>& usbDevice);

  std::filesystem::path root_;
  UsbDeviceRequests usb_;
  std::shared_ptr<HidrawSystem> hidrawSystem_;
  std::map<std::filesystem::path, std::shared_ptr<IOService>> usbDevices_;
  std::map<std::filesystem::path, std::shared_ptr<UsbNode>> usbNodes_;
  // USB devices whose serial number could not be read for lack of permission.
  std::set<std::filesystem::path> serialRefused_;
  std::map<std::filesystem::path, std::shared_ptr<IOService>> interfaces_;
  std::map<std::filesystem::path, std::shared_ptr<IOService>> hidraw_;
  // Shared with the USB devices' connections, which write through a HID interface's node.
  std::shared_ptr<HidrawDevices> hidrawDevices_ = std::make_shared<HidrawDevices>();
  // The stand-in transports of HID devices that are not on USB, by hidraw syspath.
  std::map<std::filesystem::path, std::shared_ptr<IOService>> transports_;
};

}  // namespace plat::linux_dev
