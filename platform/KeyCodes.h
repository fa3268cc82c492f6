// The keys of the keyboard as the Mac numbers them (virtual key codes, which do not depend on
// the layout), the modifier bits of the event-modifier word, and one table shared by every front
// that turns a person's key into a key press: each key's name and the characters it types.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/MacTypes.h"

// Virtual key codes of the keys of an ANSI keyboard, named by the key's US character.
constexpr UInt16 kVK_ANSI_A = 0x00;
constexpr UInt16 kVK_ANSI_S = 0x01;
constexpr UInt16 kVK_ANSI_D = 0x02;
constexpr UInt16 kVK_ANSI_F = 0x03;
constexpr UInt16 kVK_ANSI_H = 0x04;
constexpr UInt16 kVK_ANSI_G = 0x05;
constexpr UInt16 kVK_ANSI_Z = 0x06;
constexpr UInt16 kVK_ANSI_X = 0x07;
constexpr UInt16 kVK_ANSI_C = 0x08;
constexpr UInt16 kVK_ANSI_V = 0x09;
constexpr UInt16 kVK_ANSI_B = 0x0B;
constexpr UInt16 kVK_ANSI_Q = 0x0C;
constexpr UInt16 kVK_ANSI_W = 0x0D;
constexpr UInt16 kVK_ANSI_E = 0x0E;
constexpr UInt16 kVK_ANSI_R = 0x0F;
constexpr UInt16 kVK_ANSI_Y = 0x10;
constexpr UInt16 kVK_ANSI_T = 0x11;
constexpr UInt16 kVK_ANSI_1 = 0x12;
constexpr UInt16 kVK_ANSI_2 = 0x13;
constexpr UInt16 kVK_ANSI_3 = 0x14;
constexpr UInt16 kVK_ANSI_4 = 0x15;
constexpr UInt16 kVK_ANSI_6 = 0x16;
constexpr UInt16 kVK_ANSI_5 = 0x17;
constexpr UInt16 kVK_ANSI_Equal = 0x18;
constexpr UInt16 kVK_ANSI_9 = 0x19;
constexpr UInt16 kVK_ANSI_7 = 0x1A;
constexpr UInt16 kVK_ANSI_Minus = 0x1B;
constexpr UInt16 kVK_ANSI_8 = 0x1C;
constexpr UInt16 kVK_ANSI_0 = 0x1D;
constexpr UInt16 kVK_ANSI_RightBracket = 0x1E;
constexpr UInt16 kVK_ANSI_O = 0x1F;
constexpr UInt16 kVK_ANSI_U = 0x20;
constexpr UInt16 kVK_ANSI_LeftBracket = 0x21;
constexpr UInt16 kVK_ANSI_I = 0x22;
constexpr UInt16 kVK_ANSI_P = 0x23;
constexpr UInt16 kVK_ANSI_L = 0x25;
constexpr UInt16 kVK_ANSI_J = 0x26;
constexpr UInt16 kVK_ANSI_Quote = 0x27;
constexpr UInt16 kVK_ANSI_K = 0x28;
constexpr UInt16 kVK_ANSI_Semicolon = 0x29;
constexpr UInt16 kVK_ANSI_Backslash = 0x2A;
constexpr UInt16 kVK_ANSI_Comma = 0x2B;
constexpr UInt16 kVK_ANSI_Slash = 0x2C;
constexpr UInt16 kVK_ANSI_N = 0x2D;
constexpr UInt16 kVK_ANSI_M = 0x2E;
constexpr UInt16 kVK_ANSI_Period = 0x2F;
constexpr UInt16 kVK_ANSI_Grave = 0x32;
constexpr UInt16 kVK_ANSI_KeypadDecimal = 0x41;
constexpr UInt16 kVK_ANSI_KeypadMultiply = 0x43;
constexpr UInt16 kVK_ANSI_KeypadPlus = 0x45;
constexpr UInt16 kVK_ANSI_KeypadClear = 0x47;
constexpr UInt16 kVK_ANSI_KeypadDivide = 0x4B;
constexpr UInt16 kVK_ANSI_KeypadEnter = 0x4C;
constexpr UInt16 kVK_ANSI_KeypadMinus = 0x4E;
constexpr UInt16 kVK_ANSI_KeypadEquals = 0x51;
constexpr UInt16 kVK_ANSI_Keypad0 = 0x52;
constexpr UInt16 kVK_ANSI_Keypad1 = 0x53;
constexpr UInt16 kVK_ANSI_Keypad2 = 0x54;
constexpr UInt16 kVK_ANSI_Keypad3 = 0x55;
constexpr UInt16 kVK_ANSI_Keypad4 = 0x56;
constexpr UInt16 kVK_ANSI_Keypad5 = 0x57;
constexpr UInt16 kVK_ANSI_Keypad6 = 0x58;
constexpr UInt16 kVK_ANSI_Keypad7 = 0x59;
constexpr UInt16 kVK_ANSI_Keypad8 = 0x5B;
constexpr UInt16 kVK_ANSI_Keypad9 = 0x5C;

