#include "framework/TApplication.h"

#include <iterator>

#include "framework/TNib.h"

const EventTypeSpec TApplication::kEvents[6] = {
    {kEventClassCommand, kEventCommandProcess},
    {kEventClassMenu, kEventMenuPopulate},
    {kEventClassApplication, kEventAppShown},
    {kEventClassKeyboard, kEventHotKeyPressed},
    {kEventClassSystem, kEventSystemUserSessionActivated},
    {kEventClassSystem, kEventSystemUserSessionDeactivated},
};

TApplication::TApplication(CFStringRef menuBarName, CFStringRef nibName) {
  Init(menuBarName, nibName);
}

TApplication::~TApplication() = default;

OSStatus TApplication::Init(CFStringRef menuBarName, CFStringRef nibName) {
  TNib nib;
  OSStatus status = RegisterForEvents(static_cast<UInt32>(std::size(kEvents)), kEvents);
  if (status != noErr)
    return status;
  status = nib.Init(nibName);
  if (status != noErr)
    return status;
  return nib.SetMenuBar(menuBarName);
}

OSStatus TApplication::HandleEvent(EventHandlerCallRef, TCarbonEvent& event) {
  bool handled = false;
  const UInt32 kind = event.GetKind();
  // Parameters are read into zeroed values, so an event that lacks one is seen as carrying
  // nothing (command 0, no menu, hot key 0).
  switch (event.GetClass()) {
    case kEventClassCommand: {
      HICommandExtended command{};
      event.GetParameter(kEventParamDirectObject, &command);
      if (kind == kEventCommandProcess) {
        handled = HandleCommand(command);
      } else if (kind == kEventCommandUpdateStatus) {
        handled = UpdateCommandStatus(command);
      }
      break;
    }
    case kEventClassMenu: {
      MenuRef menu = nullptr;
      event.GetParameter(kEventParamDirectObject, &menu);
      if (kind == kEventMenuPopulate)
        handled = UpdateDockMenu(menu);
      break;
    }
    case kEventClassApplication:
      if (kind == kEventAppShown)
        handled = OpenSettingsDialog();
      break;
    case kEventClassKeyboard:
      if (kind == kEventHotKeyPressed) {
        EventHotKeyID id{0, 0};
        event.GetParameter(kEventParamDirectObject, typeEventHotKeyID, sizeof id, &id);
        handled = HandleHotKey(id);
      }
      break;
    case kEventClassSystem:
      if (kind == kEventSystemUserSessionActivated || kind == kEventSystemUserSessionDeactivated) {
        handled = HandleUserLogin(kind);
      }
      break;
    default:
      break;
  }
  return handled ? noErr : eventNotHandledErr;
}

EventTargetRef TApplication::GetEventTarget() {
  return GetApplicationEventTarget();
}

void TApplication::Run() {
  RunApplicationEventLoop();
}

void TApplication::Activated() {}

void TApplication::Deactivated() {}

bool TApplication::UpdateCommandStatus(const HICommandExtended&) {
  return false;
}

bool TApplication::HandleCommand(const HICommandExtended&) {
  return false;
}

bool TApplication::UpdateDockMenu(MenuRef&) {
  return false;
}

bool TApplication::OpenSettingsDialog() {
  return false;
}

bool TApplication::HandleHotKey(EventHotKeyID&) {
  return false;
}

bool TApplication::HandleUserLogin(unsigned long) {
  return false;
}
