// The platform's standard handler: the end of every chain, doing what the Mac does with the
// events this program meets when no handler took them.
#include "platform/model/toolbox/ToolboxModel.h"

namespace plat::toolbox {
namespace {

constexpr char kTab = 0x09;
constexpr char kReturn = 0x0D;
constexpr char kEnter = 0x03;
constexpr char kEscape = 0x1B;
constexpr char kBackspace = 0x08;
constexpr char kDelete = 0x7F;

bool IsUsable(const Control& control) {
  return EffectivelyVisible(control) && EffectivelyEnabled(control) && EffectivelyActive(control);
}

void SendHit(ControlRef ref, ControlPartCode part) {
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, kEventAttributeUserEvent, &event);
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof ref, &ref);
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  SendEventToEventTarget(event, control->target.get());
  ReleaseEvent(event);
}

void SendCommand(ControlRef ref, UInt32 command) {
  const Control* control = FindControl(ref);
  if (control == nullptr || command == 0)
    return;
  HICommandExtended record{};
  record.attributes = kHICommandFromControl;
  record.commandID = command;
  record.source.control = ref;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeUserEvent,
              &event);
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof record, &record);
  SendEventToEventTarget(event, control->target.get());
  ReleaseEvent(event);
}

// A click tracked to its end: the value changes first, then the hit is reported, then the
// command is sent. Each step looks the control up again, as a handler may dispose of it.
OSStatus TrackClick(ControlRef ref, EventRef click) {
  const Control* control = FindControl(ref);
  if (control == nullptr || !IsUsable(*control))
    return eventNotHandledErr;
  switch (control->kind) {
    case kControlKindCheckBox:
      SetControl32BitValue(ref, control->value != 0 ? 0 : 1);
      SendHit(ref, kControlCheckBoxPart);
      return noErr;
    case kControlKindPushButton: {
      const UInt32 command = control->command;
      SendHit(ref, kControlButtonPart);
      SendCommand(ref, command);
      return noErr;
    }
    case kControlKindPopupButton: {
      MenuItemIndex index = 0;
      GetEventParameter(click, kEventParamMenuItemIndex, typeMenuItemIndex, nullptr, sizeof index,
                        nullptr, &index);
      const MenuItem* item = FindItem(control->menu, index);
      if (item == nullptr || (item->attributes & (kMenuItemAttrDisabled | kMenuItemAttrHidden |
                                                  kMenuItemAttrSeparator)) != 0) {
        return eventNotHandledErr;
      }
      const UInt32 command = item->command;
      SetControl32BitValue(ref, index);
      SendHit(ref, kControlMenuPart);
      SendCommand(ref, command);
      return noErr;
    }
    case kControlKindEditText:
      return SetKeyboardFocus(control->window, ref, kControlEditTextPart) == noErr
                 ? noErr
                 : eventNotHandledErr;
    default:
      return eventNotHandledErr;
  }
}

WindowRef WindowOf(const TargetPtr& target) {
  if (target->kind == TargetKind::kWindow)
    return WindowRef(target->owner);
  if (target->kind == TargetKind::kControl)
    return GetControlOwner(ControlRef(target->owner));
  return ActiveNonFloatingWindow();
}

OSStatus PressButton(WindowRef window, OSStatus (*get)(WindowRef, ControlRef*)) {
  ControlRef button = nullptr;
  if (get(window, &button) != noErr || !button)
    return eventNotHandledErr;
  return SendClick(button, nullptr);
}

OSStatus StandardKey(EventRef event, const TargetPtr& target) {
  char key = 0;
  if (GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &key) !=
      noErr) {
    return eventNotHandledErr;
  }
  if (target->kind == TargetKind::kApplication || target->kind == TargetKind::kMenu) {
    return eventNotHandledErr;
  }
  const WindowRef window = WindowOf(target);
  if (key == kTab)
    return AdvanceKeyboardFocus(window) == noErr ? noErr : eventNotHandledErr;
  if (key == kReturn || key == kEnter)
    return PressButton(window, GetWindowDefaultButton);
  if (key == kEscape)
    return PressButton(window, GetWindowCancelButton);
  if (target->kind != TargetKind::kControl)
    return eventNotHandledErr;
  Control* field = FindControl(ControlRef(target->owner));
  if (field == nullptr || field->kind != kControlKindEditText || !IsUsable(*field)) {
    return eventNotHandledErr;
  }
  if (key == kBackspace) {
    // Removes the last character, with all the bytes of its UTF-8 form.
    while (!field->text.empty() &&
           (static_cast<unsigned char>(field->text.back()) & 0xC0) == 0x80) {
      field->text.pop_back();
    }
    if (!field->text.empty())
      field->text.pop_back();
  } else if (static_cast<unsigned char>(key) >= 0x20 && key != kDelete &&
             static_cast<unsigned char>(key) < 0x80) {
    field->text += key;
  } else {
    return eventNotHandledErr;
  }
  Notify(ModelChange::kControl, field->window, field->ref);
  return noErr;
}

OSStatus StandardCommand(EventRef event, const TargetPtr& target) {
  HICommandExtended command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                    &command);
  if (command.commandID == kHICommandQuit) {
    QuitApplicationEventLoop();
    return noErr;
  }
  if (command.commandID == kHICommandClose) {
    const Window* window = FindWindow(WindowOf(target));
    if (window == nullptr)
      return eventNotHandledErr;
    const WindowRef ref = window->ref;
    SendSimpleEvent(window->target.get(), kEventClassWindow, kEventWindowClose, typeWindowRef, &ref,
                    sizeof ref);
    return noErr;
  }
  return eventNotHandledErr;
}

}  // namespace

OSStatus SendClick(ControlRef ref, const MenuItemIndex* item) {
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return paramErr;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassControl, kEventControlClick, 0, kEventAttributeUserEvent, &event);
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof ref, &ref);
  if (item != nullptr) {
    SetEventParameter(event, kEventParamMenuItemIndex, typeMenuItemIndex, sizeof *item, item);
  }
  const OSStatus status = SendEventToEventTarget(event, control->target.get());
  ReleaseEvent(event);
  return status;
}

OSStatus StandardHandler(EventRef event, const TargetPtr& original) {
  if (!original || !original->alive)
    return eventNotHandledErr;
  const UInt32 eventClass = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  if (eventClass == kEventClassCommand && kind == kEventCommandProcess) {
    return StandardCommand(event, original);
  }
  if (eventClass == kEventClassWindow && kind == kEventWindowClose &&
      original->kind == TargetKind::kWindow) {
    DisposeWindow(WindowRef(original->owner));
    return noErr;
  }
  if (eventClass == kEventClassControl && kind == kEventControlClick &&
      original->kind == TargetKind::kControl) {
    return TrackClick(ControlRef(original->owner), event);
  }
  if (eventClass == kEventClassKeyboard && kind == kEventRawKeyDown) {
    return StandardKey(event, original);
  }
  return eventNotHandledErr;
}

}  // namespace plat::toolbox
