// The base of every object that receives events: it owns at most one installed event handler,
// installed on the object's own event target the first time the object registers for events,
// and routes every event that arrives to the object's HandleEvent.
#pragma once

#include "platform/CarbonEvents.h"

class TCarbonEvent;

class TEventHandler {
 public:
  TEventHandler();
  // Removes the installed handler, if any.
  virtual ~TEventHandler();
  TEventHandler(const TEventHandler&) = delete;
  TEventHandler& operator=(const TEventHandler&) = delete;

  // noErr when the event was handled, eventNotHandledErr to let it go on.
  virtual OSStatus HandleEvent(EventHandlerCallRef callRef, TCarbonEvent& event) = 0;
  // Where the handler is installed.
  virtual EventTargetRef GetEventTarget() = 0;

  // The installed handler, installing it first if there is none (null when that fails).
  EventHandlerRef GetEventHandler();
  OSStatus RegisterForEvents(UInt32 numEvents, const EventTypeSpec* list);
  OSStatus UnregisterForEvents(UInt32 numEvents, const EventTypeSpec* list);

  // The one handler procedure shared by every object.
  static EventHandlerUPP GetEventHandlerProc();
  // `userData` is the TEventHandler that installed the handler.
  static OSStatus EventHandler(EventHandlerCallRef callRef, EventRef event, void* userData);

 private:
  EventHandlerRef handler;
  static EventHandlerUPP sHandlerProc;
};
