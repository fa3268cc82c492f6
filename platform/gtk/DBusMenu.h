// The Dock menu as a com.canonical.dbusmenu object, for a StatusNotifierItem host to show: the
// Dock menu's items (Preferences, the other ports, auto-scan), then after a separator the items
// of the menu bar's menus it does not have already (Quit). Before the host shows it, and whenever
// the Dock tile changes, the program is let bring the Dock menu up to date (its populate event) and
// the host is told of a new layout. Choosing an item is the platform's menu choice.
#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/FrontModel.h"

namespace plat::gtk {

class DBusMenu {
 public:
  DBusMenu(GDBusConnection* bus, const char* path);
  ~DBusMenu();
  DBusMenu(const DBusMenu&) = delete;
  DBusMenu& operator=(const DBusMenu&) = delete;

  // Brings the menu up to date (the populate event first) and tells the host if it changed.
  void Refresh();

 private:
  struct Item {
    gint32 id;
    MenuRef menu;
    MenuItemIndex index;
    bool separator;
    std::string label;
    bool enabled;
    bool checked;
    bool operator==(const Item&) const = default;
  };

  // Reads the model's menus without sending anything to the program.
  std::vector<Item> Describe();
  gint32 IdFor(MenuRef menu, MenuItemIndex index, bool separator);
  GVariant* Properties(const Item& item) const;
  GVariant* Layout() const;
  GVariant* GroupProperties(GVariant* ids) const;
  void Chosen(gint32 id);
  static void MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
  static GVariant* PropertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar* property, GError**, gpointer self);

  GDBusConnection* bus_;
  std::string path_;
  guint registration_ = 0;
  guint32 revision_ = 1;
  std::vector<Item> items_;
  std::map<std::pair<UInt32, int>, gint32> ids_;  // (menu, index or -1 - index of a separator)
  gint32 nextId_ = 1;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::gtk
