// Holds one reference on an event and reads and writes its parameters with their types.
#pragma once

#include "platform/CarbonEvents.h"

class TCarbonEvent {
 public:
  // A new event (time 0: now; no attributes).
  TCarbonEvent(UInt32 eventClass, UInt32 kind);
  // Wraps an existing event and retains it.
  explicit TCarbonEvent(EventRef event);
  virtual ~TCarbonEvent();
  TCarbonEvent(const TCarbonEvent&) = delete;
  TCarbonEvent& operator=(const TCarbonEvent&) = delete;

  UInt32 GetClass() const { return GetEventClass(event); }
  UInt32 GetKind() const { return GetEventKind(event); }
  EventTime GetTime() const { return GetEventTime(event); }
  operator EventRef() const { return event; }

  OSStatus PostToQueue(EventQueueRef queue, short priority);

  OSStatus SetParameter(EventParamName name, EventParamType type, UInt32 size, const void* data);
  OSStatus GetParameter(EventParamName name, EventParamType type, UInt32 bufferSize, void* data);
  OSStatus GetParameterType(EventParamName name, UInt32* outType);
  OSStatus GetParameterSize(EventParamName name, UInt32* outSize);

  OSStatus SetParameter(EventParamName name, Boolean value);
  OSStatus SetParameter(EventParamName name, bool value);
  OSStatus SetParameter(EventParamName name, Point value);
  OSStatus SetParameter(EventParamName name, const CGPoint& value);
  OSStatus SetParameter(EventParamName name, const Rect& value);
  OSStatus SetParameter(EventParamName name, const CGRect& value);
  OSStatus SetParameter(EventParamName name, const CGSize& value);
  OSStatus SetParameter(EventParamName name, RgnHandle value);
  OSStatus SetParameter(EventParamName name, WindowRef value);
  OSStatus SetParameter(EventParamName name, ControlRef value);
  OSStatus SetParameter(EventParamName name, MenuRef value);
  OSStatus SetParameter(EventParamName name, DragRef value);
  OSStatus SetParameter(EventParamName name, UInt32 value);
  OSStatus SetParameter(EventParamName name, const HICommand& value);
  OSStatus SetParameter(EventParamName name, const HICommandExtended& value);
  OSStatus SetParameter(EventParamName name, const short& value);

  OSStatus GetParameter(EventParamName name, Boolean* value);
  OSStatus GetParameter(EventParamName name, bool* value);
  OSStatus GetParameter(EventParamName name, Point* value);
  OSStatus GetParameter(EventParamName name, CGPoint* value);
  OSStatus GetParameter(EventParamName name, Rect* value);
  OSStatus GetParameter(EventParamName name, CGRect* value);
  OSStatus GetParameter(EventParamName name, CGSize* value);
  OSStatus GetParameter(EventParamName name, RgnHandle* value);
  OSStatus GetParameter(EventParamName name, WindowRef* value);
  OSStatus GetParameter(EventParamName name, ControlRef* value);
  OSStatus GetParameter(EventParamName name, MenuRef* value);
  OSStatus GetParameter(EventParamName name, DragRef* value);
  OSStatus GetParameter(EventParamName name, UInt32* value);
  OSStatus GetParameter(EventParamName name, HICommand* value);
  OSStatus GetParameter(EventParamName name, HICommandExtended* value);
  OSStatus GetParameter(EventParamName name, short* value);

 private:
  // Null when the event could not be created.
  EventRef event;
};
