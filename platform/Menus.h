// Menus and their items, the menu bar and the Dock tile menu.
//
// Items are numbered from 1. Menus are reference-counted: CreateNewMenu gives one reference,
// ReleaseMenu (or DisposeMenu) gives it back; the menu bar, the Dock tile and a popup button each
// hold their own reference to their menus.
#pragma once

#include "platform/CoreFoundation.h"
#include "platform/MacTypes.h"
#include "platform/ToolboxRefs.h"

using MenuAttributes = UInt32;
using MenuItemAttributes = UInt32;
constexpr MenuItemAttributes kMenuItemAttrDisabled = 1u << 0;
constexpr MenuItemAttributes kMenuItemAttrHidden = 1u << 5;
constexpr MenuItemAttributes kMenuItemAttrSeparator = 1u << 6;

// Item marks.
using CharParameter = SInt16;
constexpr CharParameter noMark = 0;
constexpr CharParameter checkMark = 0x12;

OSStatus CreateNewMenu(MenuID menuID, MenuAttributes attributes, MenuRef* outMenu);
OSStatus RetainMenu(MenuRef menu);
OSStatus ReleaseMenu(MenuRef menu);
void DisposeMenu(MenuRef menu);
ItemCount GetMenuRetainCount(MenuRef menu);
Boolean IsValidMenu(MenuRef menu);
MenuID GetMenuID(MenuRef menu);
OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title);
OSStatus CopyMenuTitleAsCFString(MenuRef menu, CFStringRef* outTitle);

UInt16 CountMenuItems(MenuRef menu);
OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text,
                                        MenuItemAttributes attributes, MenuCommand command,
                                        MenuItemIndex* outNewItem);
OSStatus InsertMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemIndex afterItem,
                                        MenuItemAttributes attributes, MenuCommand command);
OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex firstItem, ItemCount numItems);
void DeleteMenuItem(MenuRef menu, MenuItemIndex item);

OSStatus SetMenuItemTextWithCFString(MenuRef menu, MenuItemIndex item, CFStringRef text);
OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outText);
void SetItemMark(MenuRef menu, MenuItemIndex item, CharParameter mark);
void GetItemMark(MenuRef menu, MenuItemIndex item, CharParameter* outMark);
OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex item,
                                  MenuItemAttributes setTheseAttributes,
                                  MenuItemAttributes clearTheseAttributes);
OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* outAttributes);
OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand command);
OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand* outCommand);
OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef submenu);
OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef* outSubmenu);
// The `instance`-th item (from 1) with `command` in `menu` and its submenus (the menu bar when
// `menu` is null); menuItemNotFoundErr when there is none.
OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand command, UInt32 instance,
                                     MenuRef* outMenu, MenuItemIndex* outIndex);

// Item 0 stands for the whole menu.
void EnableMenuItem(MenuRef menu, MenuItemIndex item);
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
// The first item with `command` in `menu` (the menu bar when null).
void EnableMenuCommand(MenuRef menu, MenuCommand command);
void DisableMenuCommand(MenuRef menu, MenuCommand command);

// The menu bar: a root menu whose items hold the menus as submenus.
OSStatus SetRootMenu(MenuRef menu);
// The root menu with a reference for the caller, or null.
MenuRef AcquireRootMenu();
// A menu bar made by CreateMenuBarFromNib: installs it, or gives it back.
void SetMenuBar(Handle menuBar);
void DisposeMenuBar(Handle menuBar);

// The Dock tile menu (null removes it).
OSStatus SetApplicationDockTileMenu(MenuRef menu);
MenuRef GetApplicationDockTileMenu();

namespace plat {
// Menus that exist now (created and not finally released).
int LiveMenus();
}  // namespace plat
