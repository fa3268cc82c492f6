// Menus of the model as GTK menus, as a person sees them when they open: hidden items left out,
// disabled ones insensitive, marked ones checked. Choosing an item is the platform's menu choice
// (its command goes to the program).
#pragma once

#include <gtk/gtk.h>

#include "platform/FrontModel.h"

namespace plat::gtk {

// Appends the items of `menu` to `shell`.
void AppendMenuItems(GtkMenuShell* shell, const MenuView& menu);

// A separator, then each menu of the menu bar as a submenu under its title (opened, so brought
// up to date, as it is added).
void AppendMenuBar(GtkMenuShell* shell);

}  // namespace plat::gtk
