// Controls: the view tree of each window, flags, values, text and popup menus.
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>

#include "platform/HIView.h"
#include "platform/model/toolbox/ToolboxModel.h"

namespace plat::toolbox {
namespace {

std::map<UInt32, std::unique_ptr<Control>> controls;

void Changed(const Control& control) {
  Notify(ModelChange::kControl, control.window, control.ref);
}

// The control and every control that embeds it.
template <typename Flag>
bool AllUp(const Control& control, Flag flag) {
  for (const Control* c = &control; c != nullptr; c = FindControl(c->parent)) {
    if (!(c->*flag))
      return false;
  }
  return true;
}

void PinValue(Control& control) {
  control.value = std::clamp(control.value, control.minimum, control.maximum);
}

}  // namespace

Control* FindControl(ControlRef ref) {
  if (!ref)
    return nullptr;
  auto it = controls.find(ref.value);
  return it == controls.end() ? nullptr : it->second.get();
}

ControlRef NewControl(WindowRef window, ControlRef parent, OSType kind, const Rect& bounds) {
  auto control = std::make_unique<Control>();
  control->ref = ControlRef(NewHandleValue());
  control->window = window;
  control->parent = parent;
  control->kind = kind;
  control->bounds = bounds;
  control->target = NewTarget(TargetKind::kControl, control->ref.value);
  const ControlRef ref = control->ref;
  if (Control* embedder = FindControl(parent))
    embedder->children.push_back(ref);
  controls[ref.value] = std::move(control);
  return ref;
}

void DestroyControlTree(ControlRef ref) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return;
  const std::vector<ControlRef> children = control->children;
  for (ControlRef child : children)
    DestroyControlTree(child);
  DestroyTarget(control->target);
  if (control->menu)
    ReleaseMenu(control->menu);
  if (Control* embedder = FindControl(control->parent)) {
    std::erase(embedder->children, ref);
  }
  controls.erase(ref.value);
}

bool EffectivelyVisible(const Control& control) {
  return AllUp(control, &Control::visible);
}
bool EffectivelyEnabled(const Control& control) {
  return AllUp(control, &Control::enabled);
}
bool EffectivelyActive(const Control& control) {
  return AllUp(control, &Control::active);
}

std::vector<ControlRef> ControlsInOrder(WindowRef ref) {
  std::vector<ControlRef> result;
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return result;
  std::vector<ControlRef> pending{window->root};
  while (!pending.empty()) {
    const ControlRef next = pending.back();
    pending.pop_back();
    const Control* control = FindControl(next);
    if (control == nullptr)
      continue;
    result.push_back(next);
    pending.insert(pending.end(), control->children.rbegin(), control->children.rend());
  }
  return result;
}

std::string DisplayText(const std::string& bytes) {
  // Valid UTF-8 is shown as it is.
  CFStringRef probe = CFStringCreateWithCString(nullptr, bytes.c_str(), kCFStringEncodingUTF8);
  if (probe != nullptr) {
    CFRelease(probe);
    return bytes.substr(0, bytes.find('\0'));
  }
  std::string text;
  for (unsigned char c : bytes) {
    if (c == 0)
      break;
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

}  // namespace plat::toolbox

using namespace plat::toolbox;

namespace {
bool IsTextKind(const Control& control) {
  return control.kind == kControlKindEditText || control.kind == kControlKindStaticText;
}

OSStatus SetFlag(ControlRef ref, bool Control::*flag, bool on) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (control->*flag != on) {
    control->*flag = on;
    RevalidateFocus(control->window);
    Notify(plat::ModelChange::kControl, control->window, ref);
  }
  return noErr;
}
}  // namespace

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl) {
  if (id == nullptr || outControl == nullptr)
    return paramErr;
  *outControl = nullptr;
  const Window* owner = FindWindow(window);
  if (owner == nullptr)
    return errInvalidWindowRef;
  return HIViewFindByID(owner->root, *id, outControl);
}

OSStatus GetControlID(ControlRef ref, ControlID* outID) {
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (outID == nullptr)
    return paramErr;
  *outID = control->id;
  return noErr;
}

OSStatus SetControlID(ControlRef ref, const ControlID* id) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (id == nullptr)
    return paramErr;
  control->id = *id;
  return noErr;
}

OSStatus GetControlKind(ControlRef ref, ControlKind* outKind) {
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (outKind == nullptr)
    return paramErr;
  *outKind = ControlKind{kControlKindSignatureApple, control->kind};
  return noErr;
}

WindowRef GetControlOwner(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control == nullptr ? WindowRef(nullptr) : control->window;
}

