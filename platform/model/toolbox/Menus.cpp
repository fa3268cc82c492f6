// Menus, their items, the menu bar (the root menu) and the Dock tile menu.
#include <map>
#include <memory>
#include <set>

#include "platform/model/toolbox/ToolboxModel.h"

namespace plat::toolbox {
namespace {

std::map<UInt32, std::unique_ptr<Menu>> menus;
MenuRef rootMenu = nullptr;
MenuRef dockMenu = nullptr;

// A menu bar handle made from a nib: points at one of these, which holds its root menu.
struct MenuBarRecord {
  MenuRef root;
};
std::set<Handle> menuBars;

void Changed(MenuRef menu) {
  Notify(ModelChange::kMenu, nullptr, nullptr, menu);
}

// The menu's items and those of its submenus, depth first; submenus are followed once each.
bool FindCommand(MenuRef ref, MenuCommand command, UInt32& remaining, std::set<UInt32>& seen,
                 MenuRef* outMenu, MenuItemIndex* outIndex) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr || !seen.insert(ref.value).second)
    return false;
  for (std::size_t i = 0; i < menu->items.size(); ++i) {
    const MenuItem& item = menu->items[i];
    if (item.command == command && --remaining == 0) {
      if (outMenu != nullptr)
        *outMenu = ref;
      if (outIndex != nullptr)
        *outIndex = static_cast<MenuItemIndex>(i + 1);
      return true;
    }
    if (item.submenu && FindCommand(item.submenu, command, remaining, seen, outMenu, outIndex)) {
      return true;
    }
  }
  return false;
}

}  // namespace

Menu* FindMenu(MenuRef ref) {
  if (!ref)
    return nullptr;
  auto it = menus.find(ref.value);
  return it == menus.end() ? nullptr : it->second.get();
}

MenuItem* FindItem(MenuRef ref, MenuItemIndex item) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr || item == 0 || item > menu->items.size())
    return nullptr;
  return &menu->items[item - 1];
}

void ReleaseAllMenus() {
  SetRootMenu(nullptr);
  SetApplicationDockTileMenu(nullptr);
  for (Handle bar : std::set<Handle>(menuBars))
    DisposeMenuBar(bar);
  // Whatever is left was leaked by its owner: destroy it all the same.
  for (auto& [value, menu] : menus)
    DestroyTarget(menu->target);
  menus.clear();
}

}  // namespace plat::toolbox

using namespace plat::toolbox;

OSStatus CreateNewMenu(MenuID menuID, MenuAttributes, MenuRef* outMenu) {
  if (outMenu == nullptr)
    return paramErr;
  auto menu = std::make_unique<Menu>();
  menu->ref = MenuRef(NewHandleValue());
  menu->id = menuID;
  menu->target = NewTarget(TargetKind::kMenu, menu->ref.value);
  *outMenu = menu->ref;
  menus[menu->ref.value] = std::move(menu);
  return noErr;
}

OSStatus RetainMenu(MenuRef ref) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr)
    return paramErr;
  ++menu->retainCount;
  return noErr;
}

OSStatus ReleaseMenu(MenuRef ref) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr)
    return paramErr;
  if (--menu->retainCount > 0)
    return noErr;
  std::vector<MenuRef> submenus;
  for (const MenuItem& item : menu->items) {
    if (item.submenu)
      submenus.push_back(item.submenu);
  }
  DestroyTarget(menu->target);
  menus.erase(ref.value);
  for (MenuRef submenu : submenus)
    ReleaseMenu(submenu);
  return noErr;
}

void DisposeMenu(MenuRef menu) {
  ReleaseMenu(menu);
}

ItemCount GetMenuRetainCount(MenuRef ref) {
  const Menu* menu = FindMenu(ref);
  return menu == nullptr ? 0 : menu->retainCount;
}

Boolean IsValidMenu(MenuRef menu) {
  return FindMenu(menu) != nullptr;
}

MenuID GetMenuID(MenuRef ref) {
  const Menu* menu = FindMenu(ref);
  return menu == nullptr ? 0 : menu->id;
}

OSStatus SetMenuTitleWithCFString(MenuRef ref, CFStringRef title) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr || title == nullptr)
    return paramErr;
  menu->title = plat::ToStdString(title);
  Changed(ref);
  return noErr;
}

OSStatus CopyMenuTitleAsCFString(MenuRef ref, CFStringRef* outTitle) {
  const Menu* menu = FindMenu(ref);
  if (menu == nullptr || outTitle == nullptr)
    return paramErr;
  *outTitle = plat::MakeCFString(menu->title);
  return noErr;
}

UInt16 CountMenuItems(MenuRef ref) {
  const Menu* menu = FindMenu(ref);
  return menu == nullptr ? 0 : static_cast<UInt16>(menu->items.size());
}

