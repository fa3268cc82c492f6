#include "platform/gtk/SessionWatch.h"

#include <unistd.h>

#include "platform/Processes.h"

namespace plat::gtk {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";

}  // namespace

SessionWatch::SessionWatch() : cancellable_(g_cancellable_new()) {
  g_bus_get(G_BUS_TYPE_SYSTEM, cancellable_, &SessionWatch::BusReady, this);
}

SessionWatch::~SessionWatch() {
  // Replies still on their way find the watch cancelled and do not touch it.
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
  if (bus_ != nullptr) {
    if (subscription_ != 0)
      g_dbus_connection_signal_unsubscribe(bus_, subscription_);
    g_object_unref(bus_);
  }
}

void SessionWatch::BusReady(GObject*, GAsyncResult* result, gpointer self) {
  GDBusConnection* bus = g_bus_get_finish(result, nullptr);
  if (bus == nullptr)
    return;  // no system bus, or the watch is gone (cancelled): no session events
  auto* watch = static_cast<SessionWatch*>(self);
  watch->bus_ = bus;
  // The session this process belongs to.
  g_dbus_connection_call(bus, kLogind, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                         "GetSessionByPID", g_variant_new("(u)", static_cast<guint32>(getpid())),
                         G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, -1, watch->cancellable_,
                         &SessionWatch::SessionFound, watch);
}

void SessionWatch::SessionFound(GObject* bus, GAsyncResult* result, gpointer self) {
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
  if (reply == nullptr)
    return;  // no logind, or not in a login session (or cancelled)
  auto* watch = static_cast<SessionWatch*>(self);
  const gchar* path = nullptr;
  g_variant_get(reply, "(&o)", &path);
  watch->subscription_ = g_dbus_connection_signal_subscribe(
      watch->bus_, kLogind, "org.freedesktop.DBus.Properties", "PropertiesChanged", path,
      "org.freedesktop.login1.Session", G_DBUS_SIGNAL_FLAGS_NONE, &SessionWatch::Signal, nullptr,
      nullptr);
  g_variant_unref(reply);
}

void SessionWatch::Signal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                          GVariant* parameters, gpointer) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)")))
    return;
  GVariant* changed = g_variant_get_child_value(parameters, 1);
  PropertiesChanged(changed);
  g_variant_unref(changed);
}

void SessionWatch::PropertiesChanged(GVariant* changed) {
  gboolean active = FALSE;
  if (g_variant_lookup(changed, "Active", "b", &active))
    SwitchUserSession(active != FALSE);
}

}  // namespace plat::gtk
