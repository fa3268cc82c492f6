// Windows: the front-to-back order, activation, titles, bounds and placement, properties.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/model/toolbox/ToolboxModel.h"

struct OpaqueGrafPtr {
  WindowRef window;
};

namespace plat::toolbox {
namespace {

std::map<UInt32, std::unique_ptr<Window>> windows;
std::vector<WindowRef> order;  // front first
WindowRef active = nullptr;
Rect mainScreen{0, 0, 900, 1440};
constexpr SInt16 kMenuBarHeight = 22;

bool IsFloating(const Window& window) {
  return window.windowClass == kFloatingWindowClass || window.windowClass == kUtilityWindowClass;
}

SInt16 TitleBarHeight(const Window& window) {
  switch (window.windowClass) {
    case kDocumentWindowClass:
    case kMovableModalWindowClass:
    case kMovableAlertWindowClass:
      return 22;
    case kFloatingWindowClass:
    case kUtilityWindowClass:
      return 16;
    default:
      return 0;
  }
}

SInt16 Clamp16(long value) {
  return static_cast<SInt16>(std::clamp<long>(value, -32768, 32767));
}

bool IsWellFormed(const Rect& rect) {
  return rect.bottom >= rect.top && rect.right >= rect.left;
}

void SendWindowEvent(WindowRef ref, UInt32 kind) {
  if (Window* window = FindWindow(ref)) {
    SendSimpleEvent(window->target.get(), kEventClassWindow, kind, typeWindowRef, &ref, sizeof ref);
  }
}

// The active window is the frontmost visible non-floating one; a change is reported to the old
// window, then to the new one.
void UpdateActivation() {
  WindowRef next = nullptr;
  for (WindowRef ref : order) {
    const Window* window = FindWindow(ref);
    if (window != nullptr && window->visible && !IsFloating(*window)) {
      next = ref;
      break;
    }
  }
  if (next == active)
    return;
  const WindowRef previous = active;
  active = next;
  if (FindWindow(previous) != nullptr) {
    Notify(ModelChange::kWindow, previous);
    SendWindowEvent(previous, kEventWindowDeactivated);
  }
  if (FindWindow(next) != nullptr) {
    Notify(ModelChange::kWindow, next);
    SendWindowEvent(next, kEventWindowActivated);
  }
}

void ResizeRoot(Window& window) {
  if (Control* root = FindControl(window.root)) {
    root->bounds = Rect{0, 0, static_cast<SInt16>(window.content.bottom - window.content.top),
                        static_cast<SInt16>(window.content.right - window.content.left)};
  }
}

Rect StructureOf(const Window& window) {
  Rect structure = window.content;
  structure.top = Clamp16(structure.top - TitleBarHeight(window));
  return structure;
}

}  // namespace

Window* FindWindow(WindowRef ref) {
  if (!ref)
    return nullptr;
  auto it = windows.find(ref.value);
  return it == windows.end() ? nullptr : it->second.get();
}

const std::vector<WindowRef>& WindowOrder() {
  return order;
}

OSStatus ChangeWindowBounds(WindowRef ref, const Rect& content, UInt32 userAttributes) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (!IsWellFormed(content))
    return paramErr;
  const Rect original = window->content;
  UInt32 attributes = userAttributes;
  if (content.bottom - content.top != original.bottom - original.top ||
      content.right - content.left != original.right - original.left) {
    attributes |= kWindowBoundsChangeSizeChanged;
  }
  if (content.top != original.top || content.left != original.left) {
    attributes |= kWindowBoundsChangeOriginChanged;
  }
  if ((attributes & (kWindowBoundsChangeSizeChanged | kWindowBoundsChangeOriginChanged)) == 0) {
    return noErr;
  }
  window->content = content;
  ResizeRoot(*window);
  Notify(ModelChange::kWindow, ref);
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassWindow, kEventWindowBoundsChanged, 0, 0, &event);
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof ref, &ref);
  SetEventParameter(event, kEventParamAttributes, typeUInt32, sizeof attributes, &attributes);
  SetEventParameter(event, kEventParamOriginalBounds, typeQDRectangle, sizeof original, &original);
  SetEventParameter(event, kEventParamPreviousBounds, typeQDRectangle, sizeof original, &original);
  SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof content, &content);
  SendEventToEventTarget(event, window->target.get());
  ReleaseEvent(event);
  return noErr;
}

