// The fronts' view of the model and the actions a person does.
#include "platform/FrontModel.h"

#include "platform/model/toolbox/ToolboxModel.h"

namespace plat {
namespace {

using toolbox::Control;
using toolbox::FindControl;
using toolbox::FindMenu;
using toolbox::FindWindow;
using toolbox::Window;

ControlView ViewOf(const Control& control, const Window& window) {
  ControlView view{};
  view.ref = control.ref;
  view.parent = control.parent;
  view.kind = control.kind;
  view.id = control.id;
  view.title = control.title;
  view.text = toolbox::DisplayText(control.text);
  view.value = control.value;
  view.minimum = control.minimum;
  view.maximum = control.maximum;
  view.popupMenu = control.menu;
  if (const toolbox::Menu* menu = FindMenu(control.menu)) {
    for (const toolbox::MenuItem& item : menu->items)
      view.popupItems.push_back(item.text);
  }
  view.visible = control.visible;
  view.enabled = control.enabled;
  view.active = control.active;
  view.shown = toolbox::EffectivelyVisible(control);
  view.usable =
      view.shown && toolbox::EffectivelyEnabled(control) && toolbox::EffectivelyActive(control);
  view.bounds = control.bounds;
  view.command = control.command;
  view.isDefault = window.defaultButton == control.ref;
  view.isCancel = window.cancelButton == control.ref;
  view.focused = window.focus == control.ref;
  return view;
}

bool ItemUsable(const toolbox::Menu& menu, const toolbox::MenuItem& item) {
  return menu.enabled && (item.attributes & (kMenuItemAttrDisabled | kMenuItemAttrHidden |
                                             kMenuItemAttrSeparator)) == 0;
}

}  // namespace

std::optional<WindowView> DescribeWindow(WindowRef ref) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return std::nullopt;
  WindowView view{};
  view.ref = ref;
  view.title = window->title;
  view.windowClass = window->windowClass;
  view.attributes = window->attributes;
  view.content = window->content;
  view.visible = window->visible;
  view.active = IsWindowActive(ref);
  view.needsDrawing = window->needsDrawing;
  for (ControlRef control : toolbox::ControlsInOrder(ref)) {
    view.controls.push_back(ViewOf(*FindControl(control), *window));
  }
  return view;
}

std::vector<WindowView> Windows() {
  std::vector<WindowView> views;
  for (WindowRef ref : toolbox::WindowOrder()) {
    if (auto view = DescribeWindow(ref))
      views.push_back(std::move(*view));
  }
  return views;
}

std::optional<MenuView> DescribeMenu(MenuRef ref) {
  const toolbox::Menu* menu = FindMenu(ref);
  if (menu == nullptr)
    return std::nullopt;
  MenuView view{ref, menu->title, menu->enabled, {}};
  for (std::size_t i = 0; i < menu->items.size(); ++i) {
    const toolbox::MenuItem& item = menu->items[i];
    view.items.push_back(MenuItemView{
        static_cast<MenuItemIndex>(i + 1), item.text, item.command, item.mark, item.attributes,
        menu->enabled && (item.attributes & kMenuItemAttrDisabled) == 0,
        (item.attributes & kMenuItemAttrHidden) != 0,
        (item.attributes & kMenuItemAttrSeparator) != 0, item.submenu});
  }
  return view;
}

std::vector<MenuView> MenuBarMenus() {
  std::vector<MenuView> menus;
  const MenuRef root = AcquireRootMenu();
  if (auto bar = DescribeMenu(root)) {
    for (const MenuItemView& item : bar->items) {
      if (auto menu = DescribeMenu(item.submenu))
        menus.push_back(std::move(*menu));
    }
  }
  if (root)
    ReleaseMenu(root);
  return menus;
}

std::optional<MenuView> DockMenu() {
  return DescribeMenu(GetApplicationDockTileMenu());
}

OSStatus ClickControl(ControlRef control) {
  if (FindControl(control) == nullptr)
    return paramErr;
  return toolbox::SendClick(control, nullptr);
}

OSStatus ChoosePopupItem(ControlRef popup, MenuItemIndex item) {
  const Control* control = FindControl(popup);
  if (control == nullptr || control->kind != kControlKindPopupButton)
    return paramErr;
  return toolbox::SendClick(popup, &item);
}

OSStatus FocusControl(ControlRef control) {
  const Control* field = FindControl(control);
  if (field == nullptr)
    return paramErr;
  return SetKeyboardFocus(field->window, control, kControlEditTextPart) == noErr
             ? noErr
             : eventNotHandledErr;
}

OSStatus ClickWindow(WindowRef window) {
  if (FindWindow(window) == nullptr)
    return paramErr;
  SelectWindow(window);
  return noErr;
}

OSStatus ClickCloseBox(WindowRef ref) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return paramErr;
  return toolbox::SendSimpleEvent(window->target.get(), kEventClassWindow, kEventWindowClose,
                                  typeWindowRef, &ref, sizeof ref);
}

OSStatus DragWindowTo(WindowRef ref, const Rect& content) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return paramErr;
  const bool resized =
      content.bottom - content.top != window->content.bottom - window->content.top ||
      content.right - content.left != window->content.right - window->content.left;
  return toolbox::ChangeWindowBounds(
      ref, content, resized ? kWindowBoundsChangeUserResize : kWindowBoundsChangeUserDrag);
}

OSStatus DrawWindow(WindowRef ref) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return paramErr;
  window->needsDrawing = false;
  return toolbox::SendSimpleEvent(window->target.get(), kEventClassWindow, kEventWindowDrawContent,
                                  typeWindowRef, &ref, sizeof ref);
}

OSStatus PressKey(UInt32 keyCode, char charCode, UInt32 modifiers) {
  EventTargetRef target = GetApplicationEventTarget();
  const WindowRef window = ActiveNonFloatingWindow();
  ControlRef focus = nullptr;
  if (window) {
    target = GetWindowEventTarget(window);
    if (GetKeyboardFocus(window, &focus) == noErr && focus)
      target = GetControlEventTarget(focus);
  }
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, kEventAttributeUserEvent, &event);
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, sizeof keyCode, &keyCode);
  SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, sizeof charCode, &charCode);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  const OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

OSStatus OpenMenu(MenuRef ref) {
  const toolbox::Menu* menu = FindMenu(ref);
  if (menu == nullptr)
    return paramErr;
  return toolbox::SendSimpleEvent(menu->target.get(), kEventClassMenu, kEventMenuPopulate,
                                  typeMenuRef, &ref, sizeof ref);
}

std::optional<MenuView> OpenDockMenu() {
  const MenuRef dock = GetApplicationDockTileMenu();
  if (!dock)
    return std::nullopt;
  OpenMenu(dock);
  return DescribeMenu(dock);
}

OSStatus ChooseMenuItem(MenuRef ref, MenuItemIndex index) {
  const toolbox::Menu* menu = FindMenu(ref);
  const toolbox::MenuItem* item = toolbox::FindItem(ref, index);
  if (menu == nullptr || item == nullptr)
    return paramErr;
  if (!ItemUsable(*menu, *item))
    return eventNotHandledErr;
  HICommand command{};
  command.attributes = kHICommandFromMenu;
  command.commandID = item->command;
  command.menu.menuRef = ref;
  command.menu.menuItemIndex = index;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeUserEvent,
              &event);
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  const OSStatus status = SendEventToEventTarget(event, menu->target.get());
  ReleaseEvent(event);
  return status;
}

}  // namespace plat