Boolean IsValidControlHandle(ControlRef ref) {
  return FindControl(ref) != nullptr;
}

void ShowControl(ControlRef control) {
  SetFlag(control, &Control::visible, true);
}
void HideControl(ControlRef control) {
  SetFlag(control, &Control::visible, false);
}
OSStatus SetControlVisibility(ControlRef control, Boolean visible, Boolean) {
  return SetFlag(control, &Control::visible, visible != 0);
}
Boolean IsControlVisible(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control != nullptr && EffectivelyVisible(*control);
}
OSStatus EnableControl(ControlRef control) {
  return SetFlag(control, &Control::enabled, true);
}
OSStatus DisableControl(ControlRef control) {
  return SetFlag(control, &Control::enabled, false);
}
Boolean IsControlEnabled(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control != nullptr && EffectivelyEnabled(*control);
}
OSStatus ActivateControl(ControlRef control) {
  return SetFlag(control, &Control::active, true);
}
OSStatus DeactivateControl(ControlRef control) {
  return SetFlag(control, &Control::active, false);
}
Boolean IsControlActive(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control != nullptr && EffectivelyActive(*control);
}

void SetControl32BitValue(ControlRef ref, SInt32 value) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return;
  const SInt32 before = control->value;
  control->value = value;
  PinValue(*control);
  if (control->value != before)
    Changed(*control);
}

SInt32 GetControl32BitValue(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control == nullptr ? 0 : control->value;
}

void SetControl32BitMaximum(ControlRef ref, SInt32 maximum) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return;
  control->maximum = maximum;
  control->minimum = std::min(control->minimum, maximum);
  PinValue(*control);
  Changed(*control);
}

SInt32 GetControl32BitMaximum(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control == nullptr ? 0 : control->maximum;
}

void SetControl32BitMinimum(ControlRef ref, SInt32 minimum) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return;
  control->minimum = minimum;
  control->maximum = std::max(control->maximum, minimum);
  PinValue(*control);
  Changed(*control);
}

SInt32 GetControl32BitMinimum(ControlRef ref) {
  const Control* control = FindControl(ref);
  return control == nullptr ? 0 : control->minimum;
}

void SetControlValue(ControlRef control, SInt16 value) {
  SetControl32BitValue(control, value);
}

SInt16 GetControlValue(ControlRef control) {
  return static_cast<SInt16>(std::clamp<SInt32>(GetControl32BitValue(control),
                                                std::numeric_limits<SInt16>::min(),
                                                std::numeric_limits<SInt16>::max()));
}

OSStatus SetControlData(ControlRef ref, ControlPartCode, ResType tag, Size size, const void* data) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (size < 0 || (size > 0 && data == nullptr))
    return paramErr;
  if (tag == kControlEditTextTextTag && IsTextKind(*control)) {
    control->text.assign(static_cast<const char*>(data), static_cast<std::size_t>(size));
  } else if (tag == kControlEditTextCFStringTag && IsTextKind(*control)) {
    if (size != sizeof(CFStringRef))
      return errDataSizeMismatch;
    CFStringRef text = nullptr;
    std::memcpy(&text, data, sizeof text);
    control->text = plat::ToStdString(text);
  } else if (tag == kControlPopupButtonMenuHandleTag && control->kind == kControlKindPopupButton) {
    if (size != sizeof(MenuRef))
      return errDataSizeMismatch;
    MenuRef menu = nullptr;
    std::memcpy(&menu, data, sizeof menu);
    if (menu && !IsValidMenu(menu))
      return paramErr;
    if (menu)
      RetainMenu(menu);
    if (control->menu)
      ReleaseMenu(control->menu);
    control->menu = menu;
  } else {
    return errDataNotSupported;
  }
  Changed(*control);
  return noErr;
}

OSStatus GetControlData(ControlRef ref, ControlPartCode, ResType tag, Size bufferSize, void* buffer,
                        Size* outActualSize) {
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (bufferSize < 0)
    return paramErr;
  const auto room = static_cast<std::size_t>(bufferSize);
  if (tag == kControlEditTextTextTag && IsTextKind(*control)) {
    if (buffer != nullptr) {
      std::memcpy(buffer, control->text.data(), std::min(room, control->text.size()));
    }
    if (outActualSize != nullptr)
      *outActualSize = static_cast<Size>(control->text.size());
  } else if (tag == kControlEditTextCFStringTag && IsTextKind(*control)) {
    if (buffer == nullptr || room < sizeof(CFStringRef))
      return errDataSizeMismatch;
    CFStringRef text = plat::MakeCFString(DisplayText(control->text));
    std::memcpy(buffer, &text, sizeof text);
    if (outActualSize != nullptr)
      *outActualSize = sizeof text;
  } else if (tag == kControlPopupButtonMenuHandleTag && control->kind == kControlKindPopupButton) {
    if (buffer == nullptr || room < sizeof(MenuRef))
      return errDataSizeMismatch;
    std::memcpy(buffer, &control->menu, sizeof control->menu);
    if (outActualSize != nullptr)
      *outActualSize = sizeof control->menu;
  } else {
    return errDataNotSupported;
  }
  return noErr;
}

