// The Dock tile in whichever tray the desktop has: a StatusNotifierItem while a
// StatusNotifierWatcher is on the session bus, the XEmbed tray icon otherwise (X11 only: under
// Wayland there is no XEmbed, which is said once). The watcher is followed as it comes and goes (a
// panel restarted).
#pragma once

#include <gdk/gdk.h>
#include <gio/gio.h>

#include <memory>

namespace plat::gtk {

class TrayIcon;
class StatusNotifierItem;

class Tray {
 public:
  explicit Tray(GdkDisplay* display);
  ~Tray();
  Tray(const Tray&) = delete;
  Tray& operator=(const Tray&) = delete;

  // The XEmbed icon while it is the one shown (screenshots, tests), else null.
  TrayIcon* XEmbedIcon() const { return xembed_.get(); }

 private:
  static void WatcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer self);
  static void WatcherVanished(GDBusConnection*, const gchar*, gpointer self);
  void UseXEmbed();

  GdkDisplay* display_;
  GDBusConnection* bus_ = nullptr;
  guint watch_ = 0;
  std::unique_ptr<StatusNotifierItem> item_;
  std::unique_ptr<TrayIcon> xembed_;
  bool toldNoTray_ = false;
};

}  // namespace plat::gtk
