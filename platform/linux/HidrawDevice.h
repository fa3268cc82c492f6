// One hidraw device as the registry found it, shared by every connection made on its service:
// what the node must still be when it is opened, and the helper thread its blocking calls run on.
//
// A path is not an identity: hidraw minor numbers are handed out lowest-free first and reused at
// once, so after an unplug /dev/hidrawN may already be another device before the removal reaches
// the program. Every open compares the node's device number with the one sysfs gave the service,
// and the HID bus and ids the kernel reports with HID_ID's; anything else is "no device" and
// nothing is sent.
#pragma once

#include <sys/sysmacros.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/MacTypes.h"
#include "platform/linux/DeadlineCaller.h"
#include "platform/linux/Uevent.h"

namespace plat::linux_dev {

// The kernel calls on a hidraw node; a test replaces them. Each returns what the system call
// returns, or -errno on failure.
class HidrawSystem {
 public:
  virtual ~HidrawSystem() = default;
  virtual int Open(const char* path);
  virtual int DeviceNumber(int fd, dev_t* number);
  virtual int Ioctl(int fd, unsigned long request, void* argument);
  virtual long Write(int fd, const void* data, std::size_t size);
  virtual void Close(int fd);
  static const std::shared_ptr<HidrawSystem>& Real();
};

struct HidrawIdentity {
  std::filesystem::path devnode;
  std::optional<dev_t> number;  // sysfs `dev` of the hidraw device
  HidIdentity hid;              // HID_ID of its HID device
  // udev's record of the node (run/udev/data/cMAJ:MIN), which says whether the rule tagged it.
  std::filesystem::path udevRecord;
};

// The ioctl's size field holds 14 bits: a larger length would be sent as another size.
constexpr std::size_t kMaxHidrawTransfer = 16383;
// How long the program's thread waits for one call on a device.
constexpr std::chrono::milliseconds kDeviceCallDeadline{200};

// An open node, closed when the last holder lets go: a call still stuck in the kernel holds it,
// so closing a connection (or the device going away) never closes the descriptor under it.
class OpenHidraw {
 public:
  OpenHidraw(std::shared_ptr<HidrawSystem> system, int fd) : system_(std::move(system)), fd_(fd) {}
  ~OpenHidraw() { system_->Close(fd_); }
  OpenHidraw(const OpenHidraw&) = delete;
  OpenHidraw& operator=(const OpenHidraw&) = delete;
  int Fd() const { return fd_; }
  HidrawSystem& System() const { return *system_; }

 private:
  std::shared_ptr<HidrawSystem> system_;
  int fd_;
};

class HidrawDevice {
 public:
  explicit HidrawDevice(HidrawIdentity identity,
                        std::shared_ptr<HidrawSystem> system = HidrawSystem::Real(),
                        std::chrono::milliseconds deadline = kDeviceCallDeadline)
      : identity_(std::move(identity)), system_(std::move(system)), caller_(deadline) {}

  // Opens the node and checks it is still this device. Fails at once while a call on any hidraw
  // device is in flight: the kernel serialises hidraw opens and closes with those calls, so an
  // open then would block as long as the stuck call.
  IOReturn Open(std::shared_ptr<OpenHidraw>* node);
  // Runs `ioctl(request, wire)` on the helper thread; `wire` holds the bytes in and out. The
  // count the kernel returns is put in *count.
  IOReturn Ioctl(const std::shared_ptr<OpenHidraw>& node, unsigned long request,
                 std::vector<std::uint8_t>* wire, int* count);
  // Writes `data` as an output report with report number 0, on the helper thread: the HID
  // driver sends it on the interface's interrupt OUT endpoint as it stands.
  IOReturn WriteOutputReport(const std::uint8_t* data, std::size_t size);

  // Lets go of an open node. While a call is in flight the node is kept until this device's next
  // open: closing it now would block on the same kernel lock as an open.
  void Release(std::shared_ptr<OpenHidraw> node);

  // Whether the last open was refused for lack of permission (udev's `change` for the node is
  // then worth a new try).
  bool OpenRefused() const { return refused_; }
  const HidrawIdentity& Identity() const { return identity_; }
  // Whether a call on the device has not returned yet.
  bool Busy() const { return caller_.Busy(); }

 private:
  // Runs a call on the helper thread, counted among the calls in flight until it returns.
  DeadlineCaller::Outcome Run(std::function<void()> call);

  HidrawIdentity identity_;
  std::shared_ptr<HidrawSystem> system_;
  DeadlineCaller caller_;
  std::vector<std::shared_ptr<OpenHidraw>> parked_;
  bool refused_ = false;
};

}  // namespace plat::linux_dev
