#include "platform/console/ModelText.h"

#include "platform/console/Arguments.h"

namespace plat::console {
namespace {

constexpr const char* kCheckMark = "\u2713";
constexpr const char* kRule = "----";

const ControlView* Parent(const WindowView& window, const ControlView& control) {
  for (const ControlView& candidate : window.controls) {
    if (candidate.ref == control.parent)
      return &candidate;
  }
  return nullptr;
}

// The control's own flag and those of every control it is embedded in.
bool Effective(const WindowView& window, const ControlView& control, bool ControlView::*flag) {
  for (const ControlView* view = &control; view != nullptr; view = Parent(window, *view)) {
    if (!(view->*flag))
      return false;
  }
  return true;
}

std::string KindName(OSType kind) {
  switch (kind) {
    case kControlKindGroupBox:
      return "group";
    case kControlKindCheckBox:
      return "checkbox";
    case kControlKindPushButton:
      return "button";
    case kControlKindPopupButton:
      return "popup";
    case kControlKindEditText:
      return "field";
    case kControlKindStaticText:
      return "caption";
    default:
      return "view";
  }
}

std::string PopupText(const ControlView& popup) {
  std::string items;
  for (const std::string& item : popup.popupItems)
    items += (items.empty() ? "" : ", ") + item;
  const bool chosen =
      popup.value >= 1 && static_cast<std::size_t>(popup.value) <= popup.popupItems.size();
  const std::string choice =
      chosen ? "item " + std::to_string(popup.value) + " " +
                   Quoted(popup.popupItems[static_cast<std::size_t>(popup.value - 1)])
             : "no item";
  return choice + " of [" + items + "]";
}

std::string ValueText(const ControlView& control) {
  switch (control.kind) {
    case kControlKindCheckBox:
      if (control.value == 0 || control.value == 1)
        return control.value == 1 ? "checked" : "unchecked";
      return "value " + std::to_string(control.value);
    case kControlKindPopupButton:
      return PopupText(control);
    case kControlKindEditText:
    case kControlKindStaticText:
      return Quoted(control.text);
    default:
      return "";
  }
}

}  // namespace

std::vector<MenuItemIndex> NumberedItems(const MenuView& menu) {
  std::vector<MenuItemIndex> numbered;
  for (const MenuItemView& item : menu.items) {
    if (!item.hidden && !item.separator)
      numbered.push_back(item.index);
  }
  return numbered;
}

std::vector<std::string> MenuLines(const MenuView& menu, bool numbered) {
  std::vector<std::string> lines;
  int number = 0;
  for (const MenuItemView& item : menu.items) {
    if (item.hidden)
      continue;
    if (item.separator) {
      lines.push_back(numbered ? std::string("     ") + kRule : std::string("  ") + kRule);
      continue;
    }
    std::string line = "  ";
    if (numbered) {
      const std::string digits = std::to_string(++number);
      line += std::string(digits.size() < 2 ? 1 : 0, ' ') + digits + " ";
    }
    line += item.mark == checkMark ? kCheckMark : (item.mark != noMark ? "*" : " ");
    line += " " + item.text;
    if (!item.enabled)
      line += " (disabled)";
    lines.push_back(line);
  }
  return lines;
}

std::string ControlLine(const WindowView& window, const ControlView& control) {
  std::string line = "  " + ControlIDText(control.id) + " " + KindName(control.kind);
  if (!control.title.empty())
    line += " " + Quoted(control.title);
  if (const std::string value = ValueText(control); !value.empty())
    line += " " + value;
  if (control.isDefault)
    line += " (default)";
  if (control.isCancel)
    line += " (cancel)";
  line += Effective(window, control, &ControlView::enabled) ? " - enabled" : " - disabled";
  line += Effective(window, control, &ControlView::active) ? ", active" : ", inactive";
  if (control.focused)
    line += ", focused";
  return line;
}

std::vector<std::string> WindowLines(const WindowView& window) {
  std::vector<std::string> lines{"window " + Quoted(window.title)};
  for (const ControlView& control : window.controls) {
    // The root view is the window's content itself.
    if (!control.parent || !control.shown)
      continue;
    lines.push_back(ControlLine(window, control));
  }
  return lines;
}

}  // namespace plat::console
