#include "framework/TWindow.h"

#include <iterator>

#include "framework/TNib.h"
#include "platform/Menus.h"

namespace {
// The window property that leads from a window to its object.
constexpr PropertyCreator kPropertyCreator = FourCC("hifr");
constexpr PropertyTag kPropertyTag = FourCC("twin");
// Signature of the option controls whose clicks reach HandleItemHit.
constexpr OSType kItemHitSignature = FourCC("OPTG");
// Applies `operation` to a control found by its ID: errUnknownControl when there is none.
OSStatus ApplyToControl(ControlRef control, void (*operation)(ControlRef)) {
  if (!control)
    return errUnknownControl;
  operation(control);
  return noErr;
}

}  // namespace

const EventTypeSpec TWindow::kEvents[12] = {
    {kEventClassWindow, kEventWindowClose},
    {kEventClassWindow, kEventWindowActivated},
    {kEventClassWindow, kEventWindowDeactivated},
    {kEventClassWindow, kEventWindowDisposed},
    {kEventClassWindow, kEventWindowDrawContent},
    {kEventClassWindow, kEventWindowBoundsChanged},
    {kEventClassWindow, kEventWindowGetIdealSize},
    {kEventClassWindow, kEventWindowGetMinimumSize},
    {kEventClassWindow, kEventWindowGetMaximumSize},
    {kEventClassCommand, kEventCommandProcess},
    {kEventClassCommand, kEventCommandUpdateStatus},
    {kEventClassControl, kEventControlHit},
};

TWindow::TWindow(WindowRef) : window(nullptr) {}

TWindow::TWindow(CFStringRef windowName, CFStringRef nibName) : window(nullptr) {
  Init(windowName, nibName);
}

TWindow::~TWindow() {
  if (window)
    DisposeWindow(window);
}

OSStatus TWindow::Init(WindowRef newWindow) {
  if (!newWindow)
    return paramErr;
  // Stored first: the event target comes from it.
  window = newWindow;
  const OSStatus status = RegisterForEvents(static_cast<UInt32>(std::size(kEvents)), kEvents);
  if (status != noErr)
    return status;
  TWindow* self = this;
  return SetWindowProperty(window, kPropertyCreator, kPropertyTag, sizeof self, &self);
}

OSStatus TWindow::Init(CFStringRef windowName, CFStringRef nibName) {
  TNib nib;
  OSStatus status = nib.Init(nibName);
  if (status != noErr)
    return status;
  WindowRef created = nullptr;
  status = nib.CreateWindow(windowName, &created);
  if (status != noErr)
    return status;
  return Init(created);
}

OSStatus TWindow::Init(WindowClass windowClass, WindowAttributes attributes, const Rect& bounds) {
  WindowRef created = nullptr;
  const OSStatus status = CreateNewWindow(windowClass, attributes, &bounds, &created);
  if (status != noErr)
    return status;
  return Init(created);
}

void TWindow::SourceWindowDispose() {
  window = nullptr;
}

TWindow* TWindow::GetTWindowFromWindowRef(WindowRef someWindow) {
  TWindow* object = nullptr;
  GetWindowProperty(someWindow, kPropertyCreator, kPropertyTag, sizeof object, nullptr, &object);
  return object;
}

OSStatus TWindow::HandleEvent(EventHandlerCallRef callRef, TCarbonEvent& event) {
  const UInt32 kind = event.GetKind();
  switch (event.GetClass()) {
    case kEventClassCommand: {
      HICommandExtended command{};
      event.GetParameter(kEventParamDirectObject, &command);
      bool handled = false;
      if (kind == kEventCommandProcess) {
        handled = HandleCommand(command);
      } else if (kind == kEventCommandUpdateStatus) {
        handled = UpdateCommandStatus(command);
      }
      return handled ? noErr : eventNotHandledErr;
    }
    case kEventClassWindow:
      switch (kind) {
        case kEventWindowClose:
          // The next handler is not called: the window is hidden, not disposed of.
          CloseDialog();
          Hide();
          return noErr;
        case kEventWindowActivated:
          CallNextEventHandler(callRef, event);
          Activated();
          return noErr;
        case kEventWindowDeactivated:
          CallNextEventHandler(callRef, event);
          Deactivated();
          return noErr;
        case kEventWindowDrawContent:
          CallNextEventHandler(callRef, event);
          Draw();
          return noErr;
        case kEventWindowBoundsChanged: {
          UInt32 attributes = 0;
          if (event.GetParameter(kEventParamAttributes, &attributes) != noErr) {
            return eventNotHandledErr;
          }
          if ((attributes & kWindowBoundsChangeSizeChanged) != 0) {
            Resized();
            return noErr;
          }
          if ((attributes & kWindowBoundsChangeOriginChanged) != 0) {
            Moved();
            return noErr;
          }
          return eventNotHandledErr;
        }
        case kEventWindowGetIdealSize:
        case kEventWindowGetMinimumSize:
        case kEventWindowGetMaximumSize: {
          const Point size = kind == kEventWindowGetIdealSize     ? GetIdealSize()
                             : kind == kEventWindowGetMinimumSize ? GetMinimumSize()
                                                                  : GetMaximumSize();
          if (size.v == 0 || size.h == 0)
            return eventNotHandledErr;
          event.SetParameter(kEventParamDimensions, size);
          return noErr;
        }
        case kEventWindowDisposed:
          CallNextEventHandler(callRef, event);
          window = nullptr;
          return noErr;
        default:
          return eventNotHandledErr;
      }
    case kEventClassControl:
      if (kind == kEventControlHit) {
        ControlRef control = nullptr;
        ControlID id{0, 0};
        event.GetParameter(kEventParamDirectObject, &control);
        GetControlID(control, &id);
        if (id.signature == kItemHitSignature) {
          HandleItemHit(static_cast<short>(id.id));
          return noErr;
        }
      }
      return eventNotHandledErr;
    default:
      return eventNotHandledErr;
  }
}

