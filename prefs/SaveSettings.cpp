// OK in the Preferences window: the hot keys are stored and registered again, and every switch
// setting whose control differs from what the switch last reported is sent to it.
#include "app/HotKeyFile.h"
#include "app/HotKeys.h"
#include "prefs/ControlIDs.h"
#include "prefs/HotKeyCapture.h"
#include "prefs/MainWindow.h"
#include "prefs/WindowControls.h"
#include "switch/KVMOperations.h"

namespace {

// A fixed port that only changes its number is sent as unbind, then fix; following the active
// port again is one bind.
struct FixedPort {
  bool fix;
  int port;
  // Something to send: fixing turned on or off, or a fixed port moved to another port.
  bool ChangesFrom(UInt8 fixed, SInt32 fixedPort) const {
    return fix != (fixed != 0) || (fixed != 0 && port != fixedPort);
  }
};

// The checkbox and popup of a fixable setting; nothing when either is missing.
bool ReadFixedPort(WindowRef window, const ControlID& checkbox, const ControlID& popup,
                   FixedPort* read) {
  const ControlRef fix = FindWindowControl(window, checkbox);
  const ControlRef port = FindWindowControl(window, popup);
  if (!fix || !port)
    return false;
  *read = {GetControl32BitValue(fix) == 1, GetControlValue(port) - 1};
  return true;
}

void SaveBuzzer(WindowRef window, _KVM_INFO& info) {
  const ControlRef buzzer = FindWindowControl(window, kBuzzerID);
  if (!info.hasBuzzer || !buzzer)
    return;
  const bool on = GetControl32BitValue(buzzer) == 1;
  if (on != (info.buzzerOn != 0)) {
    info.buzzerOn = on ? 1 : 0;
    KVMSetBuzzer(&info, on);
  }
}

void SaveAudio(WindowRef window, _KVM_INFO& info) {
  FixedPort audio{};
  if (!info.hasAudio || !info.audioFixable ||
      !ReadFixedPort(window, kFixAudioPortID, kAudioPortNumberID, &audio)) {
    return;
  }
  // Without a change nothing is stored: a port picked while the box stays unchecked is dropped.
  if (!audio.ChangesFrom(info.audioFixed, info.audioPort))
    return;
  info.audioFixed = audio.fix ? 1 : 0;
  info.audioPort = audio.port;
  if (audio.fix) {
    KVMUnbindAudio(&info);
    KVMFixAudioPortNumber(&info, info.audioPort);
  } else {
    KVMBindAudio(&info);
  }
}

void SaveHub(WindowRef window, _KVM_INFO& info, int hub) {
  FixedPort setting{};
  if (!info.hasHub[hub] || !info.hubFixable[hub] ||
      !ReadFixedPort(window, kFixHUBPortIDs[hub], kHUBPortNumberIDs[hub], &setting)) {
    return;
  }
  if (!setting.ChangesFrom(info.hubFixed[hub], info.hubPort[hub]))
    return;
  info.hubPort[hub] = setting.port;
  info.hubFixed[hub] = setting.fix ? 1 : 0;
  if (setting.fix) {
    KVMUnbindHUB(&info, hub);
    KVMFixHUBPortNumber(&info, hub, info.hubPort[hub]);
  } else {
    KVMBindHUB(&info, hub);
  }
}

void SaveAutoScanPeriod(WindowRef window, _KVM_INFO& info) {
  const ControlRef popup = FindWindowControl(window, kAutoScanPeriodID);
  if (!info.hasAutoScanPeriod || !popup)
    return;
  // The USB link's list starts at 10 seconds, two units.
  const int period = GetControlValue(popup) + (info.linkKind == 1 ? 1 : 0);
  if (period != info.autoScanPeriod) {
    info.autoScanPeriod = period;
    KVMSetAutoScanPeriod(&info, period);
  }
}

void SaveTriggerKey(WindowRef window, _KVM_INFO& info) {
  const ControlRef popup = FindWindowControl(window, kUniversalHotKeyID);
  if (!info.hasUniversalHotKey || !popup)
    return;
  const int row = GetControlValue(popup) - 1;
  if (row < 0 || row > 4)
    return;
  // The switch's report shows the new key; nothing is stored here.
  const UInt32 usage = HotKeyList[row].code;
  if (static_cast<SInt32>(usage) != info.universalHotKey)
    KVMSetUniversalHotKey(&info, usage);
}

}  // namespace

void MainWindow::SaveSettings() {
  for (int i = 0; i < 4; ++i)
    KVMSwitch.hotKeys[i] = HotConfig[i].hotKey;
  SetHotKeyConfiguration(KVMSwitch.hotKeys);
  RegisterHotKeys();

  MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
  _KVM_INFO& info = KVMSwitch.info;
  if (info.deviceState == 2) {
    SaveBuzzer(window, info);
    SaveAudio(window, info);
    SaveHub(window, info, 0);
    SaveHub(window, info, 1);
    SaveAutoScanPeriod(window, info);
    SaveTriggerKey(window, info);
  }
  MPExitCriticalRegion(KVMSwitch.criticalRegion);
}
