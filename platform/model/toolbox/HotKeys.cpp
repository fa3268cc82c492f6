// The registry of global hot keys, and their delivery when a front reports a press.
#include "platform/HotKeys.h"

#include <algorithm>
#include <map>

#include "platform/model/toolbox/ToolboxModel.h"

namespace {

constexpr UInt32 kHighestKeyCode = 0x7F;

struct HotKeyState {
  std::vector<plat::HotKeyRegistration> registrations;  // oldest first
  std::map<UInt32, OSStatus> refusals;                  // key code -> status
  std::map<plat::HotKeyObserverId, std::function<void()>> observers;
  UInt32 lastHandle = 0;  // never reset: old handles stay unknown
  plat::HotKeyObserverId lastObserver = 0;
};

HotKeyState& State() {
  static HotKeyState state;
  return state;
}

void TellObservers() {
  // An observer may add or remove observers.
  const auto current = State().observers;
  for (const auto& [id, observer] : current) {
    if (State().observers.contains(id))
      observer();
  }
}

}  // namespace

OSStatus RegisterEventHotKey(UInt32 keyCode, UInt32 modifiers, EventHotKeyID hotKeyID,
                             EventTargetRef target, OptionBits, EventHotKeyRef* outRef) {
  if (outRef == nullptr || !plat::toolbox::IsLiveTarget(target))
    return paramErr;
  HotKeyState& state = State();
  if (keyCode > kHighestKeyCode)
    return eventHotKeyInvalidErr;
  if (auto refusal = state.refusals.find(keyCode); refusal != state.refusals.end())
    return refusal->second;
  const bool taken = std::any_of(
      state.registrations.begin(), state.registrations.end(),
      [&](const auto& entry) { return entry.keyCode == keyCode && entry.modifiers == modifiers; });
  if (taken)
    return eventHotKeyExistsErr;
  const EventHotKeyRef ref(++state.lastHandle);
  state.registrations.push_back({ref, keyCode, modifiers, hotKeyID, target});
  *outRef = ref;
  TellObservers();
  return noErr;
}

OSStatus UnregisterEventHotKey(EventHotKeyRef hotKey) {
  auto& registrations = State().registrations;
  auto found = std::find_if(registrations.begin(), registrations.end(),
                            [hotKey](const auto& entry) { return entry.ref == hotKey; });
  if (!hotKey || found == registrations.end())
    return paramErr;
  registrations.erase(found);
  TellObservers();
  return noErr;
}

namespace plat {

std::vector<HotKeyRegistration> RegisteredHotKeys() {
  return State().registrations;
}

HotKeyObserverId AddHotKeyObserver(std::function<void()> observer) {
  State().observers[++State().lastObserver] = std::move(observer);
  return State().lastObserver;
}

void RemoveHotKeyObserver(HotKeyObserverId observer) {
  State().observers.erase(observer);
}

OSStatus PressHotKey(UInt32 keyCode, UInt32 modifiers) {
  const auto& registrations = State().registrations;
  auto found = std::find_if(registrations.begin(), registrations.end(), [&](const auto& entry) {
    return entry.keyCode == keyCode && entry.modifiers == modifiers;
  });
  if (found == registrations.end())
    return eventNotHandledErr;
  const HotKeyRegistration pressed = *found;  // a handler may change the registrations
  EventRef event = nullptr;
  OSStatus status = CreateEvent(nullptr, kEventClassKeyboard, kEventHotKeyPressed, 0,
                                kEventAttributeUserEvent, &event);
  if (status != noErr)
    return status;
  SetEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, sizeof pressed.id,
                    &pressed.id);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  status = SendEventToEventTarget(event, pressed.target);
  ReleaseEvent(event);
  return status;
}

void RefuseHotKey(UInt32 keyCode, OSStatus status) {
  State().refusals[keyCode] = status;
}

void ResetHotKeys() {
  HotKeyState& state = State();
  state.registrations.clear();
  state.refusals.clear();
  state.observers.clear();
}

}  // namespace plat
