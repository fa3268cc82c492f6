// Controls: the views inside a window, found by control ID, with their visibility, enabled and
// active states (three separate flags, each also off when an enclosing control has it off),
// values, text, popup menus, and the window's keyboard focus.
#pragma once

#include "platform/CarbonEvents.h"
#include "platform/CoreFoundation.h"
#include "platform/Geometry.h"
#include "platform/MacTypes.h"
#include "platform/ToolboxRefs.h"

struct ControlID {
  OSType signature;
  SInt32 id;
};

struct ControlKind {
  OSType signature;
  OSType kind;
};
constexpr OSType kControlKindSignatureApple = FourCC("appl");
constexpr OSType kControlKindUserPane = FourCC("upan");
constexpr OSType kControlKindGroupBox = FourCC("grpb");
constexpr OSType kControlKindCheckBox = FourCC("cbox");
constexpr OSType kControlKindPushButton = FourCC("push");
constexpr OSType kControlKindPopupButton = FourCC("popb");
constexpr OSType kControlKindEditText = FourCC("etxt");
constexpr OSType kControlKindStaticText = FourCC("stxt");

// Parts reported in kEventParamControlPart of kEventControlHit.
constexpr ControlPartCode kControlNoPart = 0;
constexpr ControlPartCode kControlMenuPart = 2;
constexpr ControlPartCode kControlEditTextPart = 5;
constexpr ControlPartCode kControlButtonPart = 10;
constexpr ControlPartCode kControlCheckBoxPart = 11;
constexpr ControlPartCode kControlEntireControl = 0;

using ControlFocusPart = ControlPartCode;
constexpr ControlFocusPart kControlFocusNoPart = 0;
constexpr ControlFocusPart kControlFocusNextPart = -1;

using ResType = OSType;
using Size = long;
// Control data: an edit or static text field's text (bytes, without terminator) or its text as a
// CFStringRef (copied on get, owned by the caller); a popup button's menu (a MenuRef, 4 bytes).
constexpr ResType kControlEditTextTextTag = FourCC("text");
constexpr ResType kControlStaticTextTextTag = FourCC("text");
constexpr ResType kControlEditTextCFStringTag = FourCC("cfst");
constexpr ResType kControlStaticTextCFStringTag = FourCC("cfst");
constexpr ResType kControlPopupButtonMenuHandleTag = FourCC("mhan");
constexpr ResType kControlPopupButtonMenuRefTag = FourCC("mhan");

constexpr OSStatus errDataNotSupported = -30583;
constexpr OSStatus errCouldntSetFocus = -30585;
constexpr OSStatus errDataSizeMismatch = -30598;

// errUnknownControl when the window has no control with that ID.
OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);
OSStatus GetControlID(ControlRef control, ControlID* outID);
OSStatus SetControlID(ControlRef control, const ControlID* id);
OSStatus GetControlKind(ControlRef control, ControlKind* outKind);
WindowRef GetControlOwner(ControlRef control);
Boolean IsValidControlHandle(ControlRef control);

void ShowControl(ControlRef control);
void HideControl(ControlRef control);
OSStatus SetControlVisibility(ControlRef control, Boolean visible, Boolean draw);
Boolean IsControlVisible(ControlRef control);
OSStatus EnableControl(ControlRef control);
OSStatus DisableControl(ControlRef control);
Boolean IsControlEnabled(ControlRef control);
OSStatus ActivateControl(ControlRef control);
OSStatus DeactivateControl(ControlRef control);
Boolean IsControlActive(ControlRef control);

// Values are kept between the minimum and the maximum.
void SetControl32BitValue(ControlRef control, SInt32 value);
SInt32 GetControl32BitValue(ControlRef control);
void SetControl32BitMaximum(ControlRef control, SInt32 maximum);
SInt32 GetControl32BitMaximum(ControlRef control);
void SetControl32BitMinimum(ControlRef control, SInt32 minimum);
SInt32 GetControl32BitMinimum(ControlRef control);
void SetControlValue(ControlRef control, SInt16 value);
SInt16 GetControlValue(ControlRef control);

OSStatus SetControlData(ControlRef control, ControlPartCode part, ResType tag, Size size,
                        const void* data);
// Copies at most `bufferSize` bytes; `outActualSize` (may be null) receives the full size.
OSStatus GetControlData(ControlRef control, ControlPartCode part, ResType tag, Size bufferSize,
                        void* buffer, Size* outActualSize);
OSStatus GetControlDataSize(ControlRef control, ControlPartCode part, ResType tag, Size* outSize);

OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title);
OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle);
OSStatus SetControlCommandID(ControlRef control, UInt32 command);
OSStatus GetControlCommandID(ControlRef control, UInt32* outCommand);
// Bounds in the window's content coordinates.
Rect* GetControlBounds(ControlRef control, Rect* outBounds);
void SetControlBounds(ControlRef control, const Rect* bounds);

// Redraws the window's controls (the front is told).
void UpdateControls(WindowRef window, RgnHandle region);

// Keyboard focus: one edit field of a window at a time, only a visible, enabled and active one.
OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, ControlFocusPart part);
OSStatus GetKeyboardFocus(WindowRef window, ControlRef* outControl);
OSStatus ClearKeyboardFocus(WindowRef window);
// Moves the focus to the next (or previous) field that can take it, in the window's order,
// wrapping around.
OSStatus AdvanceKeyboardFocus(WindowRef window);
OSStatus ReverseKeyboardFocus(WindowRef window);
