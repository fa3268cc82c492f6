// The state behind the toolbox API: event targets and handlers, windows, controls and menus.
// Internal to the model; the system's code sees only the handles of platform/*.h.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/CarbonEvents.h"
#include "platform/Controls.h"
#include "platform/FrontModel.h"
#include "platform/MacWindows.h"
#include "platform/Menus.h"

namespace plat::toolbox {
enum class TargetKind { kApplication, kWindow, kControl, kMenu };
}  // namespace plat::toolbox

// A handler stays allocated until RemoveEventHandler, also when its target goes first; a dispatch
// in progress holds it too, so a handler may remove itself or others while events run.
struct OpaqueEventHandlerRef {
  EventHandlerUPP proc = nullptr;
  void* userData = nullptr;
  std::vector<EventTypeSpec> types;
  OpaqueEventTargetRef* target = nullptr;  // null once removed or detached

  bool Accepts(UInt32 eventClass, UInt32 kind) const;
};

struct OpaqueEventTargetRef {
  plat::toolbox::TargetKind kind;
  UInt32 owner = 0;  // handle value of the window, control or menu
  std::vector<std::shared_ptr<OpaqueEventHandlerRef>> handlers;  // most recently installed first
  bool alive = true;
};

namespace plat::toolbox {

using TargetPtr = std::shared_ptr<OpaqueEventTargetRef>;

// A target for a new window, control or menu (the application has its own).
TargetPtr NewTarget(TargetKind kind, UInt32 owner);
// Detaches the target's handlers and marks it gone: events can no longer be sent to it.
void DestroyTarget(const TargetPtr& target);
bool IsLiveTarget(EventTargetRef target);
TargetPtr ApplicationTarget();
// The targets an event sent to `target` visits, `target` first.
std::vector<TargetPtr> TargetChain(const TargetPtr& target);
TargetPtr SharedTarget(EventTargetRef target);

// The end of every chain: the platform's own reaction to an event no handler took.
OSStatus StandardHandler(EventRef event, const TargetPtr& original);

struct Control {
  ControlRef ref{};
  WindowRef window{};
  ControlRef parent{};
  std::vector<ControlRef> children;
  OSType kind = kControlKindUserPane;
  ControlID id{0, 0};
  std::string title;
  std::string text;  // edit and static text, as set (bytes)
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  bool visible = true;
  bool enabled = true;
  bool active = true;
  Rect bounds{0, 0, 0, 0};  // window content coordinates
  UInt32 command = 0;
  MenuRef menu{};  // a popup button's menu, one reference held
  TargetPtr target;
};

struct Window {
  WindowRef ref{};
  WindowClass windowClass = kDocumentWindowClass;
  WindowAttributes attributes = 0;
  std::string title;
  std::string alternateTitle;
  Rect content{0, 0, 0, 0};  // global
  bool visible = false;
  WindowActivationScope scope = kWindowActivationScopeAll;
  std::map<std::pair<OSType, OSType>, std::vector<UInt8>> properties;
  ControlRef root{};
  ControlRef defaultButton{};
  ControlRef cancelButton{};
  ControlRef focus{};
  bool needsDrawing = false;
  bool disposing = false;  // kEventWindowDisposed is under way
  std::unique_ptr<OpaqueGrafPtr> port;
  TargetPtr target;
};

struct MenuItem {
  std::string text;
  MenuCommand command = 0;
  CharParameter mark = 0;
  MenuItemAttributes attributes = 0;
  MenuRef submenu{};  // one reference held
};

struct Menu {
  MenuRef ref{};
  MenuID id = 0;
  std::string title;
  ItemCount retainCount = 1;
  bool enabled = true;
  std::vector<MenuItem> items;
  TargetPtr target;
};

Window* FindWindow(WindowRef window);
Control* FindControl(ControlRef control);
Menu* FindMenu(MenuRef menu);
MenuItem* FindItem(MenuRef menu, MenuItemIndex item);
// A menu bar handle holding its own reference to `root`.
Handle NewMenuBarHandle(MenuRef root);

// Windows front to back.
const std::vector<WindowRef>& WindowOrder();
// A handle number never given out before.
UInt32 NewHandleValue();
// Sets a window's content bounds and reports the change (with `userAttributes`, the user-drag
// and user-resize flags, added) to its handlers.
OSStatus ChangeWindowBounds(WindowRef window, const Rect& content, UInt32 userAttributes);
// Sends an event of class `eventClass` with `ref` as its direct object to `target`.
OSStatus SendSimpleEvent(EventTargetRef target, UInt32 eventClass, UInt32 kind, EventParamType type,
                         const void* ref, ByteCount size);
// Text stored as bytes, shown as UTF-8 (bytes that are not UTF-8 are taken as Latin-1).
std::string DisplayText(const std::string& bytes);

// Controls.
ControlRef NewControl(WindowRef window, ControlRef parent, OSType kind, const Rect& bounds);
void DestroyControlTree(ControlRef control);
// The control and all its embedders have the flag.
bool EffectivelyVisible(const Control& control);
bool EffectivelyEnabled(const Control& control);
bool EffectivelyActive(const Control& control);
// The window's controls depth first in window order, the root view first.
std::vector<ControlRef> ControlsInOrder(WindowRef window);
bool CanTakeFocus(const Control& control);
// A person's click on a control (kEventControlClick), with the popup item chosen when given.
OSStatus SendClick(ControlRef control, const MenuItemIndex* item);
// Drops the focus when the focused control can no longer take it.
void RevalidateFocus(WindowRef window);

// Windows and menus that go away without the usual calls (ResetToolbox).
void DisposeAllWindows();
void ReleaseAllMenus();
void ResetEventQueue();
void ResetHandlers();

// Tells the observers about a change.
void Notify(ModelChange::What what, WindowRef window = nullptr, ControlRef control = nullptr,
            MenuRef menu = nullptr);
void ResetObservers();

}  // namespace plat::toolbox
