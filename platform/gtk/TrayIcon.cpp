#include "platform/gtk/TrayIcon.h"

#include <optional>

#include "platform/DockTile.h"
#include "platform/FrontModel.h"
#include "platform/Processes.h"
#include "platform/gtk/DockTileImage.h"
#include "platform/gtk/GLibLoop.h"
#include "platform/gtk/MenuWidgets.h"

namespace plat::gtk {

TrayIcon::TrayIcon() : icon_(gtk_status_icon_new()) {
  gtk_status_icon_set_name(icon_, "tallowmere");
  gtk_status_icon_set_title(icon_, "Tallowmere");
  gtk_status_icon_set_tooltip_text(icon_, "Tallowmere");
  g_signal_connect(icon_, "activate", G_CALLBACK(&TrayIcon::Activated), this);
  g_signal_connect(icon_, "popup-menu", G_CALLBACK(&TrayIcon::MenuRequested), this);
  observer_ = AddDockTileObserver([this](CGImageRef image) { ShowImage(image); });
  ShowImage(CurrentDockTileImage());
  gtk_status_icon_set_visible(icon_, TRUE);
}

TrayIcon::~TrayIcon() {
  RemoveDockTileObserver(observer_);
  g_signal_handlers_disconnect_by_data(icon_, this);
  if (menu_ != nullptr)
    gtk_widget_destroy(menu_);
  gtk_status_icon_set_visible(icon_, FALSE);
  g_object_unref(icon_);
}

void TrayIcon::ShowImage(CGImageRef image) {
  GdkPixbuf* pixbuf = DockTilePixbuf(image);
  if (pixbuf == nullptr)
    return;
  gtk_status_icon_set_from_pixbuf(icon_, pixbuf);
  g_object_unref(pixbuf);
  if (GLibLoop* loop = GLibLoop::Current())
    loop->Schedule();
}

void TrayIcon::OpenMenu(guint button, guint32 time) {
  // The menu shown last is done with: its item (if one was chosen) has run.
  if (menu_ != nullptr)
    gtk_widget_destroy(menu_);
  menu_ = gtk_menu_new();
  // Opening the Dock menu lets the program bring it up to date first.
  if (const std::optional<MenuView> dock = OpenDockMenu())
    AppendMenuItems(GTK_MENU_SHELL(menu_), *dock);
  AppendMenuBar(GTK_MENU_SHELL(menu_));
  gtk_menu_popup(GTK_MENU(menu_), nullptr, nullptr, gtk_status_icon_position_menu, icon_, button,
                 time);
  if (GLibLoop* loop = GLibLoop::Current())
    loop->Schedule();
}

void TrayIcon::Activated(GtkStatusIcon*, gpointer) {
  ShowApplication();
}

void TrayIcon::MenuRequested(GtkStatusIcon*, guint button, guint32 time, gpointer self) {
  static_cast<TrayIcon*>(self)->OpenMenu(button, time);
}

}  // namespace plat::gtk
