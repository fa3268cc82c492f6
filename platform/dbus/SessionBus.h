// The login session's message bus, when there is one. Only a bus that exists is named: GLib
// would otherwise start one (autolaunch) for a program that merely asked, and a program started
// over ssh or from a service would leave a stray bus daemon behind.
#pragma once

#include <optional>
#include <string>

namespace plat::dbus {

// DBUS_SESSION_BUS_ADDRESS when set, else the socket $XDG_RUNTIME_DIR/bus when it exists.
std::optional<std::string> SessionBusAddress();

}  // namespace plat::dbus
