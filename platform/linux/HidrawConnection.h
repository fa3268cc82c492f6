// The HID device interface of a hidraw device: feature reports through HIDIOCGFEATURE and
// HIDIOCSFEATURE on its node.
#pragma once

#include <filesystem>

#include "platform/model/iokit/DeviceBackends.h"

namespace plat::linux_dev {

class HidrawConnection final : public HIDDeviceBackend {
 public:
  HidrawConnection(std::filesystem::path devnode, unsigned vendor, unsigned product)
      : devnode_(std::move(devnode)), vendor_(vendor), product_(product) {}
  ~HidrawConnection() override;
  HidrawConnection(const HidrawConnection&) = delete;
  HidrawConnection& operator=(const HidrawConnection&) = delete;

  IOReturn Open(IOOptionBits options) override;
  IOReturn Close() override;
  // The buffer holds the report as the switch numbers it: the report ID in byte 0. A device
  // that does not number its reports (ID 0) gets and gives the data alone.
  IOReturn GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer, UInt32* size) override;
  IOReturn SetReport(IOHIDReportType type, UInt32 reportID, const UInt8* buffer,
                     UInt32 size) override;

 private:
  std::filesystem::path devnode_;
  unsigned vendor_;
  unsigned product_;
  int fd_ = -1;
};

}  // namespace plat::linux_dev
