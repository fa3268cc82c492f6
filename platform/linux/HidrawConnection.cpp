#include "platform/linux/HidrawConnection.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/linux/ErrnoStatus.h"

namespace plat::linux_dev {

namespace {

// The kernel's upper bound for one report (HID_MAX_BUFFER_SIZE).
constexpr UInt32 kMaxReportSize = 16384;

}  // namespace

HidrawConnection::~HidrawConnection() {
  if (fd_ >= 0)
    ::close(fd_);
}

IOReturn HidrawConnection::Open(IOOptionBits) {
  if (fd_ >= 0)
    return kIOReturnSuccess;
  const int fd = ::open(devnode_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == EACCES || error == EPERM)
      ReportNoAccess(devnode_.string(), vendor_, product_);
    return StatusFromErrno(error);
  }
  fd_ = fd;
  return kIOReturnSuccess;
}

IOReturn HidrawConnection::Close() {
  if (fd_ < 0)
    return kIOReturnNotOpen;
  ::close(fd_);
  fd_ = -1;
  return kIOReturnSuccess;
}

IOReturn HidrawConnection::GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer,
                                     UInt32* size) {
  if (fd_ < 0)
    return kIOReturnNotOpen;
  if (type != kIOHIDReportTypeFeature)
    return kIOReturnUnsupported;
  if (reportID > 0xFF || *size == 0 || *size > kMaxReportSize)
    return kIOReturnBadArgument;
  // Unnumbered reports need room for the leading 0 the kernel expects.
  const UInt32 prefix = reportID == 0 ? 1 : 0;
  std::vector<UInt8> wire(*size + prefix);
  wire[0] = static_cast<UInt8>(reportID);
  const int got = ::ioctl(fd_, HIDIOCGFEATURE(wire.size()), wire.data());
  if (got < 0)
    return StatusFromErrno(errno);
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
  if (fd_ < 0)
    return kIOReturnNotOpen;
  if (type != kIOHIDReportTypeFeature)
    return kIOReturnUnsupported;
  if (reportID > 0xFF || size == 0 || size > kMaxReportSize || buffer == nullptr)
    return kIOReturnBadArgument;
  std::vector<UInt8> wire;
  if (reportID == 0)
    wire.push_back(0);
  else if (buffer[0] != reportID)
    return kIOReturnBadArgument;  // a numbered report starts with its own ID
  wire.insert(wire.end(), buffer, buffer + size);
  const int sent = ::ioctl(fd_, HIDIOCSFEATURE(wire.size()), wire.data());
  if (sent < 0)
    return StatusFromErrno(errno);
  if (static_cast<std::size_t>(sent) != wire.size())
    return kIOReturnUnderrun;
  return kIOReturnSuccess;
}

}  // namespace plat::linux_dev
