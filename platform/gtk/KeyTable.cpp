#include "platform/gtk/KeyTable.h"

#include <gdk/gdkkeysyms.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

#include "platform/KeyCodes.h"

namespace plat::gtk {
namespace {

constexpr auto kTable = std::to_array<KeyTableEntry>({
    {kVK_ANSI_A, GDK_KEY_a, KEY_A},
    {kVK_ANSI_S, GDK_KEY_s, KEY_S},
    {kVK_ANSI_D, GDK_KEY_d, KEY_D},
    {kVK_ANSI_F, GDK_KEY_f, KEY_F},
    {kVK_ANSI_H, GDK_KEY_h, KEY_H},
    {kVK_ANSI_G, GDK_KEY_g, KEY_G},
    {kVK_ANSI_Z, GDK_KEY_z, KEY_Z},
    {kVK_ANSI_X, GDK_KEY_x, KEY_X},
    {kVK_ANSI_C, GDK_KEY_c, KEY_C},
    {kVK_ANSI_V, GDK_KEY_v, KEY_V},
    {kVK_ANSI_B, GDK_KEY_b, KEY_B},
    {kVK_ANSI_Q, GDK_KEY_q, KEY_Q},
    {kVK_ANSI_W, GDK_KEY_w, KEY_W},
    {kVK_ANSI_E, GDK_KEY_e, KEY_E},
    {kVK_ANSI_R, GDK_KEY_r, KEY_R},
    {kVK_ANSI_Y, GDK_KEY_y, KEY_Y},
    {kVK_ANSI_T, GDK_KEY_t, KEY_T},
    {kVK_ANSI_1, GDK_KEY_1, KEY_1},
    {kVK_ANSI_2, GDK_KEY_2, KEY_2},
    {kVK_ANSI_3, GDK_KEY_3, KEY_3},
    {kVK_ANSI_4, GDK_KEY_4, KEY_4},
    {kVK_ANSI_6, GDK_KEY_6, KEY_6},
    {kVK_ANSI_5, GDK_KEY_5, KEY_5},
    {kVK_ANSI_Equal, GDK_KEY_equal, KEY_EQUAL},
    {kVK_ANSI_9, GDK_KEY_9, KEY_9},
    {kVK_ANSI_7, GDK_KEY_7, KEY_7},
    {kVK_ANSI_Minus, GDK_KEY_minus, KEY_MINUS},
    {kVK_ANSI_8, GDK_KEY_8, KEY_8},
    {kVK_ANSI_0, GDK_KEY_0, KEY_0},
    {kVK_ANSI_RightBracket, GDK_KEY_bracketright, KEY_RIGHTBRACE},
    {kVK_ANSI_O, GDK_KEY_o, KEY_O},
    {kVK_ANSI_U, GDK_KEY_u, KEY_U},
    {kVK_ANSI_LeftBracket, GDK_KEY_bracketleft, KEY_LEFTBRACE},
    {kVK_ANSI_I, GDK_KEY_i, KEY_I},
    {kVK_ANSI_P, GDK_KEY_p, KEY_P},
    {kVK_Return, GDK_KEY_Return, KEY_ENTER},
    {kVK_ANSI_L, GDK_KEY_l, KEY_L},
    {kVK_ANSI_J, GDK_KEY_j, KEY_J},
    {kVK_ANSI_Quote, GDK_KEY_apostrophe, KEY_APOSTROPHE},
    {kVK_ANSI_K, GDK_KEY_k, KEY_K},
    {kVK_ANSI_Semicolon, GDK_KEY_semicolon, KEY_SEMICOLON},
    {kVK_ANSI_Backslash, GDK_KEY_backslash, KEY_BACKSLASH},
    {kVK_ANSI_Comma, GDK_KEY_comma, KEY_COMMA},
    {kVK_ANSI_Slash, GDK_KEY_slash, KEY_SLASH},
    {kVK_ANSI_N, GDK_KEY_n, KEY_N},
    {kVK_ANSI_M, GDK_KEY_m, KEY_M},
    {kVK_ANSI_Period, GDK_KEY_period, KEY_DOT},
    {kVK_Tab, GDK_KEY_Tab, KEY_TAB},
    {kVK_Space, GDK_KEY_space, KEY_SPACE},
    {kVK_ANSI_Grave, GDK_KEY_grave, KEY_GRAVE},
    {kVK_Delete, GDK_KEY_BackSpace, KEY_BACKSPACE},
    {kVK_Escape, GDK_KEY_Escape, KEY_ESC},
    {kVK_CapsLock, GDK_KEY_Caps_Lock, KEY_CAPSLOCK},
    {kVK_F17, GDK_KEY_F17, KEY_F17},
    {kVK_ANSI_KeypadDecimal, GDK_KEY_KP_Decimal, KEY_KPDOT},
    {kVK_ANSI_KeypadMultiply, GDK_KEY_KP_Multiply, KEY_KPASTERISK},
    {kVK_ANSI_KeypadPlus, GDK_KEY_KP_Add, KEY_KPPLUS},
    // The keypad's Clear key sits where PC keyboards have Num Lock.
    {kVK_ANSI_KeypadClear, GDK_KEY_Num_Lock, KEY_NUMLOCK},
    {kVK_ANSI_KeypadDivide, GDK_KEY_KP_Divide, KEY_KPSLASH},
    {kVK_ANSI_KeypadEnter, GDK_KEY_KP_Enter, KEY_KPENTER},
    {kVK_ANSI_KeypadMinus, GDK_KEY_KP_Subtract, KEY_KPMINUS},
    {kVK_F18, GDK_KEY_F18, KEY_F18},
    {kVK_F19, GDK_KEY_F19, KEY_F19},
    {kVK_ANSI_KeypadEquals, GDK_KEY_KP_Equal, KEY_KPEQUAL},
    {kVK_ANSI_Keypad0, GDK_KEY_KP_0, KEY_KP0},
    {kVK_ANSI_Keypad1, GDK_KEY_KP_1, KEY_KP1},
    {kVK_ANSI_Keypad2, GDK_KEY_KP_2, KEY_KP2},
    {kVK_ANSI_Keypad3, GDK_KEY_KP_3, KEY_KP3},
    {kVK_ANSI_Keypad4, GDK_KEY_KP_4, KEY_KP4},
    {kVK_ANSI_Keypad5, GDK_KEY_KP_5, KEY_KP5},
    {kVK_ANSI_Keypad6, GDK_KEY_KP_6, KEY_KP6},
    {kVK_ANSI_Keypad7, GDK_KEY_KP_7, KEY_KP7},
    {kVK_F20, GDK_KEY_F20, KEY_F20},
    {kVK_ANSI_Keypad8, GDK_KEY_KP_8, KEY_KP8},
    {kVK_ANSI_Keypad9, GDK_KEY_KP_9, KEY_KP9},
    {kVK_F5, GDK_KEY_F5, KEY_F5},
    {kVK_F6, GDK_KEY_F6, KEY_F6},
    {kVK_F7, GDK_KEY_F7, KEY_F7},
    {kVK_F3, GDK_KEY_F3, KEY_F3},
    {kVK_F8, GDK_KEY_F8, KEY_F8},
    {kVK_F9, GDK_KEY_F9, KEY_F9},
    {kVK_F11, GDK_KEY_F11, KEY_F11},
    {kVK_F13, GDK_KEY_F13, KEY_F13},
    {kVK_F16, GDK_KEY_F16, KEY_F16},
    {kVK_F14, GDK_KEY_F14, KEY_F14},
    {kVK_F10, GDK_KEY_F10, KEY_F10},
    {kVK_F12, GDK_KEY_F12, KEY_F12},
    {kVK_F15, GDK_KEY_F15, KEY_F15},
    // The Help key sits where PC keyboards have Insert.
    {kVK_Help, GDK_KEY_Insert, KEY_INSERT},
    {kVK_Home, GDK_KEY_Home, KEY_HOME},
    {kVK_PageUp, GDK_KEY_Page_Up, KEY_PAGEUP},
    {kVK_ForwardDelete, GDK_KEY_Delete, KEY_DELETE},
    {kVK_F4, GDK_KEY_F4, KEY_F4},
    {kVK_End, GDK_KEY_End, KEY_END},
    {kVK_F2, GDK_KEY_F2, KEY_F2},
    {kVK_PageDown, GDK_KEY_Page_Down, KEY_PAGEDOWN},
    {kVK_F1, GDK_KEY_F1, KEY_F1},
    {kVK_LeftArrow, GDK_KEY_Left, KEY_LEFT},
    {kVK_RightArrow, GDK_KEY_Right, KEY_RIGHT},
    {kVK_DownArrow, GDK_KEY_Down, KEY_DOWN},
    {kVK_UpArrow, GDK_KEY_Up, KEY_UP},
});

// X numbers keys from 8: its key code is the evdev code + 8.
constexpr guint kEvdevOffset = 8;

guint KeyCodeOf(GdkKeymap* keymap, const KeyTableEntry& entry) {
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  guint best = 0;
  if (keymap != nullptr && gdk_keymap_get_entries_for_keyval(keymap, entry.keysym, &keys, &count)) {
    // The first layout's key, unshifted if it has one (the keypad's digits are shifted keysyms
    // of their keys).
    for (gint i = 0; i < count; ++i) {
      if (keys[i].group != 0)
        continue;
      if (best == 0 || keys[i].level == 0)
        best = keys[i].keycode;
      if (keys[i].level == 0)
        break;
    }
    if (best == 0 && count > 0)
      best = keys[0].keycode;
    g_free(keys);
  }
  return best != 0 ? best : entry.evdevCode + kEvdevOffset;
}

}  // namespace

std::span<const KeyTableEntry> KeyTable() {
  return kTable;
}

const KeyTableEntry* FindKeyTableEntry(UInt32 macKeyCode) {
  const auto entry = std::find_if(kTable.begin(), kTable.end(), [&](const KeyTableEntry& known) {
    return known.macKeyCode == macKeyCode;
  });
  return entry == kTable.end() ? nullptr : &*entry;
}

guint XKeyCodeForMacKey(GdkKeymap* keymap, UInt32 macKeyCode) {
  const KeyTableEntry* entry = FindKeyTableEntry(macKeyCode);
  return entry == nullptr ? 0 : KeyCodeOf(keymap, *entry);
}

std::optional<UInt16> MacKeyForXKeyCode(GdkKeymap* keymap, guint xKeyCode) {
  for (const KeyTableEntry& entry : kTable) {
    if (KeyCodeOf(keymap, entry) == xKeyCode)
      return entry.macKeyCode;
  }
  return std::nullopt;
}

UInt32 MacModifiers(guint gdkState) {
  UInt32 modifiers = 0;
  if ((gdkState & GDK_SHIFT_MASK) != 0)
    modifiers |= shiftKey;
  if ((gdkState & GDK_LOCK_MASK) != 0)
    modifiers |= alphaLock;
  if ((gdkState & GDK_CONTROL_MASK) != 0)
    modifiers |= controlKey;
  if ((gdkState & GDK_MOD1_MASK) != 0)
    modifiers |= optionKey;
  if ((gdkState & (GDK_SUPER_MASK | GDK_MOD4_MASK)) != 0)
    modifiers |= cmdKey;
  return modifiers;
}

guint XModifierMask(UInt32 macModifiers) {
  guint mask = 0;
  if ((macModifiers & shiftKey) != 0)
    mask |= GDK_SHIFT_MASK;
  if ((macModifiers & alphaLock) != 0)
    mask |= GDK_LOCK_MASK;
  if ((macModifiers & controlKey) != 0)
    mask |= GDK_CONTROL_MASK;
  if ((macModifiers & optionKey) != 0)
    mask |= GDK_MOD1_MASK;
  if ((macModifiers & cmdKey) != 0)
    mask |= GDK_MOD4_MASK;
  return mask;
}

}  // namespace plat::gtk
