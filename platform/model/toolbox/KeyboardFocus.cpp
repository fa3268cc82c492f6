// The keyboard focus of each window: one edit field that takes the keys typed.
#include <algorithm>

#include "platform/model/toolbox/ToolboxModel.h"

namespace plat::toolbox {

bool CanTakeFocus(const Control& control) {
  return control.kind == kControlKindEditText && EffectivelyVisible(control) &&
         EffectivelyEnabled(control) && EffectivelyActive(control);
}

void RevalidateFocus(WindowRef ref) {
  Window* window = FindWindow(ref);
  if (window == nullptr || !window->focus)
    return;
  const Control* focus = FindControl(window->focus);
  if (focus == nullptr || !CanTakeFocus(*focus)) {
    window->focus = nullptr;
    Notify(ModelChange::kWindow, ref);
  }
}

}  // namespace plat::toolbox

using namespace plat::toolbox;

namespace {
OSStatus MoveFocus(WindowRef ref, bool forward) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  std::vector<ControlRef> fields;
  for (ControlRef control : ControlsInOrder(ref)) {
    if (CanTakeFocus(*FindControl(control)))
      fields.push_back(control);
  }
  if (fields.empty())
    return noErr;
  if (!forward)
    std::reverse(fields.begin(), fields.end());
  auto current = std::find(fields.begin(), fields.end(), window->focus);
  auto next =
      (current == fields.end() || current + 1 == fields.end()) ? fields.begin() : current + 1;
  return SetKeyboardFocus(ref, *next, kControlFocusNextPart);
}
}  // namespace

OSStatus SetKeyboardFocus(WindowRef ref, ControlRef control, ControlFocusPart part) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (!control || part == kControlFocusNoPart)
    return ClearKeyboardFocus(ref);
  const Control* field = FindControl(control);
  if (field == nullptr || field->window != ref)
    return errUnknownControl;
  if (!CanTakeFocus(*field))
    return errCouldntSetFocus;
  if (window->focus != control) {
    window->focus = control;
    plat::toolbox::Notify(plat::ModelChange::kWindow, ref, control);
  }
  return noErr;
}

OSStatus GetKeyboardFocus(WindowRef ref, ControlRef* outControl) {
  const Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (outControl == nullptr)
    return paramErr;
  *outControl = FindControl(window->focus) != nullptr ? window->focus : ControlRef(nullptr);
  return noErr;
}

OSStatus ClearKeyboardFocus(WindowRef ref) {
  Window* window = FindWindow(ref);
  if (window == nullptr)
    return errInvalidWindowRef;
  if (window->focus) {
    window->focus = nullptr;
    plat::toolbox::Notify(plat::ModelChange::kWindow, ref);
  }
  return noErr;
}

OSStatus AdvanceKeyboardFocus(WindowRef window) {
  return MoveFocus(window, true);
}
OSStatus ReverseKeyboardFocus(WindowRef window) {
  return MoveFocus(window, false);
}
