// The view hierarchy of a window: its root view and the controls embedded in one another.
#pragma once

#include "platform/Controls.h"

using HIViewID = ControlID;

// The window's root view, or null for an invalid window.
HIViewRef HIViewGetRoot(WindowRef window);
// Finds the view with `id` among the views inside `startView` (depth first, in window order);
// errUnknownControl when there is none.
OSStatus HIViewFindByID(HIViewRef startView, HIViewID id, HIViewRef* outView);
HIViewRef HIViewGetSuperview(HIViewRef view);
HIViewRef HIViewGetFirstSubview(HIViewRef view);
HIViewRef HIViewGetNextView(HIViewRef view);
