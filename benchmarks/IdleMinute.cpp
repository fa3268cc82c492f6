// One minute of the program's idle life with a 4-port switch plugged (generation 1 or 2), on the
// simulation's virtual clock: prints how many status polls and switch exchanges the minute took
// (a generation-2 switch is polled every two seconds; a generation-1 switch is not polled).
// The minute lies between the two marker lines "idle minute: begin" and "idle minute: end" on
// standard output, so that a system-call trace (strace -f) can count what happened inside it.
//   idle_minute [generation]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benchmarks/SimulatedProgram.h"
#include "platform/RunLoop.h"

namespace {
void Mark(const char* line) {
  // Straight to the descriptor, so the marker is one write in the trace where it happened.
  [[maybe_unused]] const auto written = write(STDOUT_FILENO, line, std::strlen(line));
}
}  // namespace

int main(int argc, char** argv) {
  const int generation = argc > 1 ? static_cast<int>(std::strtol(argv[1], nullptr, 10)) : 2;
  std::freopen("/dev/null", "w", stderr);
  int reads = 0;
  int others = 0;
  bool opened = false;
  bench::RunProgramWith([&] {
    auto simulated = bench::PlugOpenedSwitch(generation);
    if (simulated == nullptr)
      return;
    opened = true;
    simulated->ClearExchanges();
    Mark("idle minute: begin\n");
    plat::RunLoop::Main().RunFor(plat::SecondsToNanos(60));
    Mark("idle minute: end\n");
    for (const auto& exchange : simulated->Exchanges()) {
      using Kind = plat::sim::Exchange::Kind;
      if (exchange.kind == Kind::kGetReport || exchange.kind == Kind::kDeviceRequest)
        ++reads;
      else if (exchange.kind != Kind::kHIDOpen && exchange.kind != Kind::kHIDClose &&
               exchange.kind != Kind::kUSBDeviceOpen && exchange.kind != Kind::kUSBDeviceClose)
        ++others;
    }
  });
  if (!opened) {
    std::puts("idle_minute: the simulated switch was not opened");
    return 1;
  }
  // A generation-2 poll reads two feature reports; a generation-1 poll one string descriptor.
  const int polls = generation == 2 ? reads / 2 : reads;
  std::printf("polls %d reads %d other-exchanges %d\n", polls, reads, others);
  return 0;
}
