#include "prefs/HotKeyCapture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/Controls.h"

const _KEY_NAME MappedKeys[48] = {
    {0x33, "Backspace"},
    {0x24, "Enter"},
    {0x30, "Tab"},
    {0x39, "Caps Lock"},
    {0x31, "Space"},
    {0x53, "1 (Numeric Pad)"},
    {0x54, "2 (Numeric Pad)"},
    {0x55, "3 (Numeric Pad)"},
    {0x56, "4 (Numeric Pad)"},
    {0x57, "5 (Numeric Pad)"},
    {0x58, "6 (Numeric Pad)"},
    {0x59, "7 (Numeric Pad)"},
    {0x5B, "8 (Numeric Pad)"},
    {0x5C, "9 (Numeric Pad)"},
    {0x52, "0 (Numeric Pad)"},
    {0x41, ". (Numeric Pad)"},
    {0x51, "=(Numeric Pad)"},
    {0x4B, "/ (Numeric Pad)"},
    {0x43, "* (Numeric Pad)"},
    {0x4E, "- (Numeric Pad)"},
    {0x45, "+ (Numeric Pad)"},
    {0x47, "Clear (Numeric Pad)"},
    {0x4C, "Enter (Numeric Pad)"},
    {0x7D, "Down Arrow"},
    {0x7E, "Up Arrow"},
    {0x7C, "Right Arrow"},
    {0x7B, "Left Arrow"},
    {0x74, "Page Up"},
    {0x79, "Page Down"},
    {0x73, "Home"},
    {0x77, "End"},
    {0x72, "Help"},
    {0x75, "Suppress"},
    {0x7A, "F1"},
    {0x78, "F2"},
    {0x63, "F3"},
    {0x76, "F4"},
    {0x60, "F5"},
    {0x61, "F6"},
    {0x62, "F7"},
    {0x64, "F8"},
    {0x65, "F9"},
    {0x6D, "F10"},
    {0x67, "F11"},
    {0x6F, "F12"},
    {0x69, "F13"},
    {0x6B, "F14"},
    {0x71, "F15"},
};

const _KEY_NAME HotKeyList[6] = {
    {0x47, "Scroll Lock"}, {0x53, "Num Lock"}, {0x39, "Caps Lock"},
    {0x45, "F12"},         {0x29, "Esc"},      {0, ""},
};

_HOT_KEY_FIELD HotConfig[4];

namespace {
// A captured name fills at most the first 32 bytes of keyName, and byte 32 ends it.
constexpr std::size_t kCapturedNameLength = 32;
}  // namespace

OSStatus Handle_EventRawKeyDown(EventHandlerCallRef, EventRef event, void* userData) {
  const std::uintptr_t field = reinterpret_cast<std::uintptr_t>(userData);
  if (field > 3)
    return noErr;

  UInt32 keyCode = 0;
  const OSStatus codeStatus = GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr,
                                                sizeof keyCode, nullptr, &keyCode);
  if (codeStatus != noErr)
    return codeStatus;
  fprintf(stderr, "keycode - %d - ", static_cast<int>(keyCode));

  // The one-character text of the key; empty when the key types nothing or its character cannot
  // be had (a failed request writes nothing).
  char text[2] = {0, 0};
  const OSStatus charStatus =
      GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &text[0]);
  fprintf(stderr, "Charcode - %d \n", static_cast<int>(static_cast<SInt8>(text[0])));

  const char* name = text;
  for (const _KEY_NAME& mapped : MappedKeys) {
    if (mapped.code == keyCode) {
      name = mapped.name;
      break;
    }
  }

  _HOT_KEY_FIELD& target = HotConfig[field];
  if (target.control) {
    SetControlData(target.control, 0, kControlEditTextTextTag, static_cast<Size>(std::strlen(name)),
                   name);
  }
  target.hotKey.keyCode = keyCode;
  // At most 32 characters, NUL up to byte 32; bytes 33 to 35 stay as they were.
  std::memset(target.hotKey.keyName, 0, kCapturedNameLength + 1);
  std::memcpy(target.hotKey.keyName, name, strnlen(name, kCapturedNameLength));
  // Taken: the key never reaches the field's own text editing.
  return charStatus;
}
