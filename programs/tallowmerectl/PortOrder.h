// Which port `next` and `previous` go to.
#pragma once

#include <cstdint>

#include "platform/dbus/SwitchState.h"

namespace ctl {

// The port after (step 1) or before (step -1) the active one among those that can be selected,
// going round; from no known port, the first or the last. 0 when none can be selected.
std::uint32_t NeighbourPort(const plat::dbus::SwitchState& state, int step);

}  // namespace ctl
