#include "prefs/WindowControls.h"

#include "platform/CoreFoundation.h"
#include "platform/HIView.h"

ControlRef FindWindowControl(WindowRef window, const ControlID& id) {
  ControlRef control = nullptr;
  if (HIViewFindByID(HIViewGetRoot(window), id, &control) != noErr)
    return nullptr;
  return control;
}

void SetControlShown(ControlRef control, bool shown) {
  if (!control)
    return;
  if (shown) {
    ShowControl(control);
  } else {
    HideControl(control);
  }
}

void SetControlActive(ControlRef control, bool active) {
  if (!control)
    return;
  if (active) {
    ActivateControl(control);
  } else {
    DeactivateControl(control);
  }
}

void SetControlValue32(ControlRef control, SInt32 value) {
  if (control)
    SetControl32BitValue(control, value);
}

bool GetPopupMenu(ControlRef popup, MenuRef* menu) {
  return popup && GetControlData(popup, 0, kControlPopupButtonMenuHandleTag, sizeof *menu, menu,
                                 nullptr) == noErr;
}

void ReplaceWithNumbers(MenuRef menu, int first, int last, int step) {
  DeleteMenuItems(menu, 1, CountMenuItems(menu));
  for (int value = first; value <= last; value += step) {
    CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), value);
    AppendMenuItemTextWithCFString(menu, text, 0, 0, nullptr);
    if (text != nullptr)
      CFRelease(text);
  }
}
