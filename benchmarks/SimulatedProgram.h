// The whole program over the simulated platform, for measurements: the real start-up (the one
// main runs) with a front that does the measuring inside the event loop, then quits as the menu
// bar does. Time is the simulation's virtual clock, so the protocol's fixed delays cost nothing
// and only the program's own work is measured.
#pragma once

#include <functional>
#include <memory>

#include "platform/sim/SimulatedSwitch.h"

namespace bench {

// Runs the program; `inside` runs as the event loop's first work. Answers what the program
// returns.
int RunProgramWith(std::function<void()> inside);

// Unplugs the switch plugged in before (if any), plugs a 4-port switch of that generation and
// lets virtual time pass until the program has opened it and (generation 2, the one that is
// polled) its polling timer has ticked once. Null when the program did not open it.
std::shared_ptr<plat::sim::SimulatedSwitch> PlugOpenedSwitch(int generation);

}  // namespace bench
