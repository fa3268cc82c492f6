// The bus service module's entry points (see BusServiceModule.h).
#include "platform/dbus/BusServiceModule.h"

#include "platform/dbus/BusService.h"

extern "C" {

[[gnu::visibility("default")]] void* tallowmere_bus_service_start() {
  return new plat::dbus::BusService();
}

[[gnu::visibility("default")]] void tallowmere_bus_service_stop(void* service) {
  delete static_cast<plat::dbus::BusService*>(service);
}

}  // extern "C"

// The program calls them through these types: a change on either side does not compile.
[[maybe_unused]] constexpr plat::dbus::BusServiceStartFunction kStart =
    &tallowmere_bus_service_start;
[[maybe_unused]] constexpr plat::dbus::BusServiceStopFunction kStop = &tallowmere_bus_service_stop;
