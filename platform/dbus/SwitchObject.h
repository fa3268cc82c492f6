// The object /org/tallowmere/Tallowmere with the interface org.tallowmere.Switch1 on a bus
// connection: properties read from the program's view of the switch, methods that send the
// program the same commands as its tray (Dock) menu and hot keys, and PropertiesChanged with
// exactly what changed after any callback of the run loop (a status read, a command, a removal):
// no polling, and no wake-up of its own.
#pragma once

#include <gio/gio.h>

#include <memory>

#include "platform/RunLoop.h"
#include "platform/dbus/SwitchState.h"

namespace plat::dbus {

class SwitchObject {
 public:
  explicit SwitchObject(GDBusConnection* bus);
  ~SwitchObject();
  SwitchObject(const SwitchObject&) = delete;
  SwitchObject& operator=(const SwitchObject&) = delete;

  bool Registered() const { return registration_ != 0; }

 private:
  static void MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
  static GVariant* PropertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar* name, GError** error, gpointer self);
  void Answer(const char* method, GVariant* parameters, GDBusMethodInvocation* invocation);
  void AnnounceChanges();

  GDBusConnection* bus_;
  guint registration_ = 0;
  RunLoop::Id observer_ = 0;
  SwitchState announced_;
  // Shared with posted work, which may run after this object is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::dbus
