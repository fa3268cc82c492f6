#include "platform/gtk/PortalHotKeys.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "platform/CFBundle.h"
#include "platform/RunLoop.h"
#include "platform/gtk/KeyTable.h"
#include "platform/gtk/PortalRequest.h"

namespace plat::gtk {
namespace {

constexpr const char* kShortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kAppId = "org.tallowmere.Tallowmere";
// Every session has the same name. KDE keeps a session's shortcuts under its name, and there the
// keys a person sets in the desktop's settings (or the keys it held before) win over the
// program's preferred ones; a session under another name could not have the keys the first one
// still holds.
constexpr const char* kSessionToken = "tallowmere";

// "Switch to PC 2" in the user's language.
std::string ShortcutDescription(UInt32 port) {
  const CFStringRef key = CFSTR("Switch to PC %d");
  const CFStringRef text = CFBundleCopyLocalizedString(CFBundleGetMainBundle(), key, key, nullptr);
  std::string description = ToStdString(text);
  if (text != nullptr)
    CFRelease(text);
  const std::size_t at = description.find("%d");
  if (at != std::string::npos)
    description.replace(at, 2, std::to_string(port));
  return description;
}

std::string ShortcutId(UInt32 port) {
  return "pc" + std::to_string(port);
}

// The port of shortcut "pcN"; 0 for any other id.
UInt32 PortOfShortcut(const char* id) {
  const std::string text = id;
  if (text.size() != 3 || !text.starts_with("pc") || text[2] < '1' || text[2] > '9')
    return 0;
  return static_cast<UInt32>(text[2] - '0');
}

// The results' "shortcuts" (a(sa{sv})), or null.
GVariant* ShortcutsOf(GVariant* results) {
  return g_variant_lookup_value(results, "shortcuts", G_VARIANT_TYPE("a(sa{sv})"));
}

struct VersionAsk {
  GDBusConnection* bus;
  GCancellable* cancellable;
  std::function<void(guint32)> answer;
};

void VersionAnswered(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<VersionAsk> ask(static_cast<VersionAsk*>(data));
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  guint32 version = 0;
  if (reply == nullptr) {
    const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
    g_error_free(error);
    if (cancelled)
      return;
  } else {
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32))
      version = g_variant_get_uint32(value);
    g_variant_unref(value);
    g_variant_unref(reply);
  }
  ask->answer(version);
}

void Registered(GObject* source, GAsyncResult* result, gpointer data) {
  auto* ask = static_cast<VersionAsk*>(data);
  GError* error = nullptr;
  // Portals before 1.19.4 have no registry; they know an unsandboxed program by its process.
  if (GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error))
    g_variant_unref(reply);
  if (error != nullptr && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
    g_error_free(error);
    delete ask;
    return;
  }
  if (error != nullptr)
    g_error_free(error);
  g_dbus_connection_call(ask->bus, kPortalService, kPortalPath, "org.freedesktop.DBus.Properties",
                         "Get", g_variant_new("(ss)", kShortcutsInterface, "version"),
                         G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, -1, ask->cancellable,
                         &VersionAnswered, ask);
}

}  // namespace

std::string DescribeShortcuts(const std::vector<BoundShortcut>& shortcuts) {
  std::vector<BoundShortcut> sorted = shortcuts;
  std::sort(sorted.begin(), sorted.end(),
            [](const BoundShortcut& a, const BoundShortcut& b) { return a.port < b.port; });
  std::string text;
  for (const BoundShortcut& shortcut : sorted) {
    if (!text.empty())
      text += ", ";
    text += "PC " + std::to_string(shortcut.port) + " " +
            (shortcut.trigger.empty() ? std::string("none") : shortcut.trigger);
  }
  return text;
}

std::string PortalTrigger(UInt32 macKeyCode, UInt32 macModifiers) {
  const KeyTableEntry* entry = FindKeyTableEntry(macKeyCode);
  const char* name = entry == nullptr ? nullptr : gdk_keyval_name(entry->keysym);
  if (name == nullptr)
    return {};
  std::string trigger;
  if ((macModifiers & controlKey) != 0)
    trigger += "CTRL+";
  if ((macModifiers & optionKey) != 0)
    trigger += "ALT+";
  if ((macModifiers & shiftKey) != 0)
    trigger += "SHIFT+";
  if ((macModifiers & cmdKey) != 0)
    trigger += "LOGO+";
  return trigger + name;
}

