// Windows: creation and disposal, visibility and activation, titles, bounds and placement,
// properties, default and cancel buttons, activation scope, drawing areas.
//
// Windows are kept front to back; the active window is the frontmost visible non-floating one.
// Showing, hiding or selecting a window that changes which window is active sends
// kEventWindowDeactivated to the old one and then kEventWindowActivated to the new one.
#pragma once

#include "platform/CoreFoundation.h"
#include "platform/Geometry.h"
#include "platform/MacTypes.h"
#include "platform/ToolboxRefs.h"

using WindowClass = UInt32;
constexpr WindowClass kAlertWindowClass = 1;
constexpr WindowClass kMovableAlertWindowClass = 2;
constexpr WindowClass kModalWindowClass = 3;
constexpr WindowClass kMovableModalWindowClass = 4;
constexpr WindowClass kFloatingWindowClass = 5;
constexpr WindowClass kDocumentWindowClass = 6;
constexpr WindowClass kUtilityWindowClass = 8;
constexpr WindowClass kPlainWindowClass = 13;

using WindowAttributes = UInt32;
constexpr WindowAttributes kWindowNoAttributes = 0;
constexpr WindowAttributes kWindowCloseBoxAttribute = 1u << 0;
constexpr WindowAttributes kWindowHorizontalZoomAttribute = 1u << 1;
constexpr WindowAttributes kWindowVerticalZoomAttribute = 1u << 2;
constexpr WindowAttributes kWindowCollapseBoxAttribute = 1u << 3;
constexpr WindowAttributes kWindowResizableAttribute = 1u << 4;
constexpr WindowAttributes kWindowStandardHandlerAttribute = 1u << 25;

// The parts of a window whose bounds can be set: the whole window with its title bar, or the
// content below it.
using WindowRegionCode = UInt16;
constexpr WindowRegionCode kWindowStructureRgn = 32;
constexpr WindowRegionCode kWindowContentRgn = 33;

using WindowPositionMethod = UInt32;
constexpr WindowPositionMethod kWindowCenterOnMainScreen = 1;
constexpr WindowPositionMethod kWindowCenterOnParentWindow = 2;

// Which windows a window's activation deactivates: all (document windows), or none
// (floating windows, activated independently).
using WindowActivationScope = UInt32;
constexpr WindowActivationScope kWindowActivationScopeNone = 0;
constexpr WindowActivationScope kWindowActivationScopeIndependent = 1;
constexpr WindowActivationScope kWindowActivationScopeAll = 2;

using PropertyCreator = OSType;
using PropertyTag = OSType;

struct OpaqueGrafPtr;
using CGrafPtr = OpaqueGrafPtr*;

// A new, hidden window in front of the others, whose content has the global bounds given.
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow);
// Sends kEventWindowDisposed to the window's handlers, then destroys the window and its
// controls; the handlers installed on them receive nothing more.
void DisposeWindow(WindowRef window);
Boolean IsValidWindowPtr(WindowRef window);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
// Brings the window to the front (and activates it when it is visible).
void SelectWindow(WindowRef window);
Boolean IsWindowActive(WindowRef window);
WindowRef FrontWindow();
WindowRef ActiveNonFloatingWindow();

OSStatus GetWindowClass(WindowRef window, WindowClass* outClass);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);

OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title);
OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle);
OSStatus SetWindowAlternateTitle(WindowRef window, CFStringRef title);
OSStatus CopyWindowAlternateTitle(WindowRef window, CFStringRef* outTitle);

// Bounds are global. A change sends kEventWindowBoundsChanged with kEventParamAttributes
// (size changed 0x4, origin changed 0x8), kEventParamOriginalBounds and kEventParamCurrentBounds
// (content bounds).
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* bounds);
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outBounds);
OSStatus RepositionWindow(WindowRef window, WindowRef parentWindow, WindowPositionMethod method);

OSStatus SetWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag,
                           ByteCount size, const void* buffer);
// errWindowPropertyNotFound when the window has no such property.
OSStatus GetWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag,
                           ByteCount bufferSize, ByteCount* actualSize, void* buffer);
OSStatus GetWindowPropertySize(WindowRef window, PropertyCreator creator, PropertyTag tag,
                               ByteCount* size);
OSStatus RemoveWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag);

// The button pressed by Return/Enter and the one pressed by Escape (null clears).
OSStatus SetWindowDefaultButton(WindowRef window, ControlRef control);
OSStatus GetWindowDefaultButton(WindowRef window, ControlRef* outControl);
OSStatus SetWindowCancelButton(WindowRef window, ControlRef control);
OSStatus GetWindowCancelButton(WindowRef window, ControlRef* outControl);

OSStatus SetWindowActivationScope(WindowRef window, WindowActivationScope scope);
OSStatus GetWindowActivationScope(WindowRef window, WindowActivationScope* outScope);

CGrafPtr GetWindowPort(WindowRef window);
// Areas to redraw: a window with an invalid area is drawn again by the front, which sends it
// kEventWindowDrawContent.
OSStatus InvalWindowRgn(WindowRef window, RgnHandle region);
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds);
OSStatus ValidWindowRgn(WindowRef window, RgnHandle region);
OSStatus ValidWindowRect(WindowRef window, const Rect* bounds);

namespace plat {
// Windows created and not yet disposed of.
int LiveWindows();
}  // namespace plat
