#include "app/ApplicationMain.h"

#include "app/CarbonApp.h"
#include "app/DockMenu.h"
#include "app/HotKeyFile.h"
#include "app/HotKeys.h"
#include "app/StartupChecks.h"
#include "hid/HIDDiscovery.h"
#include "switch/KVMSwitch.h"

int ApplicationMain() {
  // The menu bar and the hidden Preferences window; the switch is not touched yet.
  CarbonApp app;
  PrintNativeLine();
  PrintByteOrderLine();
  ClearSwitchRecord();
  // The lock exists before the first callback that can reach the switch is installed.
  CreateSwitchRegion();
  SetOurDockMenu();
  GetHotKeyConfiguration(KVMSwitch.hotKeys);
  // Already opens a switch that is plugged in.
  HIDSetMatchingDevices(&KVMSwitch, DeviceList, VendorCount);
  RegisterHotKeys();
  app.Run();
  DeleteSwitchRegion();
  return 0;
}
