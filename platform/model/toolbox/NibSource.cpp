#include "platform/model/toolbox/NibSource.h"

#include <cstdio>

namespace plat::nib {
namespace {

// Every value through a cast to its field's type, so that no conversion is left to the reader.
template <typename T>
std::string Value(const char* type, T value) {
  return std::string("static_cast<") + type + ">(" + std::to_string(value) + "LL)";
}

std::string RectSource(const Rect& rect) {
  return "Rect{" + Value("SInt16", rect.top) + ", " + Value("SInt16", rect.left) + ", " +
         Value("SInt16", rect.bottom) + ", " + Value("SInt16", rect.right) + "}";
}

std::string Bool(bool value) {
  return value ? "true" : "false";
}

template <typename Item, typename Write>
std::string List(const char* type, const std::vector<Item>& items, Write write) {
  std::string source = std::string("std::vector<") + type + ">{";
  for (const Item& item : items)
    source += write(item) + ", ";
  return source + "}";
}

std::string ControlSource(const ControlDesc& control) {
  return "ControlDesc{" + Value("OSType", control.kind) + ", ControlID{" +
         Value("OSType", control.id.signature) + ", " + Value("SInt32", control.id.id) + "}, " +
         StringLiteral(control.title) + ", " + StringLiteral(control.text) + ", " +
         RectSource(control.bounds) + ", " + Value("SInt32", control.value) + ", " +
         Value("SInt32", control.minimum) + ", " + Value("SInt32", control.maximum) + ", " +
         Bool(control.visible) + ", " + Bool(control.enabled) + ", " + Bool(control.active) + ", " +
         Value("UInt32", control.command) + ", " + Bool(control.isDefault) + ", " +
         Bool(control.isCancel) + ", " +
         List("std::string", control.items,
              [](const std::string& item) { return "std::string(" + StringLiteral(item) + ")"; }) +
         ", " + List("ControlDesc", control.children, ControlSource) + "}";
}

std::string MenuSource(const MenuDesc& menu);

std::string ItemSource(const MenuItemDesc& item) {
  return "MenuItemDesc{" + StringLiteral(item.text) + ", " + Value("MenuCommand", item.command) +
         ", " + Value("MenuItemAttributes", item.attributes) + ", " +
         Value("CharParameter", item.mark) + ", " + List("MenuDesc", item.submenu, MenuSource) +
         "}";
}

std::string MenuSource(const MenuDesc& menu) {
  return "MenuDesc{" + StringLiteral(menu.title) + ", " + Value("MenuID", menu.id) + ", " +
         List("MenuItemDesc", menu.items, ItemSource) + "}";
}

std::string WindowSource(const WindowDesc& window) {
  return "WindowDesc{" + StringLiteral(window.title) + ", " +
         Value("WindowClass", window.windowClass) + ", " +
         Value("WindowAttributes", window.attributes) + ", " + RectSource(window.content) + ", " +
         Bool(window.visible) + ", " + List("ControlDesc", window.controls, ControlSource) + "}";
}

template <typename Map, typename Write>
std::string Named(const char* type, const Map& objects, Write write) {
  std::string source = std::string("std::map<std::string, ") + type + ">{";
  for (const auto& [name, object] : objects)
    source += "{" + StringLiteral(name) + ", " + write(object) + "}, ";
  return source + "}";
}

}  // namespace

std::string StringLiteral(std::string_view text) {
  // Octal escapes (at most three digits) for every byte outside printable ASCII, so that a
  // following character can never join an escape.
  std::string literal = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      literal += '\\';
      literal += c;
    } else if (byte < 0x20 || byte >= 0x7F || c == '?') {  // '?': no trigraphs
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
      literal += escaped;
    } else {
      literal += c;
    }
  }
  return literal + "\"";
}

std::string DocumentSource(const NibDocument& document) {
  return "NibDocument{" + Named("WindowDesc", document.windows, WindowSource) + ", " +
         Named("MenuDesc", document.menus, MenuSource) + ", " +
         Named("std::vector<MenuDesc>", document.menuBars,
               [](const std::vector<MenuDesc>& menus) {
                 return List("MenuDesc", menus, MenuSource);
               }) +
         "}";
}

}  // namespace plat::nib
