// The switch's properties as D-Bus values: what the served object answers and announces, and
// what its client reads back from a bus message.
#pragma once

#include <gio/gio.h>

#include <vector>

#include "platform/dbus/SwitchState.h"

namespace plat::dbus {

// One property's value (a floating reference); null for a name that is not a property.
GVariant* PropertyValue(const SwitchState& state, const char* name);
// The names whose values differ between `before` and `after`.
std::vector<const char*> ChangedProperties(const SwitchState& before, const SwitchState& after);
// Takes into `state` what a dictionary of properties (a{sv}, as GetAll answers and
// PropertiesChanged carries) holds; a missing or mistyped entry leaves its field as it was.
// Takes any value a peer may send.
void ApplyProperties(SwitchState& state, GVariant* properties);
SwitchState StateFromProperties(GVariant* properties);

}  // namespace plat::dbus