void AskGlobalShortcutsVersion(GDBusConnection* bus, GCancellable* cancellable,
                               std::function<void(guint32)> answer) {
  auto* ask = new VersionAsk{bus, cancellable, std::move(answer)};
  // Portals from 1.21 refuse global shortcuts to a program they cannot tie to a desktop entry:
  // the program names its app ID first, before any other call to the portal.
  g_dbus_connection_call(bus, kPortalService, kPortalPath, "org.freedesktop.host.portal.Registry",
                         "Register", g_variant_new("(sa{sv})", kAppId, nullptr), nullptr,
                         G_DBUS_CALL_FLAGS_NONE, -1, cancellable, &Registered, ask);
}

PortalHotKeys::PortalHotKeys(GDBusConnection* bus, guint32 version, BoundObserver bound)
    : bus_(G_DBUS_CONNECTION(g_object_ref(bus))),
      version_(version),
      bound_(std::move(bound)),
      cancellable_(g_cancellable_new()) {
  subscription_ = g_dbus_connection_signal_subscribe(bus_, nullptr, kShortcutsInterface, nullptr,
                                                     kPortalPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                     &PortalHotKeys::Signalled, this, nullptr);
  observer_ = AddHotKeyObserver([this] { RegistrationsChanged(); });
  Bind();
}

PortalHotKeys::~PortalHotKeys() {
  *alive_ = false;
  RemoveHotKeyObserver(observer_);
  request_.reset();
  g_dbus_connection_signal_unsubscribe(bus_, subscription_);
  CloseSession();
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
  g_object_unref(bus_);
}

std::vector<PortalHotKeys::Wanted> PortalHotKeys::WantedShortcuts() {
  std::vector<Wanted> wanted;
  for (const HotKeyRegistration& registration : RegisteredHotKeys()) {
    const std::string trigger = PortalTrigger(registration.keyCode, registration.modifiers);
    if (registration.id.id >= 1 && registration.id.id <= 9 && !trigger.empty())
      wanted.push_back({registration.id.id, trigger});
  }
  std::sort(wanted.begin(), wanted.end(),
            [](const Wanted& a, const Wanted& b) { return a.port < b.port; });
  return wanted;
}

GVariant* PortalHotKeys::ShortcutList() const {
  GVariantBuilder list;
  g_variant_builder_init(&list, G_VARIANT_TYPE("a(sa{sv})"));
  for (const Wanted& shortcut : wanted_) {
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&properties, "{sv}", "description",
                          g_variant_new_string(ShortcutDescription(shortcut.port).c_str()));
    g_variant_builder_add(&properties, "{sv}", "preferred_trigger",
                          g_variant_new_string(shortcut.trigger.c_str()));
    g_variant_builder_add(&list, "(s@a{sv})", ShortcutId(shortcut.port).c_str(),
                          g_variant_builder_end(&properties));
  }
  return g_variant_builder_end(&list);
}

void PortalHotKeys::RegistrationsChanged() {
  // The program registers its keys one after another: bind once, when it is done.
  if (rebindWanted_)
    return;
  rebindWanted_ = true;
  RunLoop::Main().Post([this, alive = alive_] {
    if (!*alive)
      return;
    rebindWanted_ = false;
    if (request_ == nullptr && WantedShortcuts() != wanted_)
      Bind();
  });
}

void PortalHotKeys::Bind() {
  wanted_ = WantedShortcuts();
  if (wanted_.empty())
    return;
  CloseSession();
  request_ = std::make_unique<PortalRequest>(
      bus_, [this](int response, GVariant* results) { SessionCreated(response, results); });
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&options, "{sv}", "handle_token",
                        g_variant_new_string(request_->Token().c_str()));
  g_variant_builder_add(&options, "{sv}", "session_handle_token",
                        g_variant_new_string(kSessionToken));
  g_variant_builder_add(&options, "{sv}", "shortcuts", ShortcutList());
  request_->Call(kShortcutsInterface, "CreateSession",
                 g_variant_new("(@a{sv})", g_variant_builder_end(&options)));
}

