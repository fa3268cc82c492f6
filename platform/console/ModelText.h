// What the console prints of the model: menus as a person sees them open, windows with their
// controls.
#pragma once

#include <string>
#include <vector>

#include "platform/FrontModel.h"

namespace plat::console {

// The items of an open menu that a person can see (not hidden), numbered from 1 without the
// separators: entry k - 1 is the item index of number k.
std::vector<MenuItemIndex> NumberedItems(const MenuView& menu);
// One line per shown item: its number, the check mark when it has one, its text, and
// "(disabled)" when it cannot be chosen; separators as a rule. With `numbered` false the
// numbers are left out (the menu bar, whose items are chosen by their text).
std::vector<std::string> MenuLines(const MenuView& menu, bool numbered);

// The window's title line, then one line per shown control (see ControlLine).
std::vector<std::string> WindowLines(const WindowView& window);
// One control: its control ID (SIGNATURE:ID, "-" when it has none), kind, title or text, its
// value or chosen popup item with the popup's items, and whether it is enabled and active (as a
// person sees it: a control inside a disabled group box is disabled too).
std::string ControlLine(const WindowView& window, const ControlView& control);

}  // namespace plat::console
