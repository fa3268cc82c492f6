#include "programs/tallowmerectl/PortOrder.h"

namespace ctl {

std::uint32_t NeighbourPort(const plat::dbus::SwitchState& state, int step) {
  const std::vector<std::uint32_t>& ports = state.availablePorts;
  if (ports.empty())
    return 0;
  const std::uint32_t active = state.activePort;
  if (step > 0) {
    for (std::uint32_t port : ports) {
      if (active != 0 && port > active)
        return port;
    }
    return ports.front();
  }
  for (auto it = ports.rbegin(); it != ports.rend(); ++it) {
    if (active != 0 && *it < active)
      return *it;
  }
  return ports.back();
}

}  // namespace ctl
