#include "platform/dbus/SwitchState.h"

#include <algorithm>
#include <utility>

namespace plat::dbus {
namespace {

SwitchStateSource& Source() {
  static SwitchStateSource source;
  return source;
}

}  // namespace

bool SwitchState::Offers(std::uint32_t port) const {
  return std::find(availablePorts.begin(), availablePorts.end(), port) != availablePorts.end();
}

void SetSwitchStateSource(SwitchStateSource source) {
  Source() = std::move(source);
}

SwitchState CurrentSwitchState() {
  return Source() ? Source()() : SwitchState{};
}

}  // namespace plat::dbus
