// The Dock menu and the menu bar.
#include <cctype>
#include <string>

#include "platform/FrontModel.h"
#include "platform/Menus.h"
#include "platform/console/Arguments.h"
#include "platform/console/ModelText.h"
#include "platform/console/StandardCommands.h"

namespace plat::console {
namespace {

constexpr long kMostMenuItems = 0xFFFF;

void PrintLines(Console& console, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    console.Print(line);
}

// Opens the Dock menu, which the program brings up to date as it opens, and lists it or chooses
// item N of the listing.
void Dock(Console& console, std::string_view arguments) {
  std::optional<long> number;
  if (!arguments.empty()) {
    number = ParseNumber(arguments, 1, kMostMenuItems);
    if (!number) {
      console.Print("dock: " + Quoted(arguments) + " is not an item number");
      return;
    }
  }
  const std::optional<MenuView> menu = OpenDockMenu();
  if (!menu) {
    console.Print("dock: the application has no Dock menu");
    return;
  }
  if (!number) {
    console.Print("Dock menu:");
    PrintLines(console, MenuLines(*menu, true));
    return;
  }
  const std::vector<MenuItemIndex> items = NumberedItems(*menu);
  if (static_cast<std::size_t>(*number) > items.size()) {
    console.Print("dock: the Dock menu has no item " + std::to_string(*number) + " (it shows " +
                  std::to_string(items.size()) + ")");
    return;
  }
  if (ChooseMenuItem(menu->ref, items[static_cast<std::size_t>(*number - 1)]) ==
      eventNotHandledErr) {
    console.Print("dock: item " + std::to_string(*number) + " is disabled");
  }
}

// For comparing what a person types with an item's text: lower case, and "..." for the ellipsis
// character, which a keyboard does not have.
std::string Comparable(std::string_view text) {
  std::string result;
  const std::string_view ellipsis = "\u2026";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, ellipsis.size()) == ellipsis) {
      result += "...";
      i += ellipsis.size() - 1;
    } else {
      result += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }
  }
  return result;
}

bool SameItemText(std::string_view item, std::string_view typed) {
  const std::string wanted = Comparable(typed);
  std::string text = Comparable(item);
  if (text == wanted)
    return true;
  // "Preferences" for "Preferences...".
  return text.ends_with("...") && text.substr(0, text.size() - 3) == wanted;
}

void PrintMenuBar(Console& console) {
  const std::vector<MenuView> menus = MenuBarMenus();
  if (menus.empty()) {
    console.Print("menu: the application has no menu bar");
    return;
  }
  for (const MenuView& menu : menus) {
    console.Print(menu.title + (menu.enabled ? "" : " (disabled)"));
    PrintLines(console, MenuLines(menu, false));
  }
}

void Menu(Console& console, std::string_view text) {
  if (text.empty()) {
    PrintMenuBar(console);
    return;
  }
  for (const MenuView& menu : MenuBarMenus()) {
    for (const MenuItemView& item : menu.items) {
      if (item.hidden || item.separator || !SameItemText(item.text, text))
        continue;
      // A person opens the menu first; the program may bring it up to date then.
      OpenMenu(menu.ref);
      if (ChooseMenuItem(menu.ref, item.index) == eventNotHandledErr)
        console.Print("menu: " + Quoted(item.text) + " is disabled");
      return;
    }
  }
  console.Print("menu: the menu bar has no item " + Quoted(text));
}

}  // namespace

std::vector<Command> MenuCommands() {
  return {
      {"dock", "dock [N]", "open the Dock menu and list it; dock N chooses item N of the listing",
       Dock},
      {"menu", "menu [TEXT]", "list the menu bar; menu TEXT chooses the item with that text", Menu},
  };
}

}  // namespace plat::console
