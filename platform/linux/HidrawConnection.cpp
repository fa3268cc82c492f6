#include "platform/linux/HidrawConnection.h"

#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <cstring>
#include <vector>

namespace plat::linux_dev {

HidrawConnection::~HidrawConnection() {
  device_->Release(std::move(node_));
}

IOReturn HidrawConnection::Open(IOOptionBits) {
  if (node_ != nullptr)
    return kIOReturnSuccess;
  return device_->Open(&node_);
}

IOReturn HidrawConnection::Close() {
  if (node_ == nullptr)
    return kIOReturnNotOpen;
  device_->Release(std::move(node_));
  node_ = nullptr;
  return kIOReturnSuccess;
}

IOReturn HidrawConnection::GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer,
                                     UInt32* size) {
  if (node_ == nullptr)
    return kIOReturnNotOpen;
  if (type != kIOHIDReportTypeFeature)
    return kIOReturnUnsupported;
  // Unnumbered reports need room for the leading 0 the kernel expects.
  const UInt32 prefix = reportID == 0 ? 1 : 0;
  if (reportID > 0xFF || *size == 0 || *size > kMaxHidrawTransfer - prefix)
    return kIOReturnBadArgument;
  std::vector<std::uint8_t> wire(*size + prefix);
  wire[0] = static_cast<UInt8>(reportID);
  int got = 0;
  if (const IOReturn status = device_->Ioctl(node_, HIDIOCGFEATURE(wire.size()), &wire, &got);
      status != kIOReturnSuccess)
    return status;
  // The count includes the report-ID byte; a report without data is a short read.
  if (got < 2 || static_cast<std::size_t>(got) > wire.size() || wire[0] != reportID)
    return kIOReturnUnderrun;
  const auto length = static_cast<UInt32>(got) - prefix;
  std::memcpy(buffer, wire.data() + prefix, length);
  *size = length;
  return kIOReturnSuccess;
}

IOReturn HidrawConnection::SetReport(IOHIDReportType type, UInt32 reportID, const UInt8* buffer,
                                     UInt32 size) {
  if (node_ == nullptr)
    return kIOReturnNotOpen;
  if (type != kIOHIDReportTypeFeature)
    return kIOReturnUnsupported;
  const UInt32 prefix = reportID == 0 ? 1 : 0;
  if (reportID > 0xFF || size == 0 || size > kMaxHidrawTransfer - prefix || buffer == nullptr)
    return kIOReturnBadArgument;
  if (reportID != 0 && buffer[0] != reportID)
    return kIOReturnBadArgument;                  // a numbered report starts with its own ID
  std::vector<std::uint8_t> wire(size + prefix);  // an unnumbered one after a 0
  std::memcpy(wire.data() + prefix, buffer, size);
  int sent = 0;
  if (const IOReturn status = device_->Ioctl(node_, HIDIOCSFEATURE(wire.size()), &wire, &sent);
      status != kIOReturnSuccess)
    return status;
  if (static_cast<std::size_t>(sent) != wire.size())
    return kIOReturnUnderrun;
  return kIOReturnSuccess;
}

}  // namespace plat::linux_dev