OSStatus InsertMenuItemTextWithCFString(MenuRef ref, CFStringRef text, MenuItemIndex afterItem,
                                        MenuItemAttributes attributes, MenuCommand command) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr || text == nullptr)
    return paramErr;
  if (menu->items.size() >= 0xFFFF)
    return paramErr;
  const std::size_t position = std::min<std::size_t>(afterItem, menu->items.size());
  menu->items.insert(menu->items.begin() + static_cast<long>(position),
                     MenuItem{plat::ToStdString(text), command, 0, attributes, nullptr});
  Changed(ref);
  return noErr;
}

OSStatus AppendMenuItemTextWithCFString(MenuRef ref, CFStringRef text,
                                        MenuItemAttributes attributes, MenuCommand command,
                                        MenuItemIndex* outNewItem) {
  const UInt16 count = CountMenuItems(ref);
  const OSStatus status = InsertMenuItemTextWithCFString(ref, text, count, attributes, command);
  if (status == noErr && outNewItem != nullptr)
    *outNewItem = static_cast<MenuItemIndex>(count + 1);
  return status;
}

OSStatus DeleteMenuItems(MenuRef ref, MenuItemIndex firstItem, ItemCount numItems) {
  Menu* menu = FindMenu(ref);
  if (menu == nullptr)
    return paramErr;
  if (firstItem == 0 || firstItem > menu->items.size())
    return menuItemNotFoundErr;
  const std::size_t first = firstItem - 1u;
  const std::size_t last = std::min(menu->items.size(), first + numItems);
  std::vector<MenuRef> submenus;
  for (std::size_t i = first; i < last; ++i) {
    if (menu->items[i].submenu)
      submenus.push_back(menu->items[i].submenu);
  }
  menu->items.erase(menu->items.begin() + static_cast<long>(first),
                    menu->items.begin() + static_cast<long>(last));
  for (MenuRef submenu : submenus)
    ReleaseMenu(submenu);
  Changed(ref);
  return noErr;
}

void DeleteMenuItem(MenuRef menu, MenuItemIndex item) {
  DeleteMenuItems(menu, item, 1);
}

OSStatus SetMenuItemTextWithCFString(MenuRef ref, MenuItemIndex index, CFStringRef text) {
  MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  if (text == nullptr)
    return paramErr;
  item->text = plat::ToStdString(text);
  Changed(ref);
  return noErr;
}

OSStatus CopyMenuItemTextAsCFString(MenuRef ref, MenuItemIndex index, CFStringRef* outText) {
  const MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  if (outText == nullptr)
    return paramErr;
  *outText = plat::MakeCFString(item->text);
  return noErr;
}

void SetItemMark(MenuRef ref, MenuItemIndex index, CharParameter mark) {
  if (MenuItem* item = FindItem(ref, index); item != nullptr && item->mark != mark) {
    item->mark = mark;
    Changed(ref);
  }
}

void GetItemMark(MenuRef ref, MenuItemIndex index, CharParameter* outMark) {
  if (outMark == nullptr)
    return;
  const MenuItem* item = FindItem(ref, index);
  *outMark = item == nullptr ? noMark : item->mark;
}

OSStatus ChangeMenuItemAttributes(MenuRef ref, MenuItemIndex index,
                                  MenuItemAttributes setTheseAttributes,
                                  MenuItemAttributes clearTheseAttributes) {
  MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  const MenuItemAttributes before = item->attributes;
  item->attributes = (item->attributes | setTheseAttributes) & ~clearTheseAttributes;
  if (item->attributes != before)
    Changed(ref);
  return noErr;
}

OSStatus GetMenuItemAttributes(MenuRef ref, MenuItemIndex index,
                               MenuItemAttributes* outAttributes) {
  const MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  if (outAttributes == nullptr)
    return paramErr;
  *outAttributes = item->attributes;
  return noErr;
}

OSStatus SetMenuItemCommandID(MenuRef ref, MenuItemIndex index, MenuCommand command) {
  MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  item->command = command;
  Changed(ref);
  return noErr;
}

OSStatus GetMenuItemCommandID(MenuRef ref, MenuItemIndex index, MenuCommand* outCommand) {
  const MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  if (outCommand == nullptr)
    return paramErr;
  *outCommand = item->command;
  return noErr;
}

OSStatus SetMenuItemHierarchicalMenu(MenuRef ref, MenuItemIndex index, MenuRef submenu) {
  MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  if (submenu && (FindMenu(submenu) == nullptr || submenu == ref))
    return paramErr;
  if (submenu)
    RetainMenu(submenu);
  const MenuRef previous = item->submenu;
  item->submenu = submenu;
  if (previous)
    ReleaseMenu(previous);
  Changed(ref);
  return noErr;
}

