// The application object: turns the commands that reach the application (Dock menu, menu bar,
// the application itself) and the presses of the global hot keys into switch commands or into
// opening the Preferences window, and follows the user's login session so that a switch found
// while the session was switched out is opened when it comes back.
#pragma once

#include "framework/TApplication.h"

class CarbonApp : public TApplication {
 public:
  // Loads the menu bar "MenuBar" of the nib "main", registers for the application's events and
  // creates the Preferences window, hidden. Does not touch the switch.
  CarbonApp();
  ~CarbonApp() override;

  // 'Auto' toggles the switch's auto-scan, 'SPC1' to 'SPC8' select port 1 to 8, 'pref' opens the
  // Preferences window in front; false for any other command.
  bool HandleCommand(const HICommandExtended& command) override;
  // Brings the Dock menu up to date just before it opens: the other ports that can be selected,
  // and Start or Stop Auto-Scan. Any other menu is left alone. Always true.
  bool UpdateDockMenu(MenuRef& menu) override;
  // The application is shown again: opens the Preferences window as the Preferences command
  // does. Always true.
  bool OpenSettingsDialog() override;
  // The hot key of port id (1 to 4) selects that port while a switch is known; false otherwise.
  bool HandleHotKey(EventHotKeyID& id) override;
  // kind 11: the session is switched out; kind 10: it is back, and a switch found meanwhile is
  // opened. Always true.
  bool HandleUserLogin(unsigned long kind) override;
};