void DisposeAllWindows() {
  while (!windows.empty())
    DisposeWindow(WindowRef(windows.begin()->first));
  order.clear();
  active = nullptr;
}

}  // namespace plat::toolbox

using namespace plat::toolbox;

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow) {
  if (contentBounds == nullptr || outWindow == nullptr || !IsWellFormed(*contentBounds)) {
    return paramErr;
  }
  auto window = std::make_unique<Window>();
  window->ref = WindowRef(NewHandleValue());
  window->windowClass = windowClass;
  window->attributes = attributes;
  window->content = *contentBounds;
  window->scope =
      IsFloating(*window) ? kWindowActivationScopeIndependent : kWindowActivationScopeAll;
  window->port = std::make_unique<OpaqueGrafPtr>(OpaqueGrafPtr{window->ref});
  window->target = NewTarget(TargetKind::kWindow, window->ref.value);
  const WindowRef ref = window->ref;
  windows[ref.value] = std::move(window);
  Window& created = *windows[ref.value];
  created.root = NewControl(ref, nullptr, kControlKindUserPane, Rect{0, 0, 0, 0});
  ResizeRoot(created);
  order.insert(order.begin(), ref);
  *outWindow = ref;
  Notify(plat::ModelChange::kWindow, ref);
  return noErr;
}

void DisposeWindow(WindowRef ref) {
  Window* disposing = FindWindow(ref);
  if (disposing == nullptr || disposing->disposing)
    return;
  disposing->disposing = true;
  SendWindowEvent(ref, kEventWindowDisposed);
  Window* window = FindWindow(ref);  // a handler may have disposed of it already
  if (window == nullptr)
    return;
  DestroyControlTree(window->root);
  DestroyTarget(window->target);
  order.erase(std::remove(order.begin(), order.end(), ref), order.end());
  windows.erase(ref.value);
  if (active == ref)
    active = nullptr;
  Notify(plat::ModelChange::kWindow, ref);
  UpdateActivation();
}

Boolean IsValidWindowPtr(WindowRef window) {
  return FindWindow(window) != nullptr;
}

void ShowWindow(WindowRef ref) {
  Window* window = FindWindow(ref);
  if (window == nullptr || window->visible)
    return;
  window->visible = true;
  Notify(plat::ModelChange::kWindow, ref);
  UpdateActivation();
}

void HideWindow(WindowRef ref) {
  Window* window = FindWindow(ref);
  if (window == nullptr || !window->visible)
    return;
  window->visible = false;
  Notify(plat::ModelChange::kWindow, ref);
  UpdateActivation();
}

Boolean IsWindowVisible(WindowRef ref) {
  const Window* window = FindWindow(ref);
  return window != nullptr && window->visible;
}

void SelectWindow(WindowRef ref) {
  if (FindWindow(ref) == nullptr)
    return;
  order.erase(std::remove(order.begin(), order.end(), ref), order.end());
  order.insert(order.begin(), ref);
  Notify(plat::ModelChange::kWindow, ref);
  UpdateActivation();
}

Boolean IsWindowActive(WindowRef ref) {
  return ref && ref == active;
}

WindowRef FrontWindow() {
  for (WindowRef ref : order) {
    if (IsWindowVisible(ref))
      return ref;
  }
  return nullptr;
}

WindowRef ActiveNonFloatingWindow() {
  return active;
}