void PortalHotKeys::SessionCreated(int response, GVariant* results) {
  const char* handle = nullptr;
  // The handle is a string; some portals give it as an object path.
  if (response == 0 && !g_variant_lookup(results, "session_handle", "&s", &handle))
    g_variant_lookup(results, "session_handle", "&o", &handle);
  if (response != 0 || handle == nullptr) {
    Failed("CreateSession", response);
    return;
  }
  session_ = handle;
  GVariant* shortcuts = ShortcutsOf(results);
  if (shortcuts != nullptr && g_variant_n_children(shortcuts) > 0) {
    TakeShortcuts(shortcuts);
    g_variant_unref(shortcuts);
    ShortcutsBound(0, nullptr);
    return;
  }
  if (shortcuts != nullptr)
    g_variant_unref(shortcuts);
  auto next = std::make_unique<PortalRequest>(
      bus_, [this](int answer, GVariant* bound) { ShortcutsBound(answer, bound); });
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&options, "{sv}", "handle_token",
                        g_variant_new_string(next->Token().c_str()));
  next->Call(kShortcutsInterface, "BindShortcuts",
             g_variant_new("(o@a(sa{sv})s@a{sv})", session_.c_str(), ShortcutList(), "",
                           g_variant_builder_end(&options)));
  // Replacing the request ends the one whose answer is running now: after it has returned.
  RunLoop::Main().Post([this, alive = alive_, request = next.release()] {
    std::unique_ptr<PortalRequest> owned(request);
    if (*alive)
      request_ = std::move(owned);
  });
}

void PortalHotKeys::ShortcutsBound(int response, GVariant* results) {
  if (results != nullptr) {
    if (response != 0) {
      Failed("BindShortcuts", response);
      return;
    }
    if (GVariant* shortcuts = ShortcutsOf(results)) {
      TakeShortcuts(shortcuts);
      g_variant_unref(shortcuts);
    }
  }
  const bool rebound = boundOnce_;
  boundOnce_ = true;
  // Where the portal lets a program ask, the desktop shows its shortcut settings after new keys
  // were stored: it keeps the keys it held for the same shortcuts before.
  if (rebound && version_ >= 2) {
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_dbus_connection_call(
        bus_, kPortalService, kPortalPath, kShortcutsInterface, "ConfigureShortcuts",
        g_variant_new("(os@a{sv})", session_.c_str(), "", g_variant_builder_end(&options)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, -1, cancellable_, nullptr, nullptr);
  }
  RunLoop::Main().Post([this, alive = alive_] {
    if (!*alive)
      return;
    request_.reset();
    // Keys stored while this binding was under way.
    if (WantedShortcuts() != wanted_)
      Bind();
  });
}

void PortalHotKeys::TakeShortcuts(GVariant* shortcuts) {
  std::vector<BoundShortcut> bound;
  GVariantIter iter;
  g_variant_iter_init(&iter, shortcuts);
  const char* id = nullptr;
  GVariant* properties = nullptr;
  while (g_variant_iter_next(&iter, "(&s@a{sv})", &id, &properties)) {
    const char* trigger = nullptr;
    if (!g_variant_lookup(properties, "trigger_description", "&s", &trigger))
      trigger = "";
    if (const UInt32 port = PortOfShortcut(id); port != 0)
      bound.push_back({port, trigger});
    g_variant_unref(properties);
  }
  std::cerr << "tallowmere: the desktop holds the hot keys: " << DescribeShortcuts(bound) << "\n";
  bound_(bound);
}

void PortalHotKeys::CloseSession() {
  if (session_.empty())
    return;
  g_dbus_connection_call(bus_, kPortalService, session_.c_str(), "org.freedesktop.portal.Session",
                         "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                         nullptr);
  session_.clear();
}

void PortalHotKeys::Failed(const char* step, int response) {
  std::cerr << "tallowmere: the desktop did not bind the hot keys (" << step
            << (response == 1 ? " cancelled" : " failed") << ")\n";
  RunLoop::Main().Post([this, alive = alive_] {
    if (*alive)
      request_.reset();
  });
}

void PortalHotKeys::Signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar* signal, GVariant* parameters, gpointer self) {
  auto* hotKeys = static_cast<PortalHotKeys*>(self);
  const char* session = nullptr;
  if (std::string(signal) == "Activated" &&
      g_variant_is_of_type(parameters, G_VARIANT_TYPE("(osta{sv})"))) {
    const char* id = nullptr;
    g_variant_get(parameters, "(&o&st@a{sv})", &session, &id, nullptr, nullptr);
    if (session != hotKeys->session_)
      return;
    const UInt32 port = PortOfShortcut(id);
    for (const HotKeyRegistration& registration : RegisteredHotKeys()) {
      if (port != 0 && registration.id.id == port) {
        PressHotKey(registration.keyCode, registration.modifiers);
        return;
      }
    }
  } else if (std::string(signal) == "ShortcutsChanged" &&
             g_variant_is_of_type(parameters, G_VARIANT_TYPE("(oa(sa{sv}))"))) {
    GVariant* shortcuts = nullptr;
    g_variant_get(parameters, "(&o@a(sa{sv}))", &session, &shortcuts);
    if (session == hotKeys->session_)
      hotKeys->TakeShortcuts(shortcuts);
    g_variant_unref(shortcuts);
  }
}

}  // namespace plat::gtk
