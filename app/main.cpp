// The program's entry point: the start-up checks, the switch record and its lock, and discovery,
// which already opens a switch that is plugged in.
#include "app/StartupChecks.h"
#include "hid/HIDDiscovery.h"
#include "switch/KVMSwitch.h"

int main() {
  PrintNativeLine();
  PrintByteOrderLine();
  ClearSwitchRecord();
  CreateSwitchRegion();
  HIDSetMatchingDevices(&KVMSwitch, DeviceList, VendorCount);
  DeleteSwitchRegion();
  return 0;
}