OSStatus GetControlDataSize(ControlRef control, ControlPartCode part, ResType tag, Size* outSize) {
  if (outSize == nullptr)
    return paramErr;
  if (tag == kControlEditTextTextTag)
    return GetControlData(control, part, tag, 0, nullptr, outSize);
  if (tag == kControlEditTextCFStringTag) {
    *outSize = sizeof(CFStringRef);
  } else if (tag == kControlPopupButtonMenuHandleTag) {
    *outSize = sizeof(MenuRef);
  } else {
    return errDataNotSupported;
  }
  return FindControl(control) == nullptr ? errUnknownControl : noErr;
}

OSStatus SetControlTitleWithCFString(ControlRef ref, CFStringRef title) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (title == nullptr)
    return paramErr;
  control->title = plat::ToStdString(title);
  Changed(*control);
  return noErr;
}

OSStatus CopyControlTitleAsCFString(ControlRef ref, CFStringRef* outTitle) {
  if (outTitle == nullptr)
    return paramErr;
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  *outTitle = plat::MakeCFString(control->title);
  return noErr;
}

OSStatus SetControlCommandID(ControlRef ref, UInt32 command) {
  Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  control->command = command;
  return noErr;
}

OSStatus GetControlCommandID(ControlRef ref, UInt32* outCommand) {
  const Control* control = FindControl(ref);
  if (control == nullptr)
    return errUnknownControl;
  if (outCommand == nullptr)
    return paramErr;
  *outCommand = control->command;
  return noErr;
}

Rect* GetControlBounds(ControlRef ref, Rect* outBounds) {
  if (outBounds == nullptr)
    return nullptr;
  const Control* control = FindControl(ref);
  *outBounds = control == nullptr ? Rect{0, 0, 0, 0} : control->bounds;
  return outBounds;
}

void SetControlBounds(ControlRef ref, const Rect* bounds) {
  Control* control = FindControl(ref);
  if (control == nullptr || bounds == nullptr)
    return;
  control->bounds = *bounds;
  Changed(*control);
}

void UpdateControls(WindowRef window, RgnHandle) {
  if (FindWindow(window) != nullptr)
    Notify(plat::ModelChange::kWindow, window);
}

HIViewRef HIViewGetRoot(WindowRef ref) {
  const Window* window = FindWindow(ref);
  return window == nullptr ? HIViewRef(nullptr) : window->root;
}

OSStatus HIViewFindByID(HIViewRef startView, HIViewID id, HIViewRef* outView) {
  if (outView == nullptr)
    return paramErr;
  *outView = nullptr;
  const Control* start = FindControl(startView);
  if (start == nullptr)
    return errUnknownControl;
  for (ControlRef ref : ControlsInOrder(start->window)) {
    const Control* control = FindControl(ref);
    if (ref == startView || control->id.signature != id.signature || control->id.id != id.id) {
      continue;
    }
    // Only views inside the start view count.
    for (const Control* up = FindControl(control->parent); up != nullptr;
         up = FindControl(up->parent)) {
      if (up->ref == startView) {
        *outView = ref;
        return noErr;
      }
    }
  }
  return errUnknownControl;
}

HIViewRef HIViewGetSuperview(HIViewRef view) {
  const Control* control = FindControl(view);
  return control == nullptr ? HIViewRef(nullptr) : control->parent;
}

HIViewRef HIViewGetFirstSubview(HIViewRef view) {
  const Control* control = FindControl(view);
  return control == nullptr || control->children.empty() ? HIViewRef(nullptr)
                                                         : control->children.front();
}

HIViewRef HIViewGetNextView(HIViewRef view) {
  const Control* control = FindControl(view);
  const Control* embedder = control == nullptr ? nullptr : FindControl(control->parent);
  if (embedder == nullptr)
    return nullptr;
  auto it = std::find(embedder->children.begin(), embedder->children.end(), view);
  return it == embedder->children.end() || ++it == embedder->children.end() ? HIViewRef(nullptr)
                                                                            : *it;
}
