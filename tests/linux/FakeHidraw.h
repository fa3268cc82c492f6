// The kernel's side of hidraw nodes for tests: what each open node is, what each feature-report
// ioctl and write received, answers to give back, and a gate that holds calls in the "kernel"
// as a device that stops answering does.
#pragma once

#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/HidrawDevice.h"

class FakeHidraw final : public plat::linux_dev::HidrawSystem {
 public:
  struct Call {
    unsigned long request;
    std::vector<std::uint8_t> bytes;
  };

  // What the node at any path is now.
  dev_t number = makedev(244, 0);
  hidraw_devinfo info{0x03, 0x10D5, 0x5501};
  int openError = 0;  // an errno for open() to fail with
  // The feature report a HIDIOCGFEATURE answers with (report ID first).
  std::vector<std::uint8_t> answer;

  int Open(const char*) override;
  int DeviceNumber(int fd, dev_t* number) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  long Write(int fd, const void* data, std::size_t size) override;
  void Close(int fd) override;

  // From Hang until Answer, calls stay in the "kernel" as with a device that stopped answering.
  void Hang();
  void Answer();
  // Feature-report ioctls and writes received, in order.
  std::vector<Call> Calls();
  int Opened();
  int Closed();

 private:
  std::mutex mutex_;
  std::condition_variable gate_;
  bool shut_ = false;
  std::vector<Call> calls_;
  int opened_ = 0;
  int closed_ = 0;
};