// Keys that type the same whatever the layout.
constexpr UInt16 kVK_Return = 0x24;
constexpr UInt16 kVK_Tab = 0x30;
constexpr UInt16 kVK_Space = 0x31;
constexpr UInt16 kVK_Delete = 0x33;  // backspace
constexpr UInt16 kVK_Escape = 0x35;
constexpr UInt16 kVK_Command = 0x37;
constexpr UInt16 kVK_Shift = 0x38;
constexpr UInt16 kVK_CapsLock = 0x39;
constexpr UInt16 kVK_Option = 0x3A;
constexpr UInt16 kVK_Control = 0x3B;
constexpr UInt16 kVK_F17 = 0x40;
constexpr UInt16 kVK_F18 = 0x4F;
constexpr UInt16 kVK_F19 = 0x50;
constexpr UInt16 kVK_F20 = 0x5A;
constexpr UInt16 kVK_F5 = 0x60;
constexpr UInt16 kVK_F6 = 0x61;
constexpr UInt16 kVK_F7 = 0x62;
constexpr UInt16 kVK_F3 = 0x63;
constexpr UInt16 kVK_F8 = 0x64;
constexpr UInt16 kVK_F9 = 0x65;
constexpr UInt16 kVK_F11 = 0x67;
constexpr UInt16 kVK_F13 = 0x69;
constexpr UInt16 kVK_F16 = 0x6A;
constexpr UInt16 kVK_F14 = 0x6B;
constexpr UInt16 kVK_F10 = 0x6D;
constexpr UInt16 kVK_F12 = 0x6F;
constexpr UInt16 kVK_F15 = 0x71;
constexpr UInt16 kVK_Help = 0x72;
constexpr UInt16 kVK_Home = 0x73;
constexpr UInt16 kVK_PageUp = 0x74;
constexpr UInt16 kVK_ForwardDelete = 0x75;
constexpr UInt16 kVK_F4 = 0x76;
constexpr UInt16 kVK_End = 0x77;
constexpr UInt16 kVK_F2 = 0x78;
constexpr UInt16 kVK_PageDown = 0x79;
constexpr UInt16 kVK_F1 = 0x7A;
constexpr UInt16 kVK_LeftArrow = 0x7B;
constexpr UInt16 kVK_RightArrow = 0x7C;
constexpr UInt16 kVK_DownArrow = 0x7D;
constexpr UInt16 kVK_UpArrow = 0x7E;

// Bits of the event-modifier word (kEventParamKeyModifiers, hot-key registrations).
constexpr UInt32 cmdKey = 0x0100;
constexpr UInt32 shiftKey = 0x0200;
constexpr UInt32 alphaLock = 0x0400;  // Caps Lock is on
constexpr UInt32 optionKey = 0x0800;
constexpr UInt32 controlKey = 0x1000;

namespace plat {

// One key of the keyboard.
struct MacKey {
  UInt16 keyCode;
  // What a person calls it: the special keys by name ("F6", "Space", "1 (Numeric Pad)"), the
  // others by the character they type without Shift ("1", "q").
  const char* name;
  char character;         // the Mac character code it types; 0 for none
  char shiftedCharacter;  // the same with Shift (or, for letters, Caps Lock)
};

// Every key that sends key-down events (the modifier keys do not), in key-code order.
std::span<const MacKey> MacKeys();
const MacKey* FindKeyByCode(UInt32 keyCode);

// A key and the modifiers to hold with it.
struct KeyPress {
  UInt16 keyCode;
  UInt32 modifiers;
};
// The key a person names: by its name ("F6", "Space", "1 (Numeric Pad)", "q"), or by a character
// it types with Shift ("Q", "!"), which then comes with shiftKey.
std::optional<KeyPress> FindKeyByName(std::string_view name);

// The character `keyCode` types with `modifiers`: Shift, and Caps Lock for letters, choose the
// shifted character; the other modifiers leave it as it is. 0 for an unknown key.
char KeyCharacter(UInt32 keyCode, UInt32 modifiers);

// A person presses `keyCode` with `modifiers` held: the global hot key registered for that
// combination, if there is one, takes it (kEventHotKeyPressed to its target); otherwise
// kEventRawKeyDown with the key's character goes to the focused control (see PressKey).
// Answers the status of the event sent.
OSStatus TypeKey(UInt32 keyCode, UInt32 modifiers = 0);

}  // namespace plat
