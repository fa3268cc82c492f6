#include "app/CarbonApp.h"

#include "hid/HIDDiscovery.h"
#include "platform/Processes.h"
#include "prefs/MainWindow.h"
#include "switch/KVMOperations.h"
#include "switch/KVMSwitch.h"

namespace {

constexpr UInt32 kAutoScanCommand = FourCC("Auto");
constexpr UInt32 kFirstPortCommand = FourCC("SPC1");
constexpr UInt32 kLastPortCommand = FourCC("SPC8");
constexpr UInt32 kPreferencesCommand = FourCC("pref");

// Makes this application the front one unless it is already; left alone when either process
// cannot be found.
void BringToFront() {
  ProcessSerialNumber current{};
  ProcessSerialNumber front{};
  if (GetCurrentProcess(&current) != noErr || GetFrontProcess(&front) != noErr)
    return;
  if (current.highLongOfPSN != front.highLongOfPSN || current.lowLongOfPSN != front.lowLongOfPSN)
    SetFrontProcess(&current);
}

}  // namespace

CarbonApp::CarbonApp() : TApplication(CFSTR("MenuBar"), CFSTR("main")) {
  MainWindow::Create(false, CFSTR("Preferences"), CFSTR("main"));
}

CarbonApp::~CarbonApp() = default;

bool CarbonApp::HandleCommand(const HICommandExtended& command) {
  const UInt32 id = command.commandID;
  if (id == kAutoScanCommand) {
    MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
    _KVM_INFO& info = KVMSwitch.info;
    KVMSetAutoScan(&info, info.autoScanOn == 0);
    // What the Dock menu shows until the next status read brings the switch's own word.
    info.autoScanOn = info.autoScanOn == 1 ? 0 : 1;
    MPExitCriticalRegion(KVMSwitch.criticalRegion);
    return true;
  }
  if (id >= kFirstPortCommand && id <= kLastPortCommand) {
    MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
    KVMSetPortNumber(&KVMSwitch.info, static_cast<int>(id - kFirstPortCommand));
    MPExitCriticalRegion(KVMSwitch.criticalRegion);
    return true;
  }
  if (id == kPreferencesCommand) {
    BringToFront();
    MainWindow::Create(true, CFSTR("Preferences"), CFSTR("main"));
    return true;
  }
  return false;
}

bool CarbonApp::OpenSettingsDialog() {
  HICommand command{};
  command.attributes = 0;
  command.commandID = kPreferencesCommand;
  command.menu.menuRef = nullptr;
  command.menu.menuItemIndex = 0;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, GetCurrentEventTime(),
              kEventAttributeUserEvent, &event);
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  // Comes back through the application's handler as the Preferences command.
  SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return true;
}

bool CarbonApp::HandleHotKey(EventHotKeyID& id) {
  if (id.id - 1 > 3)
    return false;
  if (KVMSwitch.info.deviceState == 0)
    return false;
  MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
  KVMSetPortNumber(&KVMSwitch.info, static_cast<int>(id.id - 1));
  MPExitCriticalRegion(KVMSwitch.criticalRegion);
  return true;
}

bool CarbonApp::HandleUserLogin(unsigned long kind) {
  MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
  const UInt8 inactive = kind == kEventSystemUserSessionDeactivated ? 1 : 0;
  if (inactive != KVMSwitch.sessionInactive) {
    KVMSwitch.sessionInactive = inactive;
    if (inactive == 0 && KVMSwitch.info.deviceState == 1) {
      // A switch found while the session was out was only held: find it again and open it now.
      // Discovery overwrites the record's identity, so it is given a copy.
      KVMSwitch.info.deviceState = 0;
      _DEVICE_ID held{KVMSwitch.info.device.vendorID, KVMSwitch.info.device.productID};
      HIDGetMatchingDevice(&KVMSwitch, &held);
    }
  }
  MPExitCriticalRegion(KVMSwitch.criticalRegion);
  return true;
}
