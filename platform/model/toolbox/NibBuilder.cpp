// Building windows, menus and menu bars from their nib descriptions.
#include "platform/HIView.h"
#include "platform/model/toolbox/NibReader.h"
#include "platform/model/toolbox/ToolboxModel.h"

namespace plat::nib {
namespace {

using toolbox::Control;
using toolbox::FindControl;

void BuildControl(WindowRef window, ControlRef parent, const ControlDesc& description) {
  const ControlRef ref = toolbox::NewControl(window, parent, description.kind, description.bounds);
  Control& control = *FindControl(ref);
  control.id = description.id;
  control.title = description.title;
  control.text = description.text;
  control.minimum = description.minimum;
  control.maximum = description.maximum;
  control.value = description.value;
  control.visible = description.visible;
  control.enabled = description.enabled;
  control.active = description.active;
  control.command = description.command;
  if (description.kind == kControlKindPopupButton) {
    MenuRef menu = nullptr;
    CreateNewMenu(0, 0, &menu);
    for (const std::string& text : description.items) {
      CFStringRef item = plat::MakeCFString(text);
      AppendMenuItemTextWithCFString(menu, item, 0, 0, nullptr);
      CFRelease(item);
    }
    control.menu = menu;  // the control holds the creation reference
  }
  if (description.isDefault)
    SetWindowDefaultButton(window, ref);
  if (description.isCancel)
    SetWindowCancelButton(window, ref);
  for (const ControlDesc& child : description.children)
    BuildControl(window, ref, child);
}

}  // namespace

OSStatus BuildWindow(const WindowDesc& description, WindowRef* outWindow) {
  WindowRef window = nullptr;
  const OSStatus status = CreateNewWindow(description.windowClass, description.attributes,
                                          &description.content, &window);
  if (status != noErr)
    return status;
  CFStringRef title = plat::MakeCFString(description.title);
  SetWindowTitleWithCFString(window, title);
  CFRelease(title);
  const ControlRef root = HIViewGetRoot(window);
  for (const ControlDesc& control : description.controls)
    BuildControl(window, root, control);
  toolbox::Notify(ModelChange::kWindow, window);
  if (description.visible)
    ShowWindow(window);
  *outWindow = window;
  return noErr;
}

OSStatus BuildMenu(const MenuDesc& description, MenuRef* outMenu) {
  MenuRef menu = nullptr;
  const OSStatus status = CreateNewMenu(description.id, 0, &menu);
  if (status != noErr)
    return status;
  CFStringRef title = plat::MakeCFString(description.title);
  SetMenuTitleWithCFString(menu, title);
  CFRelease(title);
  for (const MenuItemDesc& item : description.items) {
    CFStringRef text = plat::MakeCFString(item.text);
    MenuItemIndex index = 0;
    AppendMenuItemTextWithCFString(menu, text, item.attributes, item.command, &index);
    CFRelease(text);
    SetItemMark(menu, index, item.mark);
    for (const MenuDesc& submenuDescription : item.submenu) {
      MenuRef submenu = nullptr;
      if (BuildMenu(submenuDescription, &submenu) == noErr) {
        SetMenuItemHierarchicalMenu(menu, index, submenu);
        ReleaseMenu(submenu);
      }
    }
  }
  *outMenu = menu;
  return noErr;
}

OSStatus BuildMenuBar(const std::vector<MenuDesc>& menus, MenuRef* outRoot) {
  MenuRef root = nullptr;
  const OSStatus status = CreateNewMenu(0, 0, &root);
  if (status != noErr)
    return status;
  for (const MenuDesc& description : menus) {
    MenuRef menu = nullptr;
    if (BuildMenu(description, &menu) != noErr)
      continue;
    CFStringRef title = plat::MakeCFString(description.title);
    MenuItemIndex index = 0;
    AppendMenuItemTextWithCFString(root, title, 0, 0, &index);
    CFRelease(title);
    SetMenuItemHierarchicalMenu(root, index, menu);
    ReleaseMenu(menu);
  }
  *outRoot = root;
  return noErr;
}

}  // namespace plat::nib
