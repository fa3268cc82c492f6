#include "platform/gtk/MenuWidgets.h"

#include <optional>

namespace plat::gtk {
namespace {

// The menu and the item a menu widget chooses, packed into its signal's data.
gpointer ItemData(MenuRef menu, MenuItemIndex item) {
  return reinterpret_cast<gpointer>((static_cast<guintptr>(menu.value) << 16) | item);
}

void Chosen(GtkMenuItem*, gpointer data) {
  const auto packed = reinterpret_cast<guintptr>(data);
  ChooseMenuItem(MenuRef(static_cast<UInt32>(packed >> 16)),
                 static_cast<MenuItemIndex>(packed & 0xFFFF));
}

GtkWidget* ItemWidget(const MenuView& menu, const MenuItemView& item) {
  if (item.separator)
    return gtk_separator_menu_item_new();
  GtkWidget* widget = nullptr;
  if (item.mark != 0) {
    widget = gtk_check_menu_item_new_with_label(item.text.c_str());
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
  } else {
    widget = gtk_menu_item_new_with_label(item.text.c_str());
  }
  gtk_widget_set_sensitive(widget, item.enabled);
  if (item.submenu) {
    if (const std::optional<MenuView> submenu = DescribeMenu(item.submenu)) {
      GtkWidget* shell = gtk_menu_new();
      AppendMenuItems(GTK_MENU_SHELL(shell), *submenu);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), shell);
    }
  } else {
    g_signal_connect(widget, "activate", G_CALLBACK(&Chosen), ItemData(menu.ref, item.index));
  }
  return widget;
}

}  // namespace

void AppendMenuItems(GtkMenuShell* shell, const MenuView& menu) {
  for (const MenuItemView& item : menu.items) {
    if (item.hidden)
      continue;
    GtkWidget* widget = ItemWidget(menu, item);
    gtk_menu_shell_append(shell, widget);
    gtk_widget_show(widget);
  }
}

void AppendMenuBar(GtkMenuShell* shell) {
  for (const MenuView& bar : MenuBarMenus()) {
    OpenMenu(bar.ref);
    const std::optional<MenuView> menu = DescribeMenu(bar.ref);
    if (!menu)
      continue;
    GtkWidget* separator = gtk_separator_menu_item_new();
    gtk_menu_shell_append(shell, separator);
    gtk_widget_show(separator);
    GtkWidget* title = gtk_menu_item_new_with_label(menu->title.c_str());
    gtk_widget_set_sensitive(title, menu->enabled);
    GtkWidget* submenu = gtk_menu_new();
    AppendMenuItems(GTK_MENU_SHELL(submenu), *menu);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), submenu);
    gtk_menu_shell_append(shell, title);
    gtk_widget_show(title);
  }
}

}  // namespace plat::gtk
