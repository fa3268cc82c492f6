#include "FakeHidraw.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstring>

int FakeHidraw::Open(const char*) {
  const std::lock_guard lock(mutex_);
  if (openError != 0)
    return -openError;
  return 100 + opened_++;
}

int FakeHidraw::DeviceNumber(int, dev_t* result) {
  *result = number;
  return 0;
}

int FakeHidraw::Ioctl(int, unsigned long request, void* argument) {
  if (request == HIDIOCGRAWINFO) {
    std::memcpy(argument, &info, sizeof info);
    return 0;
  }
  auto* bytes = static_cast<std::uint8_t*>(argument);
  const std::size_t size = _IOC_SIZE(request);
  std::unique_lock lock(mutex_);
  calls_.push_back({request, {bytes, bytes + size}});
  gate_.wait(lock, [this] { return !shut_; });
  if (_IOC_NR(request) == _IOC_NR(HIDIOCGFEATURE(0))) {
    std::copy_n(answer.begin(), std::min(answer.size(), size), bytes);
    return static_cast<int>(answer.size());
  }
  return static_cast<int>(size);
}

long FakeHidraw::Write(int, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::unique_lock lock(mutex_);
  calls_.push_back({0, {bytes, bytes + size}});
  gate_.wait(lock, [this] { return !shut_; });
  return static_cast<long>(size);
}

void FakeHidraw::Close(int) {
  const std::lock_guard lock(mutex_);
  ++closed_;
}

void FakeHidraw::Hang() {
  const std::lock_guard lock(mutex_);
  shut_ = true;
}

void FakeHidraw::Answer() {
  const std::lock_guard lock(mutex_);
  shut_ = false;
  gate_.notify_all();
}

std::vector<FakeHidraw::Call> FakeHidraw::Calls() {
  const std::lock_guard lock(mutex_);
  return calls_;
}

int FakeHidraw::Opened() {
  const std::lock_guard lock(mutex_);
  return opened_;
}

int FakeHidraw::Closed() {
  const std::lock_guard lock(mutex_);
  return closed_;
}
