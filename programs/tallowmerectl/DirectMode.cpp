#include "programs/tallowmerectl/DirectMode.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/StartupChecks.h"
#include "hid/HIDDiscovery.h"
#include "platform/RunLoop.h"
#include "platform/model/iokit/DeviceWrites.h"
#include "programs/SwitchStateOfRecord.h"
#include "programs/tallowmerectl/StatusText.h"
#include "switch/KVMOperations.h"
#include "switch/KVMSwitch.h"

namespace ctl {
namespace {

// The program's diagnostics (discovery's lines, a refused node) are for the program's own
// standard error; tallowmerectl says one line of its own instead.
class QuietStandardError {
 public:
  QuietStandardError() : saved_(dup(STDERR_FILENO)) {
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_;
};

// Discovery as the program starts it: a switch that is plugged in is opened and read.
plat::dbus::SwitchState FindSwitch() {
  QuietStandardError quiet;
  ClearSwitchRecord();
  CreateSwitchRegion();
  HIDSetMatchingDevices(&KVMSwitch, DeviceList, VendorCount);
  // What discovery set off without time passing (a version-1 switch handed to its USB route).
  plat::RunLoop::Main().RunPending();
  return SwitchStateOfRecord(KVMSwitch.info);
}

Outcome NoSwitch() {
  const plat::DeviceWrites& figures = plat::DeviceWritesSoFar();
  if (figures.refusedOpens > 0) {
    const std::string node =
        figures.refusedNode.empty() ? "the switch's device node" : figures.refusedNode;
    return Failure(kNoAccess, "no permission to open " + node +
                                  " (install tallowmere's udev rule, and use the session at "
                                  "the seat)");
  }
  return Failure(kNoSwitch, "no switch is connected (tallowmere is not running)");
}

}  // namespace

Outcome DirectStatus(bool json) {
  const plat::dbus::SwitchState state = FindSwitch();
  if (!state.connected)
    return NoSwitch();
  const std::string out = json ? StatusJson(state) : StatusLines(state);
  std::fputs(out.c_str(), stdout);
  return Done();
}

Outcome DirectSwitch(std::uint32_t port) {
  const plat::dbus::SwitchState state = FindSwitch();
  if (!state.connected)
    return NoSwitch();
  if (port > state.portCount) {
    return Failure(kFailed, "the switch has no port " + std::to_string(port) +
                                " (its ports are 1 to " + std::to_string(state.portCount) + ")");
  }
  if (!state.Offers(port))
    return Failure(kFailed, "port " + std::to_string(port) + " cannot be selected now");
  const plat::DeviceWrites before = plat::DeviceWritesSoFar();
  IOReturn result = kIOReturnSuccess;
  {
    QuietStandardError quiet;
    MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
    result = KVMSetPortNumber(&KVMSwitch.info, static_cast<int>(port - 1));
    MPExitCriticalRegion(KVMSwitch.criticalRegion);
  }
  const plat::DeviceWrites& after = plat::DeviceWritesSoFar();
  if (result != kIOReturnSuccess || after.count == before.count ||
      after.lastStatus != kIOReturnSuccess) {
    char code[16];
    std::snprintf(code, sizeof code, "%08X",
                  static_cast<unsigned>(result != kIOReturnSuccess ? result : after.lastStatus));
    return Failure(kFailed,
                   std::string("the command did not reach the switch (status ") + code + ")");
  }
  return Done();
}

}  // namespace ctl
