// Small operations on the controls of the Preferences window. A control that the window
// description lacks is null here, and every operation on it is skipped.
#pragma once

#include "platform/Controls.h"
#include "platform/Menus.h"

// The control with `id` inside the window's root view, or null.
ControlRef FindWindowControl(WindowRef window, const ControlID& id);

void SetControlShown(ControlRef control, bool shown);
void SetControlActive(ControlRef control, bool active);
void SetControlValue32(ControlRef control, SInt32 value);
// The popup button's menu; false when it cannot be had.
bool GetPopupMenu(ControlRef popup, MenuRef* menu);
// Replaces every item of `menu` with the texts of the values first, first + step, .. last.
void ReplaceWithNumbers(MenuRef menu, int first, int last, int step);
