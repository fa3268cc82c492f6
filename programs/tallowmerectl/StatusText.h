// How tallowmerectl prints the switch: one "Name: value" line per property, or one JSON object
// whose keys are the property names (for status bars and scripts).
#pragma once

#include <string>

#include "platform/dbus/SwitchState.h"

namespace ctl {

// One line (with its line end) for the property `name` of `state`.
std::string PropertyLine(const plat::dbus::SwitchState& state, const char* name);
// Every property, one line each, in the interface's order.
std::string StatusLines(const plat::dbus::SwitchState& state);
// One JSON object on one line, with its line end.
std::string StatusJson(const plat::dbus::SwitchState& state);

}  // namespace ctl