OSStatus GetWindowClass(WindowRef ref, WindowClass* outClass) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (outClass == nullptr)
    return paramErr;
  *outClass = window->windowClass;
  return noErr;
}

OSStatus GetWindowAttributes(WindowRef ref, WindowAttributes* outAttributes) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (outAttributes == nullptr)
    return paramErr;
  *outAttributes = window->attributes;
  return noErr;
}

namespace {
OSStatus SetText(WindowRef ref, std::string Window::*field, CFStringRef text) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (text == nullptr)
    return paramErr;
  window->*field = plat::ToStdString(text);
  Notify(plat::ModelChange::kWindow, ref);
  return noErr;
}

OSStatus CopyText(WindowRef ref, std::string Window::*field, CFStringRef* outText) {
  if (outText == nullptr)
    return paramErr;
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  *outText = plat::MakeCFString(window->*field);
  return noErr;
}
}  // namespace

OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title) {
  return SetText(window, &Window::title, title);
}
OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle) {
  return CopyText(window, &Window::title, outTitle);
}
OSStatus SetWindowAlternateTitle(WindowRef window, CFStringRef title) {
  return SetText(window, &Window::alternateTitle, title);
}
OSStatus CopyWindowAlternateTitle(WindowRef window, CFStringRef* outTitle) {
  return CopyText(window, &Window::alternateTitle, outTitle);
}

OSStatus SetWindowBounds(WindowRef ref, WindowRegionCode region, const Rect* bounds) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (bounds == nullptr || !IsWellFormed(*bounds))
    return paramErr;
  Rect content = *bounds;
  if (region == kWindowStructureRgn) {
    content.top = Clamp16(content.top + TitleBarHeight(*window));
    if (content.top > content.bottom)
      content.bottom = content.top;
  } else if (region != kWindowContentRgn) {
    return paramErr;
  }
  return ChangeWindowBounds(ref, content, 0);
}

OSStatus GetWindowBounds(WindowRef ref, WindowRegionCode region, Rect* outBounds) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (outBounds == nullptr)
    return paramErr;
  if (region == kWindowStructureRgn) {
    *outBounds = StructureOf(*window);
  } else if (region == kWindowContentRgn) {
    *outBounds = window->content;
  } else {
    return paramErr;
  }
  return noErr;
}

OSStatus RepositionWindow(WindowRef ref, WindowRef parentRef, WindowPositionMethod method) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  // The area to centre the window's structure (title bar and content) in.
  Rect area = mainScreen;
  if (method == kWindowCenterOnMainScreen) {
    area.top = Clamp16(area.top + kMenuBarHeight);
  } else if (method == kWindowCenterOnParentWindow) {
    const Window* parent = FindWindow(parentRef);
    if (parent == nullptr)
      return errInvalidWindowRef;
    area = StructureOf(*parent);
  } else {
    return paramErr;
  }
  const long width = window->content.right - window->content.left;
  const long height = window->content.bottom - window->content.top;
  const long structureHeight = height + TitleBarHeight(*window);
  const long left = area.left + (area.right - area.left - width) / 2;
  const long top =
      std::max<long>(area.top, area.top + (area.bottom - area.top - structureHeight) / 2);
  const long contentTop = top + TitleBarHeight(*window);
  return ChangeWindowBounds(
      ref,
      Rect{Clamp16(contentTop), Clamp16(left), Clamp16(contentTop + height), Clamp16(left + width)},
      0);
}

OSStatus SetWindowProperty(WindowRef ref, PropertyCreator creator, PropertyTag tag, ByteCount size,
                           const void* buffer) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (size > 0 && buffer == nullptr)
    return paramErr;
  const auto* bytes = static_cast<const UInt8*>(buffer);
  window->properties[{creator, tag}] = std::vector<UInt8>(bytes, bytes + size);
  return noErr;
}

