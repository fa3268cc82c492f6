#include "platform/linux/HidrawDevice.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/linux/ErrnoStatus.h"

namespace plat::linux_dev {

namespace {

// Feature-report ioctls and writes in flight on any hidraw device. The kernel's hidraw driver
// takes one lock, shared by every hidraw node, around these calls and in open and close (a
// mutex on Debian 12's kernel): while one is stuck, an open or close of any node would block.
std::atomic<int> callsInFlight{0};

}  // namespace

int HidrawSystem::Open(const char* path) {
  const int fd = ::open(path, O_RDWR | O_CLOEXEC);
  return fd >= 0 ? fd : -errno;
}

int HidrawSystem::DeviceNumber(int fd, dev_t* number) {
  struct stat status {};
  if (::fstat(fd, &status) != 0)
    return -errno;
  *number = status.st_rdev;
  return 0;
}

int HidrawSystem::Ioctl(int fd, unsigned long request, void* argument) {
  const int result = ::ioctl(fd, request, argument);
  return result >= 0 ? result : -errno;
}

long HidrawSystem::Write(int fd, const void* data, std::size_t size) {
  const ssize_t written = ::write(fd, data, size);
  return written >= 0 ? static_cast<long>(written) : -errno;
}

void HidrawSystem::Close(int fd) {
  ::close(fd);
}

const std::shared_ptr<HidrawSystem>& HidrawSystem::Real() {
  static const auto real = std::make_shared<HidrawSystem>();
  return real;
}

void HidrawDevice::Release(std::shared_ptr<OpenHidraw> node) {
  // A node the call in flight holds is closed by that call when it returns.
  if (node != nullptr && node.use_count() == 1 && callsInFlight > 0)
    parked_.push_back(std::move(node));
}

IOReturn HidrawDevice::Open(std::shared_ptr<OpenHidraw>* node) {
  if (callsInFlight > 0)
    return kIOReturnNotResponding;
  parked_.clear();
  const int fd = system_->Open(identity_.devnode.c_str());
  if (fd < 0) {
    refused_ = fd == -EACCES || fd == -EPERM;
    if (refused_)
      ReportNoAccess(identity_.devnode.string(), identity_.hid.vendor, identity_.hid.product,
                     HasUaccessTag(identity_.udevRecord));
    return StatusFromErrno(-fd);
  }
  refused_ = false;
  auto opened = std::make_shared<OpenHidraw>(system_, fd);
  dev_t number = 0;
  hidraw_devinfo info{};
  if (system_->DeviceNumber(fd, &number) != 0 ||
      (identity_.number && number != *identity_.number) ||
      system_->Ioctl(fd, HIDIOCGRAWINFO, &info) < 0 || info.bustype != identity_.hid.bus ||
      static_cast<std::uint16_t>(info.vendor) != identity_.hid.vendor ||
      static_cast<std::uint16_t>(info.product) != identity_.hid.product)
    return kIOReturnNoDevice;
  *node = std::move(opened);
  return kIOReturnSuccess;
}

DeadlineCaller::Outcome HidrawDevice::Run(std::function<void()> call) {
  ++callsInFlight;
  const auto outcome = caller_.Run([call = std::move(call)] {
    call();
    --callsInFlight;
  });
  if (outcome == DeadlineCaller::Outcome::kBusy)
    --callsInFlight;
  return outcome;
}

IOReturn HidrawDevice::Ioctl(const std::shared_ptr<OpenHidraw>& node, unsigned long request,
                             std::vector<std::uint8_t>* wire, int* count) {
  // The call owns copies of everything it touches: after a timeout it outlives this frame.
  auto buffer = std::make_shared<std::vector<std::uint8_t>>(*wire);
  auto result = std::make_shared<int>(0);
  const auto outcome = Run([node, request, buffer, result] {
    *result = node->System().Ioctl(node->Fd(), request, buffer->data());
  });
  if (outcome == DeadlineCaller::Outcome::kBusy)
    return kIOReturnNotResponding;
  if (outcome == DeadlineCaller::Outcome::kTimedOut)
    return kIOReturnTimeout;
  if (*result < 0)
    return StatusFromErrno(-*result);
  *wire = *buffer;
  *count = *result;
  return kIOReturnSuccess;
}

IOReturn HidrawDevice::WriteOutputReport(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > kMaxHidrawTransfer - 1)
    return kIOReturnBadArgument;
  std::shared_ptr<OpenHidraw> node;
  if (const IOReturn status = Open(&node); status != kIOReturnSuccess)
    return status;
  // Report number 0 first, then the bytes as they stand.
  auto report = std::make_shared<std::vector<std::uint8_t>>(size + 1);
  std::copy_n(data, size, report->begin() + 1);
  auto result = std::make_shared<long>(0);
  const auto outcome = Run([node, report, result] {
    *result = node->System().Write(node->Fd(), report->data(), report->size());
  });
  if (outcome == DeadlineCaller::Outcome::kBusy)
    return kIOReturnNotResponding;
  if (outcome == DeadlineCaller::Outcome::kTimedOut)
    return kIOReturnTimeout;
  if (*result < 0)
    return StatusFromErrno(static_cast<int>(-*result));
  return static_cast<std::size_t>(*result) == report->size() ? kIOReturnSuccess : kIOReturnUnderrun;
}

}  // namespace plat::linux_dev
