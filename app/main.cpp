// The program's entry point: the start-up checks, the switch record and its lock.
#include "app/StartupChecks.h"

int main() {
  PrintNativeLine();
  PrintByteOrderLine();
  ClearSwitchRecord();
  CreateSwitchRegion();
  DeleteSwitchRegion();
  return 0;
}
