// The program's global hot keys as passive key grabs on the X root window: each registered
// combination is grabbed as it stands and also with Caps Lock and Num Lock on, and a press of a
// grabbed key becomes the platform's hot-key press. The grabs follow every registration and
// unregistration.
//
// A combination another program holds already cannot be grabbed: that one key is said to be
// lost on standard error and the others work. Without an X display there are no grabs.
#pragma once

#include <gdk/gdk.h>

#include <set>
#include <string>
#include <vector>

#include "platform/HotKeys.h"

// Xlib's display, named without Xlib's header (whose macros clash with the platform's names).
struct _XDisplay;

namespace plat::gtk {

class X11HotKeys {
 public:
  explicit X11HotKeys(GdkDisplay* display);
  ~X11HotKeys();
  X11HotKeys(const X11HotKeys&) = delete;
  X11HotKeys& operator=(const X11HotKeys&) = delete;

  // Whether the keys are grabbed on an X display.
  bool Grabbing() const { return xdisplay_ != nullptr; }

 private:
  struct Grab {
    UInt32 macKeyCode;
    UInt32 macModifiers;
    int xKeyCode;
    unsigned xModifiers;
  };

  void Regrab();
  void Ungrab();
  bool GrabAllLockStates(const Grab& grab);
  void KeyPressed(int xKeyCode, unsigned state);
  static GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent* event, gpointer self);

  GdkDisplay* display_ = nullptr;
  GdkWindow* rootWindow_ = nullptr;
  _XDisplay* xdisplay_ = nullptr;
  unsigned long root_ = 0;  // the root window's XID
  unsigned numLockMask_ = 0;
  std::vector<Grab> grabs_;
  std::set<int> keysDown_;              // grabbed keys held down (auto-repeat is not a press)
  std::set<std::string> toldUnusable_;  // combinations said to be held by another program
  HotKeyObserverId observer_ = 0;
};

}  // namespace plat::gtk
