// What a front (the console, the desktop) needs from the toolbox model: a view of the windows
// with their controls, the menu bar and the Dock menu; an observer told of every change; and the
// actions a person does, each turned into the events the Mac would send.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/MacWindows.h"
#include "platform/Menus.h"

namespace plat {

struct ModelChange {
  enum What { kWindow, kControl, kMenu, kMenuBar, kDockMenu };
  What what;
  WindowRef window;  // the window changed, or the window of the control changed
  ControlRef control;
  MenuRef menu;
};
using ModelObserver = std::function<void(const ModelChange&)>;
using ObserverId = std::uint64_t;
ObserverId AddModelObserver(ModelObserver observer);
void RemoveModelObserver(ObserverId observer);

struct MenuItemView {
  MenuItemIndex index;
  std::string text;
  MenuCommand command;
  CharParameter mark;
  MenuItemAttributes attributes;
  bool enabled;  // neither the item nor its menu disabled
  bool hidden;
  bool separator;
  MenuRef submenu;
};

struct MenuView {
  MenuRef ref;
  std::string title;
  bool enabled;
  std::vector<MenuItemView> items;
};

struct ControlView {
  ControlRef ref;
  ControlRef parent;  // null for the root view
  OSType kind;        // kControlKind...
  ControlID id;
  std::string title;  // buttons, checkboxes, group boxes
  std::string text;   // edit and static text fields (UTF-8)
  SInt32 value;
  SInt32 minimum;
  SInt32 maximum;
  MenuRef popupMenu;
  std::vector<std::string> popupItems;
  // The control's own flags...
  bool visible;
  bool enabled;
  bool active;
  // ...and what a person sees: shown (it and its embedders visible) and usable (shown, enabled
  // and active, with its embedders).
  bool shown;
  bool usable;
  Rect bounds;  // window content coordinates
  UInt32 command;
  bool isDefault;
  bool isCancel;
  bool focused;
};

struct WindowView {
  WindowRef ref;
  std::string title;
  WindowClass windowClass;
  WindowAttributes attributes;
  Rect content;  // global
  bool visible;
  bool active;
  bool needsDrawing;
  std::vector<ControlView> controls;  // depth first in window order, the root view first
};

// Front to back.
std::vector<WindowView> Windows();
std::optional<WindowView> DescribeWindow(WindowRef window);
std::optional<MenuView> DescribeMenu(MenuRef menu);
std::vector<MenuView> MenuBarMenus();
std::optional<MenuView> DockMenu();

// The front the program is linked with (the console, the desktop). The application event loop
// starts it each time the loop runs, so that it shows what the model holds and feeds the run loop
// what a person does, and stops it when the loop returns.
class Front {
 public:
  virtual ~Front() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
};
// Installs the front (null: none). Only the pointer is kept, so a front linked into a program can
// install itself while the program's static objects are made, before main runs.
void InstallFront(Front* front);
Front* InstalledFront();

// The main screen, on which windows are centred.
Rect MainScreenBounds();
void SetMainScreenBounds(const Rect& bounds);

// A person's actions. Each answers the status of the event it sent, paramErr for an object that
// does not exist, or eventNotHandledErr when the target cannot be used (hidden, disabled or
// inactive control; disabled or hidden menu item).

// A click on a control: kEventControlClick to the control; the standard handler flips a
// checkbox, presses a button (kEventControlHit, then its command), focuses an edit field.
OSStatus ClickControl(ControlRef control);
// Chooses item `item` of a popup button: its value becomes `item`, then kEventControlHit.
OSStatus ChoosePopupItem(ControlRef popup, MenuItemIndex item);
// Gives the keyboard focus to an edit field.
OSStatus FocusControl(ControlRef control);
// A click in the window: brings it to the front.
OSStatus ClickWindow(WindowRef window);
// The close box: kEventWindowClose to the window.
OSStatus ClickCloseBox(WindowRef window);
// A drag or resize to new content bounds (global).
OSStatus DragWindowTo(WindowRef window, const Rect& content);
// Draws a window that needs it: kEventWindowDrawContent.
OSStatus DrawWindow(WindowRef window);
// A key pressed: kEventRawKeyDown with kEventParamKeyCode (UInt32), kEventParamKeyMacCharCodes
// (one char) and kEventParamKeyModifiers (UInt32), to the focused control of the active window,
// else to the active window, else to the application.
OSStatus PressKey(UInt32 keyCode, char charCode, UInt32 modifiers = 0);
// Opens a menu: kEventMenuPopulate with the menu as direct object to the menu, going on to the
// application.
OSStatus OpenMenu(MenuRef menu);
// Opens the Dock menu (populate, as above) and answers what it then shows; nothing when the
// application has no Dock menu.
std::optional<MenuView> OpenDockMenu();
// Chooses a menu item: kEventCommandProcess with its HICommand (command ID, the menu and item
// index) to the menu, going on to the active window (except for the Dock menu) and the
// application.
OSStatus ChooseMenuItem(MenuRef menu, MenuItemIndex item);

}  // namespace plat
