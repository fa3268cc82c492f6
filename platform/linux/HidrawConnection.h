// The HID device interface of a hidraw device: feature reports through HIDIOCGFEATURE and
// HIDIOCSFEATURE on its node, each run on the device's helper thread with a deadline.
#pragma once

#include <memory>

#include "platform/linux/HidrawDevice.h"
#include "platform/model/iokit/DeviceBackends.h"

namespace plat::linux_dev {

class HidrawConnection final : public HIDDeviceBackend {
 public:
  explicit HidrawConnection(std::shared_ptr<HidrawDevice> device) : device_(std::move(device)) {}
  ~HidrawConnection() override;
  HidrawConnection(const HidrawConnection&) = delete;
  HidrawConnection& operator=(const HidrawConnection&) = delete;

  IOReturn Open(IOOptionBits options) override;
  IOReturn Close() override;
  // The buffer holds the report as the switch numbers it: the report ID in byte 0. A device
  // that does not number its reports (ID 0) gets and gives the data alone. A device that does
  // not answer within the deadline gives kIOReturnTimeout, and kIOReturnNotResponding until
  // the stuck call has returned.
  IOReturn GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer, UInt32* size) override;
  IOReturn SetReport(IOHIDReportType type, UInt32 reportID, const UInt8* buffer,
                     UInt32 size) override;

 private:
  std::shared_ptr<HidrawDevice> device_;
  std::shared_ptr<OpenHidraw> node_;
};

}  // namespace plat::linux_dev