OSStatus GetMenuItemHierarchicalMenu(MenuRef ref, MenuItemIndex index, MenuRef* outSubmenu) {
  const MenuItem* item = FindItem(ref, index);
  if (item == nullptr)
    return FindMenu(ref) == nullptr ? paramErr : menuItemNotFoundErr;
  if (outSubmenu == nullptr)
    return paramErr;
  *outSubmenu = item->submenu;
  return noErr;
}

OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand command, UInt32 instance,
                                     MenuRef* outMenu, MenuItemIndex* outIndex) {
  const MenuRef start = menu ? menu : rootMenu;
  if (FindMenu(start) == nullptr)
    return menu ? paramErr : menuItemNotFoundErr;
  UInt32 remaining = instance == 0 ? 1 : instance;
  std::set<UInt32> seen;
  return FindCommand(start, command, remaining, seen, outMenu, outIndex) ? noErr
                                                                         : menuItemNotFoundErr;
}

void EnableMenuItem(MenuRef ref, MenuItemIndex index) {
  if (index == 0) {
    if (Menu* menu = FindMenu(ref)) {
      menu->enabled = true;
      Changed(ref);
    }
    return;
  }
  ChangeMenuItemAttributes(ref, index, 0, kMenuItemAttrDisabled);
}

void DisableMenuItem(MenuRef ref, MenuItemIndex index) {
  if (index == 0) {
    if (Menu* menu = FindMenu(ref)) {
      menu->enabled = false;
      Changed(ref);
    }
    return;
  }
  ChangeMenuItemAttributes(ref, index, kMenuItemAttrDisabled, 0);
}

Boolean IsMenuItemEnabled(MenuRef ref, MenuItemIndex index) {
  const Menu* menu = FindMenu(ref);
  if (menu == nullptr || !menu->enabled)
    return false;
  if (index == 0)
    return true;
  const MenuItem* item = FindItem(ref, index);
  return item != nullptr && (item->attributes & kMenuItemAttrDisabled) == 0;
}

void EnableMenuCommand(MenuRef menu, MenuCommand command) {
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  if (GetIndMenuItemWithCommandID(menu, command, 1, &found, &index) == noErr) {
    EnableMenuItem(found, index);
  }
}

void DisableMenuCommand(MenuRef menu, MenuCommand command) {
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  if (GetIndMenuItemWithCommandID(menu, command, 1, &found, &index) == noErr) {
    DisableMenuItem(found, index);
  }
}

OSStatus SetRootMenu(MenuRef menu) {
  if (menu && FindMenu(menu) == nullptr)
    return paramErr;
  if (menu)
    RetainMenu(menu);
  const MenuRef previous = rootMenu;
  rootMenu = menu;
  if (previous)
    ReleaseMenu(previous);
  Notify(plat::ModelChange::kMenuBar, nullptr, nullptr, menu);
  return noErr;
}

MenuRef AcquireRootMenu() {
  if (FindMenu(rootMenu) == nullptr)
    return nullptr;
  RetainMenu(rootMenu);
  return rootMenu;
}

namespace plat::toolbox {
Handle NewMenuBarHandle(MenuRef root) {
  RetainMenu(root);
  auto* record = new MenuBarRecord{root};
  Handle handle = new char*(reinterpret_cast<char*>(record));
  menuBars.insert(handle);
  return handle;
}
}  // namespace plat::toolbox

void SetMenuBar(Handle menuBar) {
  if (!menuBars.contains(menuBar))
    return;
  SetRootMenu(reinterpret_cast<MenuBarRecord*>(*menuBar)->root);
}

void DisposeMenuBar(Handle menuBar) {
  if (menuBars.erase(menuBar) == 0)
    return;
  auto* record = reinterpret_cast<MenuBarRecord*>(*menuBar);
  ReleaseMenu(record->root);
  delete record;
  delete menuBar;
}

OSStatus SetApplicationDockTileMenu(MenuRef menu) {
  if (menu && FindMenu(menu) == nullptr)
    return paramErr;
  if (menu)
    RetainMenu(menu);
  const MenuRef previous = dockMenu;
  dockMenu = menu;
  if (previous)
    ReleaseMenu(previous);
  Notify(plat::ModelChange::kDockMenu, nullptr, nullptr, menu);
  return noErr;
}

MenuRef GetApplicationDockTileMenu() {
  return FindMenu(dockMenu) != nullptr ? dockMenu : MenuRef(nullptr);
}

namespace plat {
int LiveMenus() {
  return static_cast<int>(toolbox::menus.size());
}
}  // namespace plat
