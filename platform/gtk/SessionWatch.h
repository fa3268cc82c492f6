// The login session's switch-out and return (another user's session brought to the seat, and
// back), told by logind over the system bus, become the platform's session events. Without a
// system bus or logind, or outside a login session, nothing happens.
#pragma once

#include <gio/gio.h>

#include <string>

namespace plat::gtk {

class SessionWatch {
 public:
  SessionWatch();
  ~SessionWatch();
  SessionWatch(const SessionWatch&) = delete;
  SessionWatch& operator=(const SessionWatch&) = delete;

  // The session's properties changed ("a{sv}" of org.freedesktop.DBus.Properties's
  // PropertiesChanged): a change of "Active" is a session event. Public for tests.
  static void PropertiesChanged(GVariant* changed);

 private:
  static void BusReady(GObject*, GAsyncResult* result, gpointer self);
  static void SessionFound(GObject*, GAsyncResult* result, gpointer self);
  static void Signal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                     GVariant* parameters, gpointer);

  GCancellable* cancellable_;
  GDBusConnection* bus_ = nullptr;
  guint subscription_ = 0;
};

}  // namespace plat::gtk
