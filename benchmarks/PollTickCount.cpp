// A fixed number of status polls of an opened simulated generation-2 switch (the one that is
// polled), for counting their instructions with callgrind, which needs a run that does the same
// work every time:
//   valgrind --tool=callgrind --toggle-collect='TimerFunction*' poll_tick_count 1000
// counts only inside the polling callback; the total divided by the count is the figure.
#include <cstdio>
#include <cstdlib>

#include "benchmarks/SimulatedProgram.h"
#include "hid/HIDRemovalAndPolling.h"
#include "switch/KVMSwitch.h"

int main(int argc, char** argv) {
  const long ticks = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
  std::freopen("/dev/null", "w", stderr);
  bool opened = false;
  bench::RunProgramWith([&] {
    opened = bench::PlugOpenedSwitch(2) != nullptr;
    if (!opened)
      return;
    for (long i = 0; i < ticks; ++i)
      TimerFunction(theTimer, &KVMSwitch);
  });
  if (!opened) {
    std::puts("poll_tick_count: the simulated switch was not opened");
    return 1;
  }
  std::printf("%ld polls\n", ticks);
  return 0;
}
