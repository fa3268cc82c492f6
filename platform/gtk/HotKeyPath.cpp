#include "platform/gtk/HotKeyPath.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/CFBundle.h"
#include "platform/gtk/PortalHotKeys.h"
#include "platform/gtk/X11HotKeys.h"

// Last: Xlib's macros (KeyPress, None) clash with names in the headers above.
#include <gdk/gdkx.h>

namespace plat::gtk {
namespace {

std::string Localized(const char* text) {
  const CFStringRef key = CFSTR(text);
  const CFStringRef localized =
      CFBundleCopyLocalizedString(CFBundleGetMainBundle(), key, key, nullptr);
  std::string result = ToStdString(localized);
  if (localized != nullptr)
    CFRelease(localized);
  return result;
}

// A connection of the portal's own to the session bus. Newer portals tie a connection to the app
// ID named in its first call; GTK's shared connection may have asked the portal for settings
// already (GDK's Wayland backend does), so the hot keys' calls go on a connection of their own.
GDBusConnection* PrivateSessionBus() {
  gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (address == nullptr)
    return nullptr;
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
  g_free(address);
  if (bus != nullptr)
    g_dbus_connection_set_exit_on_close(bus, FALSE);
  return bus;
}

bool IsX11(GdkDisplay* display) {
  return display != nullptr && GDK_IS_X11_DISPLAY(display);
}

}  // namespace

bool WaylandSession(GdkDisplay* display) {
  if (!IsX11(display))
    return true;
  const char* type = std::getenv("XDG_SESSION_TYPE");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (type != nullptr && std::string(type) == "wayland") ||
         (wayland != nullptr && *wayland != '\0');
}

HotKeyPath::HotKeyPath(GdkDisplay* display, std::function<void(const std::string&)> note)
    : display_(display), note_(std::move(note)), cancellable_(g_cancellable_new()) {
  if (!WaylandSession(display)) {
    grabs_ = std::make_unique<X11HotKeys>(display);
    return;
  }
  portalBus_ = PrivateSessionBus();
  if (portalBus_ == nullptr) {
    PortalAnswered(0);
    return;
  }
  AskGlobalShortcutsVersion(portalBus_, cancellable_,
                            [this](guint32 version) { PortalAnswered(version); });
}

HotKeyPath::~HotKeyPath() {
  portal_.reset();
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
  if (portalBus_ != nullptr) {
    // The session's Close leaves before the connection goes.
    g_dbus_connection_flush_sync(portalBus_, nullptr, nullptr);
    g_object_unref(portalBus_);
  }
}

void HotKeyPath::PortalAnswered(guint32 version) {
  if (version > 0) {
    portal_ = std::make_unique<PortalHotKeys>(
        portalBus_, version, [this](const std::vector<BoundShortcut>& bound) {
          note_(Localized("Keys the desktop holds:") + " " + DescribeShortcuts(bound));
        });
    return;
  }
  std::cerr << kNoGlobalShortcutsLine << "\n";
  note_(
      Localized("This desktop offers no global shortcuts to programs: bind keys in its own "
                "settings to \"tallowmerectl switch N\" for PC N."));
  // Through XWayland, the keys still work while one of the program's windows has the keyboard.
  if (IsX11(display_))
    grabs_ = std::make_unique<X11HotKeys>(display_);
}

}  // namespace plat::gtk
