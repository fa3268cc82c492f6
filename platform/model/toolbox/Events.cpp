// Events: class, kind, time, attributes and typed parameters, reference-counted.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/CarbonEvents.h"

namespace {
long liveEvents = 0;

struct Parameter {
  EventParamType type;
  std::vector<UInt8> bytes;
};
}  // namespace

struct OpaqueEventRef {
  UInt32 eventClass;
  UInt32 kind;
  EventTime time;
  EventAttributes attributes;
  UInt32 retainCount = 1;
  std::map<EventParamName, Parameter> parameters;
};

OSStatus CreateEvent(const void*, UInt32 eventClass, UInt32 kind, EventTime when,
                     EventAttributes flags, EventRef* outEvent) {
  if (outEvent == nullptr)
    return paramErr;
  // A time of 0 stamps the event with the current time.
  const EventTime time = when == 0 ? GetCurrentEventTime() : when;
  *outEvent = new OpaqueEventRef{eventClass, kind, time, flags, 1, {}};
  ++liveEvents;
  return noErr;
}

EventRef CopyEvent(EventRef event) {
  if (event == nullptr)
    return nullptr;
  auto* copy = new OpaqueEventRef(*event);
  copy->retainCount = 1;
  ++liveEvents;
  return copy;
}

EventRef RetainEvent(EventRef event) {
  if (event != nullptr)
    ++event->retainCount;
  return event;
}

void ReleaseEvent(EventRef event) {
  if (event == nullptr)
    return;
  if (--event->retainCount == 0) {
    delete event;
    --liveEvents;
  }
}

UInt32 GetEventRetainCount(EventRef event) {
  return event == nullptr ? 0 : event->retainCount;
}
UInt32 GetEventClass(EventRef event) {
  return event == nullptr ? 0 : event->eventClass;
}
UInt32 GetEventKind(EventRef event) {
  return event == nullptr ? 0 : event->kind;
}
EventTime GetEventTime(EventRef event) {
  return event == nullptr ? 0 : event->time;
}

OSStatus SetEventTime(EventRef event, EventTime time) {
  if (event == nullptr)
    return paramErr;
  event->time = time;
  return noErr;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data) {
  if (event == nullptr || (size > 0 && data == nullptr))
    return paramErr;
  const auto* bytes = static_cast<const UInt8*>(data);
  event->parameters[name] = Parameter{type, std::vector<UInt8>(bytes, bytes + size)};
  return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize,
                           ByteCount* outActualSize, void* outData) {
  if (event == nullptr)
    return paramErr;
  auto it = event->parameters.find(name);
  if (it == event->parameters.end())
    return eventParameterNotFoundErr;
  const Parameter& parameter = it->second;
  if (desiredType != typeWildCard && desiredType != parameter.type)
    return errAECoercionFail;
  if (outActualType != nullptr)
    *outActualType = parameter.type;
  if (outActualSize != nullptr)
    *outActualSize = parameter.bytes.size();
  if (outData != nullptr && !parameter.bytes.empty()) {
    std::memcpy(outData, parameter.bytes.data(), std::min(bufferSize, parameter.bytes.size()));
  }
  return noErr;
}

OSStatus RemoveEventParameter(EventRef event, EventParamName name) {
  if (event == nullptr)
    return paramErr;
  return event->parameters.erase(name) > 0 ? noErr : eventParameterNotFoundErr;
}

namespace plat {
long LiveEvents() {
  return liveEvents;
}
EventAttributes EventAttributesOf(EventRef event) {
  return event == nullptr ? 0 : event->attributes;
}
}  // namespace plat
