// The one table between the keyboard as the program numbers it (Mac virtual key codes, as kept
// in HOTKEY.CFG) and the keyboard as X and GDK number it. The global hot keys and the key capture
// of hot-key fields both go through it, so a key captured in a field is the key grabbed later.
//
// Both numberings name positions on the keyboard, not characters. Each entry names the key by
// the keysym it has on a US layout and by its evdev code; the key code is found through the
// keymap in use (where that keysym is), and from the evdev code (+ 8) when the keymap does not
// have the keysym at all.
#pragma once

#include <gdk/gdk.h>

#include <optional>
#include <span>

#include "platform/MacTypes.h"

namespace plat::gtk {

struct KeyTableEntry {
  UInt16 macKeyCode;
  guint keysym;       // on a US layout, without Shift
  guint16 evdevCode;  // linux/input-event-codes.h
};

// Every key of platform/KeyCodes.h's keyboard, in Mac key-code order.
std::span<const KeyTableEntry> KeyTable();
// The entry of the Mac key, or null for a key the table does not have.
const KeyTableEntry* FindKeyTableEntry(UInt32 macKeyCode);

// The X (XKB) key code of the Mac key in `keymap`; 0 for a key the table does not have.
guint XKeyCodeForMacKey(GdkKeymap* keymap, UInt32 macKeyCode);
// The Mac key on X key code `xKeyCode`, if the table has one there.
std::optional<UInt16> MacKeyForXKeyCode(GdkKeymap* keymap, guint xKeyCode);

// The Mac modifier bits (controlKey, optionKey, shiftKey, cmdKey, alphaLock) of a GDK modifier
// state, and the X modifier mask that holds those Mac modifiers down.
UInt32 MacModifiers(guint gdkState);
guint XModifierMask(UInt32 macModifiers);

}  // namespace plat::gtk
