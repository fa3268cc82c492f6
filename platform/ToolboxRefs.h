// Handles of the user-interface objects: windows, controls (views) and menus.
//
// Each is a 32-bit number, 0 meaning none, looked up by the platform on every call: a handle of an
// object that is gone is simply not found, and a command record carrying one of them keeps the
// 14-byte layout the event parameters use. They behave like the pointers they stand for: they
// compare, test as true when set, and take NULL, nullptr or a value-initialisation for none.
#pragma once

#include <compare>
#include <cstddef>

#include "platform/MacTypes.h"

namespace plat {
template <typename Kind>
struct ObjectHandle {
  UInt32 value;  // 0 = none

  ObjectHandle() = default;  // uninitialised, like a raw pointer
  constexpr ObjectHandle(std::nullptr_t) : value(0) {}
  constexpr explicit ObjectHandle(UInt32 number) : value(number) {}
  constexpr explicit operator bool() const { return value != 0; }
  friend constexpr bool operator==(ObjectHandle, ObjectHandle) = default;
  friend constexpr auto operator<=>(ObjectHandle, ObjectHandle) = default;
};
}  // namespace plat

using WindowRef = plat::ObjectHandle<struct WindowKind>;
using WindowPtr = WindowRef;
using ControlRef = plat::ObjectHandle<struct ControlKindTag>;
using HIViewRef = ControlRef;
using MenuRef = plat::ObjectHandle<struct MenuKind>;
using MenuHandle = MenuRef;

using MenuItemIndex = UInt16;
using MenuCommand = UInt32;
using MenuID = SInt16;

static_assert(sizeof(WindowRef) == 4 && sizeof(ControlRef) == 4 && sizeof(MenuRef) == 4);
