// Reading a nib's text into descriptions of its windows, menus and menu bars, and building the
// objects they describe. The format is described in docs/nib-format.md.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Controls.h"
#include "platform/MacWindows.h"
#include "platform/Menus.h"

namespace plat::nib {

struct MenuDesc;

struct MenuItemDesc {
  std::string text;
  MenuCommand command = 0;
  MenuItemAttributes attributes = 0;
  CharParameter mark = noMark;
  std::vector<MenuDesc> submenu;  // none or one
};

struct MenuDesc {
  std::string title;
  MenuID id = 0;
  std::vector<MenuItemDesc> items;
};

struct ControlDesc {
  OSType kind = kControlKindUserPane;
  ControlID id{0, 0};
  std::string title;
  std::string text;
  Rect bounds{0, 0, 0, 0};  // window content coordinates
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  bool visible = true;
  bool enabled = true;
  bool active = true;
  UInt32 command = 0;
  bool isDefault = false;
  bool isCancel = false;
  std::vector<std::string> items;  // a popup button's menu
  std::vector<ControlDesc> children;
};

struct WindowDesc {
  std::string title;
  WindowClass windowClass = kDocumentWindowClass;
  WindowAttributes attributes = 0;
  Rect content{0, 0, 0, 0};  // global
  bool visible = false;
  std::vector<ControlDesc> controls;
};

struct NibDocument {
  std::map<std::string, WindowDesc> windows;
  std::map<std::string, MenuDesc> menus;
  std::map<std::string, std::vector<MenuDesc>> menuBars;
};

// The document, or nothing with `error` saying where and what is wrong
// ("windows.Preferences.controls[2].kind: unknown control kind \"slider\"").
std::optional<NibDocument> ReadNib(std::string_view text, std::string& error);

OSStatus BuildWindow(const WindowDesc& description, WindowRef* outWindow);
OSStatus BuildMenu(const MenuDesc& description, MenuRef* outMenu);
// A root menu whose items hold the menus as submenus.
OSStatus BuildMenuBar(const std::vector<MenuDesc>& menus, MenuRef* outRoot);

}  // namespace plat::nib
