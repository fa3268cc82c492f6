// In-process figures of the program over a simulated 4-port switch (the benchmark's argument is
// its generation; only generation 2 is polled), on the virtual clock: the protocol's fixed delays
// (the 10 ticks before a command, the waits between retries) pass without costing time, so what is
// measured is the program's own work.
//
//   PollTick:    one status poll as the polling timer runs it (read the status, decode it, bring
//                the Dock icon up to date).
//   PollPeriod:  two seconds of the event loop with the switch plugged: the timer firing through
//                the run loop and the poll it runs.
//   HotKey:      a hot-key press from the key event to the command report the switch receives
//                (the call returns once the report is sent and the device closed again).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "benchmarks/SimulatedProgram.h"
#include "hid/HIDRemovalAndPolling.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/RunLoop.h"
#include "switch/KVMSwitch.h"

namespace {

using plat::sim::Exchange;

bool Prepare(benchmark::State& state) {
  if (bench::PlugOpenedSwitch(static_cast<int>(state.range(0))) == nullptr) {
    state.SkipWithError("the simulated switch was not opened");
    return false;
  }
  return true;
}

void PollTick(benchmark::State& state) {
  if (!Prepare(state))
    return;
  for (auto _ : state)
    TimerFunction(theTimer, &KVMSwitch);
}

void PollPeriod(benchmark::State& state) {
  if (!Prepare(state))
    return;
  for (auto _ : state)
    plat::RunLoop::Main().RunFor(plat::SecondsToNanos(kPollInterval));
}

void HotKey(benchmark::State& state) {
  auto simulated = bench::PlugOpenedSwitch(static_cast<int>(state.range(0)));
  if (simulated == nullptr) {
    state.SkipWithError("the simulated switch was not opened");
    return;
  }
  // The default keys of ports 1 and 2, in turn, so that every press changes the port.
  const UInt32 keys[] = {kVK_ANSI_1, kVK_ANSI_2};
  std::size_t press = 0;
  for (auto _ : state)
    plat::PressHotKey(keys[press++ % 2], controlKey | optionKey);
  std::size_t sent = 0;
  for (const Exchange& exchange : simulated->Exchanges())
    sent +=
        exchange.kind == Exchange::Kind::kSetReport || exchange.kind == Exchange::Kind::kWritePipe
            ? 1
            : 0;
  simulated->ClearExchanges();
  if (sent < press)
    state.SkipWithError("a hot key sent no command");
}

BENCHMARK(PollTick)->Arg(2)->ArgName("generation");
BENCHMARK(PollPeriod)->Arg(2)->ArgName("generation");
BENCHMARK(HotKey)->Arg(1)->Arg(2)->ArgName("generation");

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  // The program's diagnostics (the start-up lines) are not part of the figures.
  if (std::getenv("BENCHMARK_DIAGNOSTICS") == nullptr)
    std::freopen("/dev/null", "w", stderr);
  return bench::RunProgramWith([] { benchmark::RunSpecifiedBenchmarks(); });
}
