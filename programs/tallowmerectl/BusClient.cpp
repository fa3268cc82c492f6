#include "programs/tallowmerectl/BusClient.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/dbus/BusNames.h"
#include "platform/dbus/SessionBus.h"
#include "platform/dbus/SwitchProperties.h"
#include "programs/tallowmerectl/StatusText.h"

namespace ctl {
namespace {

using plat::dbus::SwitchState;

// A command may wait for a switch that retries: longer than the protocol's retries take.
constexpr int kCallTimeoutMs = 30000;

bool NotServed(const GError* error) {
  return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT) ||
         g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_INTERFACE);
}

Outcome FromError(GError* error) {
  gchar* remote = g_dbus_error_get_remote_error(error);
  const std::string name = remote != nullptr ? remote : "";
  g_free(remote);
  g_dbus_error_strip_remote_error(error);
  const std::string message = OneLine(error->message);
  if (name == plat::dbus::kErrorNoSwitch)
    return Failure(kNoSwitch, message);
  if (name == plat::dbus::kErrorNoSuchPort || name == plat::dbus::kErrorFailed)
    return Failure(kFailed, message);
  return Failure(kFailed, "tallowmere did not answer: " + message);
}

struct Watching {
  GMainLoop* loop;
  bool json;
  SwitchState shown;
  Outcome outcome;
};

void Show(const Watching& watching, const SwitchState& before, const SwitchState& now,
          bool everything) {
  std::string out;
  if (watching.json) {
    out = StatusJson(now);
  } else if (everything) {
    out = StatusLines(now);
  } else {
    for (const char* name : plat::dbus::ChangedProperties(before, now))
      out += PropertyLine(now, name);
  }
  std::fputs(out.c_str(), stdout);
  std::fflush(stdout);
}

void PropertiesChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                       GVariant* parameters, gpointer data) {
  auto* watching = static_cast<Watching*>(data);
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)")))
    return;
  const gchar* interface = nullptr;
  GVariant* changed = nullptr;
  g_variant_get(parameters, "(&s@a{sv}@as)", &interface, &changed, nullptr);
  if (std::strcmp(interface, plat::dbus::kInterface) == 0) {
    SwitchState now = watching->shown;
    plat::dbus::ApplyProperties(now, changed);
    if (!(now == watching->shown))
      Show(*watching, watching->shown, now, false);
    watching->shown = now;
  }
  g_variant_unref(changed);
}

void OwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                  GVariant* parameters, gpointer data) {
  auto* watching = static_cast<Watching*>(data);
  const gchar* newOwner = "";
  g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &newOwner);
  if (*newOwner != '\0')
    return;
  watching->outcome = Failure(kNoSwitch, "tallowmere has quit");
  g_main_loop_quit(watching->loop);
}

}  // namespace

BusClient::~BusClient() {
  if (bus_ != nullptr)
    g_object_unref(bus_);
}

bool BusClient::Connect() {
  const std::optional<std::string> address = plat::dbus::SessionBusAddress();
  if (!address)
    return false;
  bus_ = g_dbus_connection_new_for_address_sync(
      address->c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
  return bus_ != nullptr;
}

std::optional<Outcome> BusClient::Call(const char* method, GVariant* parameters) {
  if (bus_ == nullptr) {
    if (parameters != nullptr)
      g_variant_unref(g_variant_ref_sink(parameters));
    return std::nullopt;
  }
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus_, plat::dbus::kBusName, plat::dbus::kObjectPath, plat::dbus::kInterface, method,
      parameters, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &error);
  if (reply != nullptr) {
    g_variant_unref(reply);
    return Done();
  }
  std::optional<Outcome> outcome;
  if (!NotServed(error))
    outcome = FromError(error);
  g_error_free(error);
  return outcome;
}

std::optional<SwitchState> BusClient::Properties() {
  if (bus_ == nullptr)
    return std::nullopt;
  GVariant* reply = g_dbus_connection_call_sync(
      bus_, plat::dbus::kBusName, plat::dbus::kObjectPath, "org.freedesktop.DBus.Properties",
      "GetAll", g_variant_new("(s)", plat::dbus::kInterface), G_VARIANT_TYPE("(a{sv})"),
      G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, nullptr);
  if (reply == nullptr)
    return std::nullopt;
  GVariant* properties = g_variant_get_child_value(reply, 0);
  SwitchState state = plat::dbus::StateFromProperties(properties);
  g_variant_unref(properties);
  g_variant_unref(reply);
  return state;
}

Outcome BusClient::Watch(bool json) {
  if (bus_ == nullptr)
    return Failure(kNoSwitch, "tallowmere is not running");
  Watching watching{g_main_loop_new(nullptr, FALSE), json, {}, Done()};
  // Subscribed before the first read, so that no change falls between the two.
  const guint changes = g_dbus_connection_signal_subscribe(
      bus_, plat::dbus::kBusName, "org.freedesktop.DBus.Properties", "PropertiesChanged",
      plat::dbus::kObjectPath, plat::dbus::kInterface, G_DBUS_SIGNAL_FLAGS_NONE, &PropertiesChanged,
      &watching, nullptr);
  const guint owner = g_dbus_connection_signal_subscribe(
      bus_, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
      "/org/freedesktop/DBus", plat::dbus::kBusName, G_DBUS_SIGNAL_FLAGS_NONE, &OwnerChanged,
      &watching, nullptr);
  const std::optional<SwitchState> first = Properties();
  if (first) {
    watching.shown = *first;
    Show(watching, {}, *first, true);
    g_main_loop_run(watching.loop);
  } else {
    watching.outcome = Failure(kNoSwitch, "tallowmere is not running");
  }
  g_dbus_connection_signal_unsubscribe(bus_, owner);
  g_dbus_connection_signal_unsubscribe(bus_, changes);
  g_main_loop_unref(watching.loop);
  return watching.outcome;
}

}  // namespace ctl
