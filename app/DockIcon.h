// The Dock icon shows which port of the switch is active: one icon file per port, and the
// application's main icon when there is no switch.
#pragma once

#include "platform/CGImage.h"

// The port index last shown by ChangeDockIcon; -1 until a switch has been shown.
extern int CurrentIconNumber;

// Shows the icon of port index `portIndex` (0 to 3; any other value, such as -1 for no switch,
// shows the main icon), loading it only when the index differs from CurrentIconNumber. When the
// icon cannot be loaded the Dock keeps what it shows and the next call with the same index tries
// again.
void ChangeDockIcon(int portIndex);

// A new image (released by the caller with CGImageRelease) of the icon for `portIndex`, or null.
CGImageRef GetImageRefFromFile(int portIndex);
