#include "platform/gtk/X11HotKeys.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <array>
#include <iostream>

#include "platform/KeyCodes.h"
#include "platform/gtk/GLibLoop.h"
#include "platform/gtk/KeyTable.h"

namespace plat::gtk {
namespace {

// "Control+Alt+F6", as a person reads it on a PC keyboard.
std::string CombinationName(UInt32 macKeyCode, UInt32 macModifiers) {
  std::string name;
  if ((macModifiers & controlKey) != 0)
    name += "Control+";
  if ((macModifiers & optionKey) != 0)
    name += "Alt+";
  if ((macModifiers & shiftKey) != 0)
    name += "Shift+";
  if ((macModifiers & cmdKey) != 0)
    name += "Super+";
  const MacKey* key = FindKeyByCode(macKeyCode);
  return name + (key != nullptr ? key->name : "key " + std::to_string(macKeyCode));
}

// The modifier bit Num Lock sets (usually Mod2), from the display's modifier map.
unsigned NumLockMask(Display* display) {
  const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
  XModifierKeymap* map = XGetModifierMapping(display);
  unsigned mask = 0;
  if (map != nullptr && numLock != 0) {
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int k = 0; k < map->max_keypermod; ++k) {
        if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
          mask = 1u << modifier;
      }
    }
  }
  if (map != nullptr)
    XFreeModifiermap(map);
  return mask;
}

}  // namespace

X11HotKeys::X11HotKeys(GdkDisplay* display) : display_(display) {
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display))
    return;
  xdisplay_ = gdk_x11_display_get_xdisplay(display);
  rootWindow_ = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
  root_ = gdk_x11_window_get_xid(rootWindow_);
  numLockMask_ = NumLockMask(xdisplay_);
  gdk_window_add_filter(rootWindow_, &X11HotKeys::Filter, this);
  observer_ = AddHotKeyObserver([this] { Regrab(); });
  Regrab();
}

X11HotKeys::~X11HotKeys() {
  if (xdisplay_ == nullptr)
    return;
  RemoveHotKeyObserver(observer_);
  Ungrab();
  gdk_window_remove_filter(rootWindow_, &X11HotKeys::Filter, this);
  XFlush(xdisplay_);
}

void X11HotKeys::Regrab() {
  Ungrab();
  GdkKeymap* keymap = gdk_keymap_get_for_display(display_);
  for (const HotKeyRegistration& registration : RegisteredHotKeys()) {
    const guint xKeyCode = XKeyCodeForMacKey(keymap, registration.keyCode);
    if (xKeyCode == 0)
      continue;
    const Grab grab{registration.keyCode, registration.modifiers, static_cast<int>(xKeyCode),
                    XModifierMask(registration.modifiers & ~alphaLock)};
    if (GrabAllLockStates(grab)) {
      grabs_.push_back(grab);
      continue;
    }
    const std::string name = CombinationName(grab.macKeyCode, grab.macModifiers);
    if (toldUnusable_.insert(name).second) {
      std::cerr << "tallowmere: " << name
                << " is taken by another program; that hot key does not work\n";
    }
  }
  XFlush(xdisplay_);
  // Waiting for the errors may have read events from the X connection into Xlib's queue, where
  // no readable descriptor tells of them.
  if (GLibLoop* loop = GLibLoop::Current())
    loop->Schedule();
}

bool X11HotKeys::GrabAllLockStates(const Grab& grab) {
  const std::array<unsigned, 4> locks{0u, LockMask, numLockMask_, LockMask | numLockMask_};
  gdk_x11_display_error_trap_push(display_);
  for (unsigned lock : locks) {
    XGrabKey(xdisplay_, grab.xKeyCode, grab.xModifiers | lock, root_, False, GrabModeAsync,
             GrabModeAsync);
  }
  // Another client's grab of the same combination fails with BadAccess.
  if (gdk_x11_display_error_trap_pop(display_) == 0)
    return true;
  gdk_x11_display_error_trap_push(display_);
  for (unsigned lock : locks)
    XUngrabKey(xdisplay_, grab.xKeyCode, grab.xModifiers | lock, root_);
  gdk_x11_display_error_trap_pop_ignored(display_);
  return false;
}

void X11HotKeys::Ungrab() {
  if (grabs_.empty())
    return;
  const std::array<unsigned, 4> locks{0u, LockMask, numLockMask_, LockMask | numLockMask_};
  gdk_x11_display_error_trap_push(display_);
  for (const Grab& grab : grabs_) {
    for (unsigned lock : locks)
      XUngrabKey(xdisplay_, grab.xKeyCode, grab.xModifiers | lock, root_);
  }
  gdk_x11_display_error_trap_pop_ignored(display_);
  grabs_.clear();
  keysDown_.clear();
}

void X11HotKeys::KeyPressed(int xKeyCode, unsigned state) {
  const unsigned held = state & ~(LockMask | numLockMask_) & 0xFFu;
  const auto grab = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& known) {
    return known.xKeyCode == xKeyCode && known.xModifiers == held;
  });
  if (grab == grabs_.end())
    return;
  // The key held down repeats its press; the hot key fires once.
  if (!keysDown_.insert(xKeyCode).second)
    return;
  PressHotKey(grab->macKeyCode, grab->macModifiers);
}

GdkFilterReturn X11HotKeys::Filter(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  auto* hotKeys = static_cast<X11HotKeys*>(self);
  const XEvent* event = static_cast<const XEvent*>(xevent);
  if (event->type == KeyPress) {
    hotKeys->KeyPressed(static_cast<int>(event->xkey.keycode), event->xkey.state);
    return GDK_FILTER_REMOVE;
  }
  if (event->type == KeyRelease) {
    hotKeys->keysDown_.erase(static_cast<int>(event->xkey.keycode));
    return GDK_FILTER_REMOVE;
  }
  return GDK_FILTER_CONTINUE;
}

}  // namespace plat::gtk
