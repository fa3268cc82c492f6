#include "platform/gtk/SingleInstance.h"

#include <iostream>

#include "platform/Processes.h"
#include "platform/dbus/BusNames.h"
#include "platform/dbus/SessionBus.h"
#include "platform/dbus/SwitchObject.h"

namespace plat::gtk {
namespace {

constexpr const char* kInterface = "org.freedesktop.Application";
constexpr const char* kIntrospection =
    "<node><interface name='org.freedesktop.Application'>"
    "<method name='Activate'><arg type='a{sv}' name='platform-data' direction='in'/></method>"
    "</interface></node>";

// RequestName's flag and answers (the bus daemon's numbers).
constexpr guint32 kDoNotQueue = 4;
constexpr guint32 kPrimaryOwner = 1;
constexpr guint32 kAlreadyOwner = 4;

constexpr gint kActivationTimeoutMs = 5000;

}  // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
  if (bus_ == nullptr)
    return;
  switch_.reset();
  // Answers given just before the end (the scripting interface's Quit) still leave.
  g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
  if (registration_ != 0)
    g_dbus_connection_unregister_object(bus_, registration_);
  g_object_unref(bus_);
}

std::string SingleInstance::BusName(const std::string&) {
  return dbus::kBusName;
}

std::string SingleInstance::ObjectPath(const std::string& busName) {
  std::string path = "/" + busName;
  for (char& c : path) {
    if (c == '.')
      c = '/';
  }
  return path;
}

bool SingleInstance::Claim(const std::string& busName, const std::string& objectPath) {
  // Only a bus that exists: GLib would otherwise start one for us (autolaunch). The shared
  // connection, so that the front's other users of the bus (hot keys, tray) share it too.
  if (dbus::SessionBusAddress())
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus_ == nullptr)
    return true;  // no session bus: nobody to share it with
  g_dbus_connection_set_exit_on_close(bus_, FALSE);
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  static const GDBusInterfaceVTable vtable{&SingleInstance::MethodCalled, nullptr, nullptr, {}};
  registration_ = g_dbus_connection_register_object(
      bus_, objectPath.c_str(), g_dbus_node_info_lookup_interface(node, kInterface), &vtable,
      nullptr, nullptr, nullptr);
  g_dbus_node_info_unref(node);

  GVariant* reply = g_dbus_connection_call_sync(
      bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
      g_variant_new("(su)", busName.c_str(), kDoNotQueue), G_VARIANT_TYPE("(u)"),
      G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
  if (reply == nullptr)
    return true;  // a bus that does not answer: run on our own
  guint32 answer = 0;
  g_variant_get(reply, "(u)", &answer);
  g_variant_unref(reply);
  if (answer == kPrimaryOwner || answer == kAlreadyOwner) {
    switch_ = std::make_unique<dbus::SwitchObject>(bus_);
    return true;
  }

  GVariantBuilder noData;
  g_variant_builder_init(&noData, G_VARIANT_TYPE("a{sv}"));
  GError* error = nullptr;
  GVariant* shown =
      g_dbus_connection_call_sync(bus_, busName.c_str(), objectPath.c_str(), kInterface, "Activate",
                                  g_variant_new("(a{sv})", &noData), nullptr,
                                  G_DBUS_CALL_FLAGS_NONE, kActivationTimeoutMs, nullptr, &error);
  if (shown != nullptr) {
    g_variant_unref(shown);
  } else {
    std::cerr << "tallowmere: another instance is running but did not answer: " << error->message
              << "\n";
    g_error_free(error);
  }
  return false;
}

void SingleInstance::MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                                  gpointer) {
  if (g_strcmp0(method, "Activate") == 0) {
    ShowApplication();
    g_dbus_method_invocation_return_value(invocation, nullptr);
    return;
  }
  g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD,
                                        "no method %s", method);
}

}  // namespace plat::gtk
