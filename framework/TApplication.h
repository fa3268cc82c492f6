// The base of the application object: loads the menu bar, subscribes to the application-level
// events the program reacts to, runs the application event loop, and turns each event into a
// call of one virtual operation. A subclass overrides the operations it needs; each answers true
// when it handled the event.
#pragma once

#include "framework/TCarbonEvent.h"
#include "framework/TEventHandler.h"
#include "platform/CoreFoundation.h"

class TApplication : public TEventHandler {
 public:
  TApplication(CFStringRef menuBarName, CFStringRef nibName);
  ~TApplication() override;

  OSStatus HandleEvent(EventHandlerCallRef callRef, TCarbonEvent& event) override;
  EventTargetRef GetEventTarget() override;
  // Runs the application event loop until it is quit.
  virtual void Run();
  virtual void Activated();
  virtual void Deactivated();
  virtual bool UpdateCommandStatus(const HICommandExtended& command);
  virtual bool HandleCommand(const HICommandExtended& command);
  virtual bool UpdateDockMenu(MenuRef& menu);
  virtual bool OpenSettingsDialog();
  virtual bool HandleHotKey(EventHotKeyID& id);
  virtual bool HandleUserLogin(unsigned long kind);

  // Subscribes to kEvents, then installs the menu bar `menuBarName` of the nib `nibName`;
  // the status of the first step that fails.
  OSStatus Init(CFStringRef menuBarName, CFStringRef nibName);

  // Command process, menu populate, application shown, hot key pressed, user session
  // activated and deactivated.
  static const EventTypeSpec kEvents[6];
};