EventTargetRef TWindow::GetEventTarget() {
  return GetWindowEventTarget(window);
}

void TWindow::Show() {
  ShowWindow(window);
  WindowActivationScope scope = kWindowActivationScopeNone;
  if (ActiveNonFloatingWindow() == window && GetWindowActivationScope(window, &scope) == noErr &&
      scope == kWindowActivationScopeAll) {
    AdvanceKeyboardFocus(window);
  }
}

void TWindow::Hide() {
  HideWindow(window);
}

void TWindow::Close() {
  Hide();
  delete this;
}

void TWindow::Draw() {}

void TWindow::Activated() {}

void TWindow::Deactivated() {}

void TWindow::Moved() {}

void TWindow::Resized() {}

Point TWindow::GetIdealSize() {
  return Point{0, 0};
}

Point TWindow::GetMinimumSize() {
  return Point{0, 0};
}

Point TWindow::GetMaximumSize() {
  return Point{0, 0};
}

bool TWindow::UpdateCommandStatus(const HICommandExtended& command) {
  if (command.commandID != kHICommandClose)
    return false;
  EnableMenuCommand(nullptr, kHICommandClose);
  return true;
}

bool TWindow::HandleCommand(const HICommandExtended&) {
  return false;
}

void TWindow::HandleItemHit(short) {}

bool TWindow::CloseDialog() {
  return false;
}

CGrafPtr TWindow::GetPort() {
  return GetWindowPort(window);
}

OSStatus TWindow::SetTitle(CFStringRef title) {
  return SetWindowTitleWithCFString(window, title);
}

CFStringRef TWindow::CopyTitle() {
  CFStringRef title = nullptr;
  return CopyWindowTitleAsCFString(window, &title) == noErr ? title : nullptr;
}

OSStatus TWindow::SetAlternateTitle(CFStringRef title) {
  return SetWindowAlternateTitle(window, title);
}

CFStringRef TWindow::CopyAlternateTitle() {
  CFStringRef title = nullptr;
  return CopyWindowAlternateTitle(window, &title) == noErr ? title : nullptr;
}

bool TWindow::IsVisible() {
  return IsWindowVisible(window) != 0;
}

void TWindow::Select() {
  SelectWindow(window);
}

OSStatus TWindow::SetBounds(const Rect& bounds) {
  return SetWindowBounds(window, kWindowStructureRgn, &bounds);
}

OSStatus TWindow::InvalidateArea(RgnHandle region) {
  return InvalWindowRgn(window, region);
}

OSStatus TWindow::InvalidateArea(const Rect& bounds) {
  return InvalWindowRect(window, &bounds);
}

OSStatus TWindow::ValidateArea(RgnHandle region) {
  return ValidWindowRgn(window, region);
}

OSStatus TWindow::ValidateArea(const Rect& bounds) {
  return ValidWindowRect(window, &bounds);
}

OSStatus TWindow::SetDefaultButton(ControlRef control) {
  return SetWindowDefaultButton(window, control);
}

OSStatus TWindow::SetCancelButton(ControlRef control) {
  return SetWindowCancelButton(window, control);
}

ControlRef TWindow::GetView(const ControlID& id) {
  ControlRef control = nullptr;
  return GetControlByID(window, &id, &control) == noErr ? control : ControlRef(nullptr);
}

ControlRef TWindow::GetView(OSType signature, SInt32 id) {
  return GetView(ControlID{signature, id});
}

OSStatus TWindow::EnableView(const ControlID& id) {
  return ApplyToControl(GetView(id), [](ControlRef control) { EnableControl(control); });
}

OSStatus TWindow::EnableView(OSType signature, SInt32 id) {
  return EnableView(ControlID{signature, id});
}

OSStatus TWindow::DisableView(const ControlID& id) {
  return ApplyToControl(GetView(id), [](ControlRef control) { DisableControl(control); });
}

OSStatus TWindow::DisableView(OSType signature, SInt32 id) {
  return DisableView(ControlID{signature, id});
}

OSStatus TWindow::ShowView(const ControlID& id) {
  return ApplyToControl(GetView(id), [](ControlRef control) { ShowControl(control); });
}

OSStatus TWindow::ShowView(OSType signature, SInt32 id) {
  return ShowView(ControlID{signature, id});
}

OSStatus TWindow::HideView(const ControlID& id) {
  return ApplyToControl(GetView(id), [](ControlRef control) { HideControl(control); });
}

OSStatus TWindow::HideView(OSType signature, SInt32 id) {
  return HideView(ControlID{signature, id});
}
