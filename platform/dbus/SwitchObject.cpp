#include "platform/dbus/SwitchObject.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/CarbonEvents.h"
#include "platform/dbus/BusNames.h"
#include "platform/dbus/SwitchInterfaceXml.h"
#include "platform/dbus/SwitchProperties.h"
#include "platform/model/iokit/DeviceWrites.h"

namespace plat::dbus {
namespace {

constexpr UInt32 kFirstPortCommand = FourCC("SPC1");
constexpr UInt32 kAutoScanCommand = FourCC("Auto");
constexpr UInt32 kPreferencesCommand = FourCC("pref");

// A command to the application, as the tray menu and the menu bar send it.
void SendCommand(UInt32 commandID) {
  HICommand command{};
  command.commandID = commandID;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, GetCurrentEventTime(),
                  kEventAttributeUserEvent, &event) != noErr) {
    return;
  }
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
}

void Fail(GDBusMethodInvocation* invocation, const char* error, const std::string& message) {
  g_dbus_method_invocation_return_dbus_error(invocation, error, message.c_str());
}

// Sends a switch command and answers whether it reached the switch: the command's own result is
// not kept by the program, so the device writes it caused tell.
void SendSwitchCommand(GDBusMethodInvocation* invocation, UInt32 commandID) {
  const DeviceWrites before = DeviceWritesSoFar();
  SendCommand(commandID);
  const DeviceWrites& after = DeviceWritesSoFar();
  if (after.count == before.count) {
    Fail(invocation, kErrorFailed, "the command did not reach the switch: it does not answer");
    return;
  }
  if (after.lastStatus != kIOReturnSuccess) {
    char code[16];
    std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(after.lastStatus));
    Fail(invocation, kErrorFailed,
         std::string("the command did not reach the switch (status ") + code + ")");
    return;
  }
  g_dbus_method_invocation_return_value(invocation, nullptr);
}

std::string PortList(const SwitchState& state) {
  std::string list;
  for (std::uint32_t port : state.availablePorts)
    list += (list.empty() ? "" : ", ") + std::to_string(port);
  return list.empty() ? "none" : list;
}

void SwitchTo(GDBusMethodInvocation* invocation, std::uint32_t port) {
  const SwitchState state = CurrentSwitchState();
  if (!state.connected) {
    Fail(invocation, kErrorNoSwitch, "no switch is connected");
  } else if (port < 1 || port > state.portCount) {
    Fail(invocation, kErrorNoSuchPort,
         "the switch has no port " + std::to_string(port) + " (its ports are 1 to " +
             std::to_string(state.portCount) + ")");
  } else if (!state.Offers(port)) {
    Fail(invocation, kErrorNoSuchPort,
         "port " + std::to_string(port) + " cannot be selected now (available: " + PortList(state) +
             ")");
  } else {
    SendSwitchCommand(invocation, kFirstPortCommand + (port - 1));
  }
}

void SetAutoScan(GDBusMethodInvocation* invocation, bool on) {
  const SwitchState state = CurrentSwitchState();
  if (!state.connected) {
    Fail(invocation, kErrorNoSwitch, "no switch is connected");
  } else if (state.autoScan == on) {
    g_dbus_method_invocation_return_value(invocation, nullptr);  // already so
  } else {
    SendSwitchCommand(invocation, kAutoScanCommand);
  }
}

}  // namespace

SwitchObject::SwitchObject(GDBusConnection* bus) : bus_(G_DBUS_CONNECTION(g_object_ref(bus))) {
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kSwitchInterfaceXml, nullptr);
  static const GDBusInterfaceVTable vtable{
      &SwitchObject::MethodCalled, &SwitchObject::PropertyRead, nullptr, {}};
  if (node != nullptr) {
    registration_ = g_dbus_connection_register_object(
        bus_, kObjectPath, g_dbus_node_info_lookup_interface(node, kInterface), &vtable, this,
        nullptr, nullptr);
    g_dbus_node_info_unref(node);
  }
  announced_ = CurrentSwitchState();
  observer_ = RunLoop::Main().AddObserver([this] { AnnounceChanges(); });
}

SwitchObject::~SwitchObject() {
  *alive_ = false;
  RunLoop::Main().RemoveObserver(observer_);
  if (registration_ != 0)
    g_dbus_connection_unregister_object(bus_, registration_);
  g_object_unref(bus_);
}

void SwitchObject::MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar* method, GVariant* parameters,
                                GDBusMethodInvocation* invocation, gpointer self) {
  // Answered from the run loop, outside GLib's dispatch: a command may wait for the switch
  // (the protocol's delays) and runs as a menu command would.
  auto* object = static_cast<SwitchObject*>(self);
  g_variant_ref(parameters);
  RunLoop::Main().Post(
      [object, alive = object->alive_, name = std::string(method), parameters, invocation] {
        if (*alive) {
          object->Answer(name.c_str(), parameters, invocation);
        } else {
          Fail(invocation, kErrorFailed, "the program is quitting");
        }
        g_variant_unref(parameters);
      });
}

void SwitchObject::Answer(const char* method, GVariant* parameters,
                          GDBusMethodInvocation* invocation) {
  if (std::strcmp(method, "SwitchTo") == 0) {
    guint32 port = 0;
    g_variant_get(parameters, "(u)", &port);
    SwitchTo(invocation, port);
  } else if (std::strcmp(method, "SetAutoScan") == 0) {
    gboolean on = FALSE;
    g_variant_get(parameters, "(b)", &on);
    SetAutoScan(invocation, on != FALSE);
  } else if (std::strcmp(method, "ShowPreferences") == 0) {
    SendCommand(kPreferencesCommand);
    g_dbus_method_invocation_return_value(invocation, nullptr);
  } else if (std::strcmp(method, "Quit") == 0) {
    // Answered first: the connection is flushed as the program ends.
    g_dbus_method_invocation_return_value(invocation, nullptr);
    SendCommand(kHICommandQuit);
  } else {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD,
                                          "no method %s", method);
  }
}

GVariant* SwitchObject::PropertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                     const gchar* name, GError** error, gpointer) {
  GVariant* value = PropertyValue(CurrentSwitchState(), name);
  if (value == nullptr)
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", name);
  return value;
}

void SwitchObject::AnnounceChanges() {
  const SwitchState now = CurrentSwitchState();
  if (now == announced_ || registration_ == 0)
    return;
  GVariantBuilder changed;
  g_variant_builder_init(&changed, G_VARIANT_TYPE_VARDICT);
  for (const char* name : ChangedProperties(announced_, now))
    g_variant_builder_add(&changed, "{sv}", name, PropertyValue(now, name));
  announced_ = now;
  g_dbus_connection_emit_signal(
      bus_, nullptr, kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
      g_variant_new("(sa{sv}@as)", kInterface, &changed, g_variant_new_strv(nullptr, 0)), nullptr);
}

}  // namespace plat::dbus
