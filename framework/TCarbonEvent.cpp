#include "framework/TCarbonEvent.h"

namespace {
// The size each value type has as an event parameter.
template <typename T>
constexpr UInt32 ParameterSize() {
  return static_cast<UInt32>(sizeof(T));
}
static_assert(ParameterSize<Boolean>() == 1 && ParameterSize<bool>() == 1);
static_assert(ParameterSize<Point>() == 4 && ParameterSize<CGPoint>() == 8);
static_assert(ParameterSize<Rect>() == 8 && ParameterSize<CGRect>() == 16);
static_assert(ParameterSize<CGSize>() == 8 && ParameterSize<UInt32>() == 4);
static_assert(ParameterSize<HICommand>() == 14 && ParameterSize<HICommandExtended>() == 14);
static_assert(ParameterSize<short>() == 2);
}  // namespace

TCarbonEvent::TCarbonEvent(UInt32 eventClass, UInt32 kind) : event(nullptr) {
  CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event);
}

TCarbonEvent::TCarbonEvent(EventRef wrapped) : event(wrapped) {
  RetainEvent(event);
}

TCarbonEvent::~TCarbonEvent() {
  ReleaseEvent(event);
}

OSStatus TCarbonEvent::PostToQueue(EventQueueRef queue, short priority) {
  return PostEventToQueue(queue, event, priority);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, EventParamType type, UInt32 size,
                                    const void* data) {
  return SetEventParameter(event, name, type, size, data);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, EventParamType type, UInt32 bufferSize,
                                    void* data) {
  return GetEventParameter(event, name, type, nullptr, bufferSize, nullptr, data);
}

OSStatus TCarbonEvent::GetParameterType(EventParamName name, UInt32* outType) {
  return GetEventParameter(event, name, typeWildCard, outType, 0, nullptr, nullptr);
}

OSStatus TCarbonEvent::GetParameterSize(EventParamName name, UInt32* outSize) {
  ByteCount size = 0;
  const OSStatus status = GetEventParameter(event, name, typeWildCard, nullptr, 0, &size, nullptr);
  if (status == noErr && outSize != nullptr)
    *outSize = static_cast<UInt32>(size);
  return status;
}

// Each value type with its parameter type code and size.
OSStatus TCarbonEvent::SetParameter(EventParamName name, Boolean value) {
  return SetParameter(name, typeBoolean, ParameterSize<Boolean>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, bool value) {
  return SetParameter(name, typeBoolean, ParameterSize<bool>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, Point value) {
  return SetParameter(name, typeQDPoint, ParameterSize<Point>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const CGPoint& value) {
  return SetParameter(name, typeHIPoint, ParameterSize<CGPoint>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const Rect& value) {
  return SetParameter(name, typeQDRectangle, ParameterSize<Rect>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const CGRect& value) {
  return SetParameter(name, typeHIRect, ParameterSize<CGRect>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const CGSize& value) {
  return SetParameter(name, typeHISize, ParameterSize<CGSize>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, RgnHandle value) {
  return SetParameter(name, typeQDRgnHandle, ParameterSize<RgnHandle>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, WindowRef value) {
  return SetParameter(name, typeWindowRef, ParameterSize<WindowRef>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, ControlRef value) {
  return SetParameter(name, typeControlRef, ParameterSize<ControlRef>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, MenuRef value) {
  return SetParameter(name, typeMenuRef, ParameterSize<MenuRef>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, DragRef value) {
  return SetParameter(name, typeDragRef, ParameterSize<DragRef>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, UInt32 value) {
  return SetParameter(name, typeUInt32, ParameterSize<UInt32>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const HICommand& value) {
  return SetParameter(name, typeHICommand, ParameterSize<HICommand>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const HICommandExtended& value) {
  return SetParameter(name, typeHICommand, ParameterSize<HICommandExtended>(), &value);
}

OSStatus TCarbonEvent::SetParameter(EventParamName name, const short& value) {
  return SetParameter(name, typeControlPartCode, ParameterSize<short>(), &value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, Boolean* value) {
  return GetParameter(name, typeBoolean, ParameterSize<Boolean>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, bool* value) {
  return GetParameter(name, typeBoolean, ParameterSize<bool>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, Point* value) {
  return GetParameter(name, typeQDPoint, ParameterSize<Point>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, CGPoint* value) {
  return GetParameter(name, typeHIPoint, ParameterSize<CGPoint>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, Rect* value) {
  return GetParameter(name, typeQDRectangle, ParameterSize<Rect>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, CGRect* value) {
  return GetParameter(name, typeHIRect, ParameterSize<CGRect>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, CGSize* value) {
  return GetParameter(name, typeHISize, ParameterSize<CGSize>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, RgnHandle* value) {
  return GetParameter(name, typeQDRgnHandle, ParameterSize<RgnHandle>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, WindowRef* value) {
  return GetParameter(name, typeWindowRef, ParameterSize<WindowRef>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, ControlRef* value) {
  return GetParameter(name, typeControlRef, ParameterSize<ControlRef>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, MenuRef* value) {
  return GetParameter(name, typeMenuRef, ParameterSize<MenuRef>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, DragRef* value) {
  return GetParameter(name, typeDragRef, ParameterSize<DragRef>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, UInt32* value) {
  return GetParameter(name, typeUInt32, ParameterSize<UInt32>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, HICommand* value) {
  return GetParameter(name, typeHICommand, ParameterSize<HICommand>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, HICommandExtended* value) {
  return GetParameter(name, typeHICommand, ParameterSize<HICommandExtended>(), value);
}

OSStatus TCarbonEvent::GetParameter(EventParamName name, short* value) {
  return GetParameter(name, typeControlPartCode, ParameterSize<short>(), value);
}
