// tallowmerectl without a running program: it finds the switch with the program's own discovery
// and talks to it with the program's own protocol code (its delays and retries kept), once, with
// no event loop left running.
#pragma once

#include <cstdint>

#include "programs/tallowmerectl/Outcome.h"

namespace ctl {

// Prints the switch's status (text or JSON); kNoSwitch when none is connected.
Outcome DirectStatus(bool json);
// Switches to `port` (from 1) as a hot key would.
Outcome DirectSwitch(std::uint32_t port);

}  // namespace ctl
