// The console's `status` command: one line with the raw values of the switch record, for any
// program that runs with the console front.
#include <cstdio>
#include <string_view>

#include "platform/console/Console.h"
#include "switch/KVMSwitch.h"

namespace {

void PrintStatus(plat::console::Console& console, std::string_view arguments) {
  if (!arguments.empty()) {
    console.Print("status: takes no arguments");
    return;
  }
  const _KVM_INFO& info = KVMSwitch.info;
  char line[200];
  std::snprintf(line, sizeof line,
                "state=%d link=%d current=%d confirmed=%d count=%d available=0x%02X autoscan=%d "
                "period=%d buzzer=%d",
                info.deviceState, info.linkKind, info.currentPort, info.confirmedPort,
                info.portCount, static_cast<unsigned>(info.availablePorts), info.autoScanOn,
                info.autoScanPeriod, info.buzzerOn);
  console.Print(line);
}

[[maybe_unused]] const bool registered = [] {
  plat::console::AddProgramCommand(
      {"status", "status", "the program's view of the switch: the raw values of its record",
       PrintStatus});
  return true;
}();

}  // namespace
