// The Dock tile as an icon in the desktop's notification area (an XEmbed tray icon): it shows
// the Dock tile's image and changes with it; a click on it is the application shown again (the
// program opens its Preferences window); the menu button opens the Dock menu, brought up to date
// by the program as it opens, followed by the menu bar's menus (Preferences, Quit).
#pragma once

#include <gtk/gtk.h>

#include "platform/CGImage.h"

namespace plat::gtk {

class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Opens the menu as the menu button would (screenshots, tests).
  void OpenMenu(guint button, guint32 time);
  GtkStatusIcon* StatusIcon() const { return icon_; }
  GtkWidget* Menu() const { return menu_; }

 private:
  void ShowImage(CGImageRef image);
  static void Activated(GtkStatusIcon*, gpointer self);
  static void MenuRequested(GtkStatusIcon*, guint button, guint32 time, gpointer self);

  GtkStatusIcon* icon_;
  GtkWidget* menu_ = nullptr;
  int observer_ = 0;
};

}  // namespace plat::gtk
