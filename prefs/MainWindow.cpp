#include "prefs/MainWindow.h"

#include "platform/MacWindows.h"
#include "prefs/ControlIDs.h"
#include "prefs/HotKeyCapture.h"
#include "prefs/WindowControls.h"
#include "switch/KVMOperations.h"

MainWindow* pOurWindow = nullptr;

MainWindow::MainWindow() : TWindow(nullptr), settingsLoaded(false) {}

MainWindow::~MainWindow() {
  if (pOurWindow == this)
    pOurWindow = nullptr;
}

void MainWindow::Create(bool show, CFStringRef windowName, CFStringRef nibName) {
  if (pOurWindow == nullptr) {
    pOurWindow = new MainWindow;
    pOurWindow->Init(windowName, nibName);
    pOurWindow->settingsLoaded = false;
    if (pOurWindow->window)
      RepositionWindow(pOurWindow->window, nullptr, kWindowCenterOnMainScreen);
    for (_HOT_KEY_FIELD& field : HotConfig)
      field = _HOT_KEY_FIELD{};
  }
  MainWindow& self = *pOurWindow;
  // A window that could not be built from its description (or is gone) is not operated on.
  if (!self.window)
    return;
  if (show) {
    if (!self.settingsLoaded) {
      self.settingsLoaded = true;
      MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
      KVMGetInformation(&KVMSwitch.info);
      MPExitCriticalRegion(KVMSwitch.criticalRegion);
      self.InitSettings();
    }
    self.Select();
    self.Show();
  } else {
    self.CloseDialog();
    self.Hide();
  }
}

bool MainWindow::HandleCommand(const HICommandExtended& command) {
  switch (command.commandID) {
    case kHICommandOK:
      SaveSettings();
      CloseDialog();
      if (pOurWindow != nullptr)
        pOurWindow->Hide();
      return true;
    case kHICommandCancel:
      CloseDialog();
      if (pOurWindow != nullptr)
        pOurWindow->Hide();
      return true;
    default:
      return false;
  }
}

void MainWindow::HandleItemHit(short id) {
  ControlID popupID;
  if (id == kFixAudioPortID.id) {
    popupID = kAudioPortNumberID;
  } else if (id == kFixHUBPortIDs[0].id) {
    popupID = kHUBPortNumberIDs[0];
  } else if (id == kFixHUBPortIDs[1].id) {
    popupID = kHUBPortNumberIDs[1];
  } else {
    return;
  }
  const ControlRef checkbox = FindWindowControl(window, ControlID{kOptionSignature, id});
  const ControlRef popup = FindWindowControl(window, popupID);
  if (!checkbox || !popup)
    return;
  switch (GetControl32BitValue(checkbox)) {
    case 0:
      DeactivateControl(popup);
      break;
    case 1:
      ActivateControl(popup);
      break;
    default:
      break;
  }
}

bool MainWindow::CloseDialog() {
  for (_HOT_KEY_FIELD& field : HotConfig) {
    if (field.keyHandler != nullptr) {
      RemoveEventHandler(field.keyHandler);
      field.keyHandler = nullptr;
    }
  }
  settingsLoaded = false;
  return true;
}
