// Global hot keys: a key with modifiers that reaches the program from anywhere, whichever window
// or program has the keyboard. A press of a registered combination sends kEventHotKeyPressed
// (class kEventClassKeyboard) with the registration's EventHotKeyID as its direct object
// (typeEventHotKeyID) to the target it was registered for; a combination nobody registered
// reaches nobody as a hot key.
#pragma once

#include <functional>
#include <vector>

#include "platform/CarbonEvents.h"
#include "platform/KeyCodes.h"
#include "platform/MacTypes.h"
#include "platform/ToolboxRefs.h"

// One registration; its number is never given out again, so a handle kept after its
// registration is gone is simply not found.
using EventHotKeyRef = plat::ObjectHandle<struct EventHotKeyKind>;
using OptionBits = UInt32;

// Registers `keyCode` (a virtual key code) with exactly the modifier bits `modifiers` (controlKey,
// optionKey, ...). eventHotKeyExistsErr when the combination is registered already (by this
// program or another one), eventHotKeyInvalidErr for a key code beyond the keyboard's (above
// 0x7F), paramErr for a target that does not exist or a null `outRef`.
OSStatus RegisterEventHotKey(UInt32 keyCode, UInt32 modifiers, EventHotKeyID hotKeyID,
                             EventTargetRef target, OptionBits options, EventHotKeyRef* outRef);
// paramErr for a handle that is not registered (any more).
OSStatus UnregisterEventHotKey(EventHotKeyRef hotKey);

namespace plat {

struct HotKeyRegistration {
  EventHotKeyRef ref;
  UInt32 keyCode;
  UInt32 modifiers;
  EventHotKeyID id;
  EventTargetRef target;
};

// The hot keys registered now, oldest first (for fronts, which grab these keys from the system).
std::vector<HotKeyRegistration> RegisteredHotKeys();
// `observer` runs after every registration and unregistration.
using HotKeyObserverId = UInt64;
HotKeyObserverId AddHotKeyObserver(std::function<void()> observer);
void RemoveHotKeyObserver(HotKeyObserverId observer);

// A person presses `keyCode` with `modifiers` held: the hot key registered for exactly that
// combination is sent to its target, and the answer of the target's handlers is returned.
// eventNotHandledErr, with nothing sent, when no hot key has that combination.
OSStatus PressHotKey(UInt32 keyCode, UInt32 modifiers);

// Test hook: from now on registering `keyCode` (with any modifiers) fails with `status`, as when
// another program holds that key.
void RefuseHotKey(UInt32 keyCode, OSStatus status = eventHotKeyExistsErr);
// Back to no registrations, no refusals and no observers.
void ResetHotKeys();

}  // namespace plat
