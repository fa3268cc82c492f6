// Opening the Preferences window: the stored hot keys and the switch's status into the controls.
#include <cstdint>
#include <cstring>

#include "prefs/ControlIDs.h"
#include "prefs/HotKeyCapture.h"
#include "prefs/MainWindow.h"
#include "prefs/WindowControls.h"

namespace {

constexpr EventTypeSpec kRawKeyDown{kEventClassKeyboard, kEventRawKeyDown};

// Auto-scan periods offered, in seconds: the USB link's switches know 10 to 60, the others 5 to
// 100, each in steps of 5 (the unit of the period).
constexpr int kSecondsPerUnit = 5;
constexpr int kFirstPeriodUSB = 10;
constexpr int kLastPeriodUSB = 60;
constexpr int kFirstPeriod = 5;
constexpr int kLastPeriod = 100;

// A fix checkbox and the port popup it governs: shown for a switch that has the setting, the
// checkbox usable only when the setting can be fixed.
void LoadFixCheckbox(ControlRef checkbox, bool fixable, bool fixed) {
  SetControlShown(checkbox, true);
  SetControlValue32(checkbox, fixable && fixed ? 1 : 0);
  SetControlActive(checkbox, fixable);
}

}  // namespace

OSStatus MainWindow::InitSettings() {
  const _KVM_INFO& info = KVMSwitch.info;

  for (int i = 0; i < 4; ++i) {
    _HOT_KEY_FIELD& field = HotConfig[i];
    field.hotKey = KVMSwitch.hotKeys[i];
    field.control = FindWindowControl(window, kHotKeyIDs[i]);
    // A field the window description lacks gets no key handler; the others still do.
    if (!field.control)
      continue;
    const char* name = field.hotKey.keyName;
    SetControlData(field.control, 0, kControlEditTextTextTag,
                   static_cast<Size>(strnlen(name, sizeof field.hotKey.keyName)), name);
    void* index = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i));
    const OSStatus status =
        InstallEventHandler(GetControlEventTarget(field.control), Handle_EventRawKeyDown, 1,
                            &kRawKeyDown, index, &field.keyHandler);
    if (status != noErr)
      return status;
  }

  const ControlRef hotKeyGroup = FindWindowControl(window, kHotKeyGroupID);
  const ControlRef optionGroup = FindWindowControl(window, kOptionGroupId);
  if (info.deviceState != 2) {
    SetControlShown(hotKeyGroup, false);
    if (optionGroup)
      DisableControl(optionGroup);
  } else {
    SetControlShown(hotKeyGroup, true);
    for (int i = 0; i < 4; ++i) {
      SetControlShown(FindWindowControl(window, kHotKeyIDs[i]), i < info.portCount);
      SetControlShown(FindWindowControl(window, kPCKeyIDs[i]), i < info.portCount);
    }
    if (optionGroup)
      EnableControl(optionGroup);

    const ControlRef buzzer = FindWindowControl(window, kBuzzerID);
    SetControlShown(buzzer, info.hasBuzzer != 0);
    if (info.hasBuzzer)
      SetControlValue32(buzzer, info.buzzerOn ? 1 : 0);

    const ControlRef fixAudio = FindWindowControl(window, kFixAudioPortID);
    const ControlRef audioPort = FindWindowControl(window, kAudioPortNumberID);
    if (info.hasAudio) {
      LoadFixCheckbox(fixAudio, info.audioFixable != 0, info.audioFixed != 0);
      SetControlShown(audioPort, true);
      MenuRef menu = nullptr;
      if (GetPopupMenu(audioPort, &menu)) {
        ReplaceWithNumbers(menu, 1, info.portCount, 1);
        SetControl32BitMaximum(audioPort, info.portCount);
        SetControl32BitValue(audioPort, info.audioPort + 1);
      }
    } else {
      SetControlShown(fixAudio, false);
      SetControlShown(audioPort, false);
    }

    for (int hub = 0; hub < 2; ++hub) {
      const ControlRef fixHub = FindWindowControl(window, kFixHUBPortIDs[hub]);
      const ControlRef hubPort = FindWindowControl(window, kHUBPortNumberIDs[hub]);
      if (info.hasHub[hub]) {
        LoadFixCheckbox(fixHub, info.hubFixable[hub] != 0, info.hubFixed[hub] != 0);
        SetControlShown(hubPort, true);
        MenuRef menu = nullptr;
        if (GetPopupMenu(hubPort, &menu))
          ReplaceWithNumbers(menu, 1, info.portCount, 1);
        SetControlValue32(hubPort, info.hubPort[hub] + 1);
      } else {
        SetControlShown(fixHub, false);
        SetControlShown(hubPort, false);
      }
    }

    const ControlRef period = FindWindowControl(window, kAutoScanPeriodID);
    SetControlShown(period, info.hasAutoScanPeriod != 0);
    MenuRef periodMenu = nullptr;
    if (info.hasAutoScanPeriod && GetPopupMenu(period, &periodMenu)) {
      // Item k reads 5 x (k + 1) seconds on the USB link and 5 x k seconds otherwise, so the
      // item shown always reads 5 x autoScanPeriod seconds.
      if (info.linkKind == 1) {
        ReplaceWithNumbers(periodMenu, kFirstPeriodUSB, kLastPeriodUSB, kSecondsPerUnit);
        SetControl32BitMaximum(period, (kLastPeriodUSB - kFirstPeriodUSB) / kSecondsPerUnit + 1);
        SetControl32BitValue(period, info.autoScanPeriod - 1);
      } else {
        ReplaceWithNumbers(periodMenu, kFirstPeriod, kLastPeriod, kSecondsPerUnit);
        SetControl32BitMaximum(period, kLastPeriod / kSecondsPerUnit);
        SetControl32BitValue(period, info.autoScanPeriod);
      }
    }

    const ControlRef trigger = FindWindowControl(window, kUniversalHotKeyID);
    SetControlShown(trigger, info.hasUniversalHotKey != 0);
    MenuRef triggerMenu = nullptr;
    if (info.hasUniversalHotKey && GetPopupMenu(trigger, &triggerMenu)) {
      DeleteMenuItems(triggerMenu, 1, CountMenuItems(triggerMenu));
      SInt32 rows = 0;
      SInt32 selected = 0;  // nothing selected when the switch's key is not in the list
      for (const _KEY_NAME* row = HotKeyList; row->code != 0; ++row) {
        CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s"), row->name);
        AppendMenuItemTextWithCFString(triggerMenu, text, 0, 0, nullptr);
        if (text != nullptr)
          CFRelease(text);
        ++rows;
        if (static_cast<SInt32>(row->code) == info.universalHotKey)
          selected = rows;
      }
      SetControl32BitMaximum(trigger, rows);
      SetControl32BitValue(trigger, selected);
    }

    UpdateControls(window, nullptr);
  }

  // Each port popup is usable exactly when its fix checkbox is checked.
  HandleItemHit(static_cast<short>(kFixAudioPortID.id));
  HandleItemHit(static_cast<short>(kFixHUBPortIDs[0].id));
  HandleItemHit(static_cast<short>(kFixHUBPortIDs[1].id));
  return noErr;
}