OSStatus GetWindowProperty(WindowRef ref, PropertyCreator creator, PropertyTag tag,
                           ByteCount bufferSize, ByteCount* actualSize, void* buffer) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  auto it = window->properties.find({creator, tag});
  if (it == window->properties.end())
    return errWindowPropertyNotFound;
  if (actualSize != nullptr)
    *actualSize = it->second.size();
  if (buffer != nullptr && !it->second.empty()) {
    std::memcpy(buffer, it->second.data(), std::min(bufferSize, it->second.size()));
  }
  return noErr;
}

OSStatus GetWindowPropertySize(WindowRef ref, PropertyCreator creator, PropertyTag tag,
                               ByteCount* size) {
  return GetWindowProperty(ref, creator, tag, 0, size, nullptr);
}

OSStatus RemoveWindowProperty(WindowRef ref, PropertyCreator creator, PropertyTag tag) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  return window->properties.erase({creator, tag}) > 0 ? noErr : errWindowPropertyNotFound;
}

namespace {
OSStatus SetButton(WindowRef ref, ControlRef Window::*field, ControlRef control) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (control) {
    const Control* button = FindControl(control);
    if (button == nullptr || button->window != ref)
      return errUnknownControl;
  }
  window->*field = control;
  Notify(plat::ModelChange::kWindow, ref);
  return noErr;
}

OSStatus GetButton(WindowRef ref, ControlRef Window::*field, ControlRef* outControl) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (outControl == nullptr)
    return paramErr;
  *outControl = FindControl(window->*field) != nullptr ? window->*field : ControlRef(nullptr);
  return noErr;
}
}  // namespace

OSStatus SetWindowDefaultButton(WindowRef window, ControlRef control) {
  return SetButton(window, &Window::defaultButton, control);
}
OSStatus GetWindowDefaultButton(WindowRef window, ControlRef* outControl) {
  return GetButton(window, &Window::defaultButton, outControl);
}
OSStatus SetWindowCancelButton(WindowRef window, ControlRef control) {
  return SetButton(window, &Window::cancelButton, control);
}
OSStatus GetWindowCancelButton(WindowRef window, ControlRef* outControl) {
  return GetButton(window, &Window::cancelButton, outControl);
}

OSStatus SetWindowActivationScope(WindowRef ref, WindowActivationScope scope) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (scope > kWindowActivationScopeAll)
    return paramErr;
  window->scope = scope;
  return noErr;
}

OSStatus GetWindowActivationScope(WindowRef ref, WindowActivationScope* outScope) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (outScope == nullptr)
    return paramErr;
  *outScope = window->scope;
  return noErr;
}

CGrafPtr GetWindowPort(WindowRef ref) {
  Window* window = FindWindow(ref);
  return window == nullptr ? nullptr : window->port.get();
}

namespace {
OSStatus MarkDrawing(WindowRef ref, bool needed) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (window->needsDrawing != needed) {
    window->needsDrawing = needed;
    Notify(plat::ModelChange::kWindow, ref);
  }
  return noErr;
}
}  // namespace

OSStatus InvalWindowRgn(WindowRef window, RgnHandle region) {
  return EmptyRgn(region) ? (FindWindow(window) ? noErr : errInvalidWindowRef)
                          : MarkDrawing(window, true);
}
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds) {
  if (bounds == nullptr)
    return paramErr;
  return MarkDrawing(window, true);
}
// The front redraws whole windows: validating any part leaves nothing to draw.
OSStatus ValidWindowRgn(WindowRef window, RgnHandle) {
  return MarkDrawing(window, false);
}
OSStatus ValidWindowRect(WindowRef window, const Rect* bounds) {
  if (bounds == nullptr)
    return paramErr;
  return MarkDrawing(window, false);
}

namespace plat {
int LiveWindows() {
  return static_cast<int>(toolbox::windows.size());
}
Rect MainScreenBounds() {
  return toolbox::mainScreen;
}
void SetMainScreenBounds(const Rect& bounds) {
  toolbox::mainScreen = bounds;
}
}  // namespace plat
