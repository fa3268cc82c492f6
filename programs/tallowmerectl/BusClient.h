// tallowmerectl's side of the scripting interface: calls to the running program on the session
// bus, and the watch that prints its changes.
#pragma once

#include <gio/gio.h>

#include <optional>

#include "platform/dbus/SwitchState.h"
#include "programs/tallowmerectl/Outcome.h"

namespace ctl {

class BusClient {
 public:
  BusClient() = default;
  ~BusClient();
  BusClient(const BusClient&) = delete;
  BusClient& operator=(const BusClient&) = delete;

  // Connects to the session bus of the login session; false when there is none (none is
  // started for it).
  bool Connect();

  // Calls `method` of the running program with `parameters` (consumed if floating). Nothing
  // when no program serves the interface.
  std::optional<Outcome> Call(const char* method, GVariant* parameters);
  // The program's view of the switch; nothing when no program serves the interface.
  std::optional<plat::dbus::SwitchState> Properties();
  // Prints the program's view, then every change, until the program ends (or the process is
  // interrupted).
  Outcome Watch(bool json);

 private:
  GDBusConnection* bus_ = nullptr;
};

}  // namespace ctl
