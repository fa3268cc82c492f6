// Which way the global hot keys take in this session, and what the user is told.
//
// An X11 session: passive grabs on the X server. A Wayland session: the desktop's global
// shortcuts through the portal where it offers them; where it does not, an X grab through
// XWayland is all there is (it sees keys only while an X window has the keyboard), and one line
// on standard error and a note in the Preferences window say how to bind the desktop's own keys
// to the command-line switch instead.
#pragma once

#include <gdk/gdk.h>
#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>

namespace plat::gtk {

class X11HotKeys;
class PortalHotKeys;

// The line on standard error where a Wayland desktop offers no global shortcuts.
inline constexpr const char* kNoGlobalShortcutsLine =
    "tallowmere: this desktop offers no global shortcuts to programs; bind keys in its own "
    "settings to the command \"tallowmerectl switch N\" (N the port)";

// Whether the session is a Wayland one, whatever display GDK has opened (XWayland is X11).
bool WaylandSession(GdkDisplay* display);

class HotKeyPath {
 public:
  // `note` gets the text for the Preferences window's hot-key group ("" for none).
  HotKeyPath(GdkDisplay* display, std::function<void(const std::string&)> note);
  ~HotKeyPath();
  HotKeyPath(const HotKeyPath&) = delete;
  HotKeyPath& operator=(const HotKeyPath&) = delete;

 private:
  void PortalAnswered(guint32 version);

  GdkDisplay* display_;
  std::function<void(const std::string&)> note_;
  GCancellable* cancellable_;
  GDBusConnection* portalBus_ = nullptr;
  std::unique_ptr<X11HotKeys> grabs_;
  std::unique_ptr<PortalHotKeys> portal_;
};

}  // namespace plat::gtk
