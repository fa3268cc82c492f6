// The Preferences window: the four hot keys and every setting the attached switch reports as
// changeable. It exists once, hidden, from start-up; opening it reads the switch's status and
// loads the controls, OK stores the hot keys and sends each changed setting to the switch, OK,
// Cancel and the close box end the editing and hide it.
#pragma once

#include "framework/TWindow.h"

class MainWindow : public TWindow {
 public:
  MainWindow();
  ~MainWindow() override;

  // The only way in. Makes the one window from `windowName` of the nib `nibName` the first time.
  // With `show`, starts the editing unless it is under way already (reads the switch and loads
  // the controls) and brings the window to the front; without, ends the editing and hides it.
  static void Create(bool show, CFStringRef windowName, CFStringRef nibName);

  // OK: save, end the editing, hide. Cancel: end the editing, hide.
  bool HandleCommand(const HICommandExtended& command) override;
  // A click on a fix checkbox (its id) activates or deactivates its port popup.
  void HandleItemHit(short id) override;
  // Removes the key handlers of the hot-key fields; always true.
  bool CloseDialog() override;

  // Loads the stored hot keys and the switch's status into the controls. Stops with the status
  // of a key handler that cannot be installed.
  OSStatus InitSettings();
  // Stores and registers the edited hot keys, then sends the settings that changed.
  void SaveSettings();

  // True while the window is open for editing.
  bool settingsLoaded;
};

// The one Preferences window; null until Create first runs.
extern MainWindow* pOurWindow;
