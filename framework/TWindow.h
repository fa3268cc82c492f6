// Ties one platform window to one object: attaches the window (from a nib, from a window class
// and bounds, or one given), registers for the window, command and control events of kEvents,
// and turns each into a call of a virtual operation. Also thin operations on the window and on
// its controls found by control ID.
#pragma once

#include "framework/TCarbonEvent.h"
#include "framework/TEventHandler.h"
#include "platform/Controls.h"
#include "platform/MacWindows.h"

class TWindow : public TEventHandler {
 public:
  // Attaches nothing: Init(WindowRef) does.
  explicit TWindow(WindowRef window);
  // Attaches the window `windowName` of the nib `nibName` (Init's status is dropped).
  TWindow(CFStringRef windowName, CFStringRef nibName);
  // Disposes of the window, if one is attached.
  ~TWindow() override;

  OSStatus HandleEvent(EventHandlerCallRef callRef, TCarbonEvent& event) override;
  EventTargetRef GetEventTarget() override;
  virtual void Show();
  virtual void Hide();
  // Hides the window, then deletes the object (which must have been made with new).
  virtual void Close();
  virtual void Draw();
  virtual void Activated();
  virtual void Deactivated();
  virtual void Moved();
  virtual void Resized();
  // A size with a zero dimension leaves the platform's own.
  virtual Point GetIdealSize();
  virtual Point GetMinimumSize();
  virtual Point GetMaximumSize();
  virtual bool UpdateCommandStatus(const HICommandExtended& command);
  virtual bool HandleCommand(const HICommandExtended& command);
  // A click on a control whose signature is 'OPTG', with the control's id.
  virtual void HandleItemHit(short id);
  virtual bool CloseDialog();

  OSStatus Init(WindowRef window);
  OSStatus Init(CFStringRef windowName, CFStringRef nibName);
  OSStatus Init(WindowClass windowClass, WindowAttributes attributes, const Rect& bounds);
  // Forgets the window without disposing of it.
  void SourceWindowDispose();
  // The object attached to `window`, or null.
  static TWindow* GetTWindowFromWindowRef(WindowRef window);

  WindowRef GetWindowRef() const { return window; }
  CGrafPtr GetPort();
  OSStatus SetTitle(CFStringRef title);
  // Owned by the caller; null when the title cannot be copied.
  CFStringRef CopyTitle();
  OSStatus SetAlternateTitle(CFStringRef title);
  CFStringRef CopyAlternateTitle();
  bool IsVisible();
  void Select();
  OSStatus SetBounds(const Rect& bounds);
  OSStatus InvalidateArea(RgnHandle region);
  OSStatus InvalidateArea(const Rect& bounds);
  OSStatus ValidateArea(RgnHandle region);
  OSStatus ValidateArea(const Rect& bounds);
  OSStatus SetDefaultButton(ControlRef control);
  OSStatus SetCancelButton(ControlRef control);

  // Null when the window has no such control.
  ControlRef GetView(const ControlID& id);
  ControlRef GetView(OSType signature, SInt32 id);
  // errUnknownControl when the window has no such control.
  OSStatus EnableView(const ControlID& id);
  OSStatus EnableView(OSType signature, SInt32 id);
  OSStatus DisableView(const ControlID& id);
  OSStatus DisableView(OSType signature, SInt32 id);
  OSStatus ShowView(const ControlID& id);
  OSStatus ShowView(OSType signature, SInt32 id);
  OSStatus HideView(const ControlID& id);
  OSStatus HideView(OSType signature, SInt32 id);

  // Window close, activated, deactivated, disposed, draw content, bounds changed, the three size
  // requests, command process, command update status, control hit.
  static const EventTypeSpec kEvents[12];

 protected:
  // Null before Init and after the window is disposed of by its source.
  WindowRef window;
};
