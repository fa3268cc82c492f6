// The registry's services for the devices sysfs shows: for each hidraw device an "IOHIDDevice"
// service below an "IOUSBInterface" service below the "IOUSBDevice" service of its USB device,
// each able to make the plug-in of its device interface. A HID device that no USB device carries
// (one made through /dev/uhid, for instance) hangs two levels below stand-ins, an
// "IOHIDTransport" above an "IOHIDInterface", that carry its vendor and product ids: discovery
// walks two levels up from every HID device, whatever carries it. Knows nothing of udev: the
// monitor (or a test) says which devices came and went.
#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "platform/linux/SysfsDevices.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat::linux_dev {

class ServiceTree {
 public:
  explicit ServiceTree(std::filesystem::path root) : root_(std::move(root)) {}

  // Registers every hidraw device present: one walk of sysfs.
  void AddPresentDevices();
  // A hidraw device appeared (a uevent "add" in the hidraw subsystem).
  void HidrawAdded(const std::filesystem::path& syspath);
  // A hidraw device went away. Only its own service leaves: a hidraw node that vanishes while a
  // program has claimed the USB interface (the kernel driver is detached) is not the switch
  // going away, and the USB device's service stays.
  void HidrawRemoved(const std::filesystem::path& syspath);
  // A USB device went away: its service and everything below it leave.
  void UsbDeviceRemoved(const std::filesystem::path& syspath);

  const std::filesystem::path& Root() const { return root_; }
  std::shared_ptr<IOService> HidService(const std::filesystem::path& syspath) const;
  std::shared_ptr<IOService> UsbService(const std::filesystem::path& syspath) const;

 private:
  void Add(const HidrawInfo& info);
  std::shared_ptr<IOService> UsbDeviceService(const UsbDeviceInfo& usb);
  std::shared_ptr<IOService> StandInParent(const HidrawInfo& info);
  std::shared_ptr<IOService> InterfaceService(const HidrawInfo& info,
                                              const std::shared_ptr<IOService>& usbDevice);

  std::filesystem::path root_;
  std::map<std::filesystem::path, std::shared_ptr<IOService>> usbDevices_;
  std::map<std::filesystem::path, std::shared_ptr<IOService>> interfaces_;
  std::map<std::filesystem::path, std::shared_ptr<IOService>> hidraw_;
  // The stand-in transports of HID devices that are not on USB, by hidraw syspath.
  std::map<std::filesystem::path, std::shared_ptr<IOService>> transports_;
};

}  // namespace plat::linux_dev
