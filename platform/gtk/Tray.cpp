#include "platform/gtk/Tray.h"

#include <iostream>

#include "platform/gtk/StatusNotifierItem.h"
#include "platform/gtk/TrayIcon.h"

// Last: Xlib's macros (KeyPress, None) clash with names in the headers above.
#include <gdk/gdkx.h>

namespace plat::gtk {

Tray::Tray(GdkDisplay* display) : display_(display) {
  bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus_ == nullptr) {
    UseXEmbed();
    return;
  }
  watch_ = g_bus_watch_name_on_connection(bus_, "org.kde.StatusNotifierWatcher",
                                          G_BUS_NAME_WATCHER_FLAGS_NONE, &Tray::WatcherAppeared,
                                          &Tray::WatcherVanished, this, nullptr);
}

Tray::~Tray() {
  if (watch_ != 0)
    g_bus_unwatch_name(watch_);
  item_.reset();
  xembed_.reset();
  if (bus_ != nullptr)
    g_object_unref(bus_);
}

void Tray::UseXEmbed() {
  item_.reset();
  if (display_ != nullptr && GDK_IS_X11_DISPLAY(display_)) {
    if (xembed_ == nullptr)
      xembed_ = std::make_unique<TrayIcon>();
    return;
  }
  if (!toldNoTray_) {
    toldNoTray_ = true;
    std::cerr << "tallowmere: this desktop shows no tray icons (no StatusNotifierItem host); "
                 "start the program again to open its Preferences window\n";
  }
}

void Tray::WatcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer self) {
  auto* tray = static_cast<Tray*>(self);
  tray->xembed_.reset();
  if (tray->item_ == nullptr)
    tray->item_ = std::make_unique<StatusNotifierItem>(tray->bus_);
  else
    tray->item_->Register();
}

void Tray::WatcherVanished(GDBusConnection*, const gchar*, gpointer self) {
  static_cast<Tray*>(self)->UseXEmbed();
}

}  // namespace plat::gtk
