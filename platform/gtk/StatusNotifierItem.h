// The Dock tile as a StatusNotifierItem (org.kde.StatusNotifierItem over D-Bus), for desktops
// whose panel hosts such items (KDE Plasma, GNOME's AppIndicator extension, Xfce's panel,
// swaybar, waybar): the Dock tile's image sent as pixels at several sizes (no files), changed
// with the tile; activation (a click) is the application shown again (Preferences opens); its
// menu is the Dock menu (DBusMenu). Works the same under X11 and Wayland: it is D-Bus only.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/CGImage.h"
#include "platform/DockTile.h"

namespace plat::gtk {

class DBusMenu;

// The pixels of `pixbuf` as a StatusNotifierItem carries them: ARGB32 in network byte order (alpha
// first), row after row.
std::vector<guint8> ArgbPixels(GdkPixbuf* pixbuf);

// An image as the item's pixmaps: a(iiay), each width, height and ARGB32 pixels in network byte
// order, at the sizes hosts commonly draw. A floating reference.
GVariant* ItemPixmaps(CGImageRef image);

class StatusNotifierItem {
 public:
  explicit StatusNotifierItem(GDBusConnection* bus);
  ~StatusNotifierItem();
  StatusNotifierItem(const StatusNotifierItem&) = delete;
  StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

  // Tells the watcher of the item (again, when a new watcher has come).
  void Register();

 private:
  void ShowImage(CGImageRef image);
  static void MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
  static GVariant* PropertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar* property, GError**, gpointer self);
  static void NameAcquired(GDBusConnection*, const gchar*, gpointer self);

  GDBusConnection* bus_;
  std::string name_;
  guint registration_ = 0;
  guint ownership_ = 0;
  bool named_ = false;
  GVariant* pixmaps_ = nullptr;
  std::unique_ptr<DBusMenu> menu_;
  int observer_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::gtk
