// The keyboard: every key that sends key-down events, with its name and the characters it types
// on a US layout, and a key press as a front reports it.
#include "platform/KeyCodes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "platform/FrontModel.h"
#include "platform/HotKeys.h"

namespace {

// Mac character codes of keys that type no printable character.
constexpr char kNone = 0;
constexpr char kHomeChar = 0x01;
constexpr char kEnterChar = 0x03;
constexpr char kEndChar = 0x04;
constexpr char kHelpChar = 0x05;
constexpr char kBackspaceChar = 0x08;
constexpr char kTabChar = 0x09;
constexpr char kPageUpChar = 0x0B;
constexpr char kPageDownChar = 0x0C;
constexpr char kReturnChar = 0x0D;
constexpr char kFunctionKeyChar = 0x10;
constexpr char kEscapeChar = 0x1B;
constexpr char kLeftArrowChar = 0x1C;
constexpr char kRightArrowChar = 0x1D;
constexpr char kUpArrowChar = 0x1E;
constexpr char kDownArrowChar = 0x1F;
constexpr char kForwardDeleteChar = 0x7F;

constexpr auto kKeys = std::to_array<plat::MacKey>({
    {kVK_ANSI_A, "a", 'a', 'A'},
    {kVK_ANSI_S, "s", 's', 'S'},
    {kVK_ANSI_D, "d", 'd', 'D'},
    {kVK_ANSI_F, "f", 'f', 'F'},
    {kVK_ANSI_H, "h", 'h', 'H'},
    {kVK_ANSI_G, "g", 'g', 'G'},
    {kVK_ANSI_Z, "z", 'z', 'Z'},
    {kVK_ANSI_X, "x", 'x', 'X'},
    {kVK_ANSI_C, "c", 'c', 'C'},
    {kVK_ANSI_V, "v", 'v', 'V'},
    {kVK_ANSI_B, "b", 'b', 'B'},
    {kVK_ANSI_Q, "q", 'q', 'Q'},
    {kVK_ANSI_W, "w", 'w', 'W'},
    {kVK_ANSI_E, "e", 'e', 'E'},
    {kVK_ANSI_R, "r", 'r', 'R'},
    {kVK_ANSI_Y, "y", 'y', 'Y'},
    {kVK_ANSI_T, "t", 't', 'T'},
    {kVK_ANSI_1, "1", '1', '!'},
    {kVK_ANSI_2, "2", '2', '@'},
    {kVK_ANSI_3, "3", '3', '#'},
    {kVK_ANSI_4, "4", '4', '$'},
    {kVK_ANSI_6, "6", '6', '^'},
    {kVK_ANSI_5, "5", '5', '%'},
    {kVK_ANSI_Equal, "=", '=', '+'},
    {kVK_ANSI_9, "9", '9', '('},
    {kVK_ANSI_7, "7", '7', '&'},
    {kVK_ANSI_Minus, "-", '-', '_'},
    {kVK_ANSI_8, "8", '8', '*'},
    {kVK_ANSI_0, "0", '0', ')'},
    {kVK_ANSI_RightBracket, "]", ']', '}'},
    {kVK_ANSI_O, "o", 'o', 'O'},
    {kVK_ANSI_U, "u", 'u', 'U'},
    {kVK_ANSI_LeftBracket, "[", '[', '{'},
    {kVK_ANSI_I, "i", 'i', 'I'},
    {kVK_ANSI_P, "p", 'p', 'P'},
    {kVK_Return, "Enter", kReturnChar, kReturnChar},
    {kVK_ANSI_L, "l", 'l', 'L'},
    {kVK_ANSI_J, "j", 'j', 'J'},
    {kVK_ANSI_Quote, "'", '\'', '"'},
    {kVK_ANSI_K, "k", 'k', 'K'},
    {kVK_ANSI_Semicolon, ";", ';', ':'},
    {kVK_ANSI_Backslash, "\\", '\\', '|'},
    {kVK_ANSI_Comma, ",", ',', '<'},
    {kVK_ANSI_Slash, "/", '/', '?'},
    {kVK_ANSI_N, "n", 'n', 'N'},
    {kVK_ANSI_M, "m", 'm', 'M'},
    {kVK_ANSI_Period, ".", '.', '>'},
    {kVK_Tab, "Tab", kTabChar, kTabChar},
    {kVK_Space, "Space", ' ', ' '},
    {kVK_ANSI_Grave, "`", '`', '~'},
    {kVK_Delete, "Backspace", kBackspaceChar, kBackspaceChar},
    {kVK_Escape, "Esc", kEscapeChar, kEscapeChar},
    {kVK_CapsLock, "Caps Lock", kNone, kNone},
    {kVK_F17, "F17", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_ANSI_KeypadDecimal, ". (Numeric Pad)", '.', '.'},
    {kVK_ANSI_KeypadMultiply, "* (Numeric Pad)", '*', '*'},
    {kVK_ANSI_KeypadPlus, "+ (Numeric Pad)", '+', '+'},
    {kVK_ANSI_KeypadClear, "Clear (Numeric Pad)", kEscapeChar, kEscapeChar},
    {kVK_ANSI_KeypadDivide, "/ (Numeric Pad)", '/', '/'},
    {kVK_ANSI_KeypadEnter, "Enter (Numeric Pad)", kEnterChar, kEnterChar},
    {kVK_ANSI_KeypadMinus, "- (Numeric Pad)", '-', '-'},
    {kVK_F18, "F18", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F19, "F19", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_ANSI_KeypadEquals, "=(Numeric Pad)", '=', '='},
    {kVK_ANSI_Keypad0, "0 (Numeric Pad)", '0', '0'},
    {kVK_ANSI_Keypad1, "1 (Numeric Pad)", '1', '1'},
    {kVK_ANSI_Keypad2, "2 (Numeric Pad)", '2', '2'},
    {kVK_ANSI_Keypad3, "3 (Numeric Pad)", '3', '3'},
    {kVK_ANSI_Keypad4, "4 (Numeric Pad)", '4', '4'},
    {kVK_ANSI_Keypad5, "5 (Numeric Pad)", '5', '5'},
    {kVK_ANSI_Keypad6, "6 (Numeric Pad)", '6', '6'},
    {kVK_ANSI_Keypad7, "7 (Numeric Pad)", '7', '7'},
    {kVK_F20, "F20", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_ANSI_Keypad8, "8 (Numeric Pad)", '8', '8'},
    {kVK_ANSI_Keypad9, "9 (Numeric Pad)", '9', '9'},
    {kVK_F5, "F5", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F6, "F6", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F7, "F7", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F3, "F3", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F8, "F8", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F9, "F9", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F11, "F11", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F13, "F13", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F16, "F16", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F14, "F14", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F10, "F10", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F12, "F12", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_F15, "F15", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_Help, "Help", kHelpChar, kHelpChar},
    {kVK_Home, "Home", kHomeChar, kHomeChar},
    {kVK_PageUp, "Page Up", kPageUpChar, kPageUpChar},
    {kVK_ForwardDelete, "Suppress", kForwardDeleteChar, kForwardDeleteChar},
    {kVK_F4, "F4", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_End, "End", kEndChar, kEndChar},
    {kVK_F2, "F2", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_PageDown, "Page Down", kPageDownChar, kPageDownChar},
    {kVK_F1, "F1", kFunctionKeyChar, kFunctionKeyChar},
    {kVK_LeftArrow, "Left Arrow", kLeftArrowChar, kLeftArrowChar},
    {kVK_RightArrow, "Right Arrow", kRightArrowChar, kRightArrowChar},
    {kVK_DownArrow, "Down Arrow", kDownArrowChar, kDownArrowChar},
    {kVK_UpArrow, "Up Arrow", kUpArrowChar, kUpArrowChar},
});

bool IsLetter(char character) {
  return character >= 'a' && character <= 'z';
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

namespace plat {

std::span<const MacKey> MacKeys() {
  return kKeys;
}

const MacKey* FindKeyByCode(UInt32 keyCode) {
  auto found = std::find_if(kKeys.begin(), kKeys.end(),
                            [keyCode](const MacKey& key) { return key.keyCode == keyCode; });
  return found == kKeys.end() ? nullptr : &*found;
}

std::optional<KeyPress> FindKeyByName(std::string_view name) {
  // One character names a key by what it types, so case matters ("q" and "Q" differ by Shift);
  // longer names are names ("F6", "space").
  for (const MacKey& key : kKeys) {
    const bool same = name.size() == 1 ? name == key.name : SameIgnoringCase(name, key.name);
    if (same)
      return KeyPress{key.keyCode, 0};
  }
  if (name.size() == 1) {
    for (const MacKey& key : kKeys) {
      if (key.shiftedCharacter == name[0] && key.character != name[0])
        return KeyPress{key.keyCode, shiftKey};
    }
  }
  return std::nullopt;
}

char KeyCharacter(UInt32 keyCode, UInt32 modifiers) {
  const MacKey* key = FindKeyByCode(keyCode);
  if (key == nullptr)
    return 0;
  const bool shifted =
      (modifiers & shiftKey) != 0 || ((modifiers & alphaLock) != 0 && IsLetter(key->character));
  return shifted ? key->shiftedCharacter : key->character;
}

OSStatus TypeKey(UInt32 keyCode, UInt32 modifiers) {
  const std::vector<HotKeyRegistration> hotKeys = RegisteredHotKeys();
  const bool isHotKey =
      std::any_of(hotKeys.begin(), hotKeys.end(), [&](const HotKeyRegistration& hotKey) {
        return hotKey.keyCode == keyCode && hotKey.modifiers == modifiers;
      });
  if (isHotKey)
    return PressHotKey(keyCode, modifiers);
  return PressKey(keyCode, KeyCharacter(keyCode, modifiers), modifiers);
}

}  // namespace plat
