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
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) {
    PortalAnswered(0);
    return;
  }
  AskGlobalShortcutsVersion(bus, cancellable_,
                            [this](guint32 version) { PortalAnswered(version); });
  g_object_unref(bus);
}

HotKeyPath::~HotKeyPath() {
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
}

void HotKeyPath::PortalAnswered(guint32 version) {
  if (version > 0) {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    portal_ = std::make_unique<PortalHotKeys>(
        bus, version, [this](const std::vector<BoundShortcut>& bound) {
          note_(Localized("Keys the desktop holds:") + " " + DescribeShortcuts(bound));
        });
    g_object_unref(bus);
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
