// The Dock menu: the switch's other ports that can be selected, and an item that starts or stops
// the switch's auto-scan. Installed at start-up; brought up to date by the application each time
// it is about to open (CarbonApp::UpdateDockMenu).
#pragma once

// Installs the menu "DockMenu" of the nib "USBMENUDOCK" as the application's Dock menu: 1 when
// it was loaded and installed, 0 otherwise (nothing is reported).
int SetOurDockMenu();
