// Linked into a program that links GLib anyway (the desktop program, the simulation): the console
// front serves the scripting interface from the bus service built into it.
#include "platform/console/ScriptingService.h"
#include "platform/dbus/BusService.h"

namespace plat::console {
namespace {

[[maybe_unused]] const bool registered = (SetScriptingServiceStart([]() -> ScriptingService {
                                            return std::make_shared<dbus::BusService>();
                                          }),
                                          true);

}  // namespace
}  // namespace plat::console
