// The bus service as a module the console program loads only when a session bus exists, so that
// a start without one loads nothing of GLib. It lies at TALLOWMERE_BUS_MODULE (CMakeLists.txt)
// below the program's prefix, in the build tree as after installation. Its calls into the
// platform (run loop, events, the switch's state) are resolved against the program loading it.
#pragma once

namespace plat::dbus {

// Its two entry points: one starts a service (it connects once the run loop runs), the other
// ends it, sending the answers still queued.
inline constexpr const char* kBusServiceStartSymbol = "tallowmere_bus_service_start";
inline constexpr const char* kBusServiceStopSymbol = "tallowmere_bus_service_stop";
using BusServiceStartFunction = void* (*)();
using BusServiceStopFunction = void (*)(void*);

}  // namespace plat::dbus
