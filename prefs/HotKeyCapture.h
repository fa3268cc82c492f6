// The hot-key fields of the Preferences window: a key pressed in one of them becomes that field's
// hot key (only the key: the modifiers of the global hot key are fixed) and the field shows the
// key's name.
#pragma once

#include "platform/CarbonEvents.h"
#include "switch/KVMSwitch.h"

// A key code with a name; the rows of MappedKeys and HotKeyList.
struct _KEY_NAME {
  UInt32 code;
  char name[36];
};

// Names of the special Mac keys (virtual key codes); any other key is named by the character it
// types.
extern const _KEY_NAME MappedKeys[48];
// The keys the switch accepts as its own trigger key, by USB HID usage (keyboard page), then a
// row with code 0 and an empty name that ends the list.
extern const _KEY_NAME HotKeyList[6];

// One hot-key field of the Preferences window.
struct _HOT_KEY_FIELD {
  ControlRef control;          // the edit field
  EventHandlerRef keyHandler;  // Handle_EventRawKeyDown on the field; null when none
  _HOT_KEY hotKey;             // the key as being edited
};

// The fields of ports 1 to 4.
extern _HOT_KEY_FIELD HotConfig[4];

// The raw-key-down handler of a hot-key field; `userData` is the field's index 0 to 3. Captures
// the key pressed into HotConfig and shows its name in the field, and takes the key, so that it
// never reaches the field's own text editing.
OSStatus Handle_EventRawKeyDown(EventHandlerCallRef callRef, EventRef event, void* userData);
