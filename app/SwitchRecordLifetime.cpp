#include <cstdio>
#include <cstring>

#include "app/StartupChecks.h"
#include "switch/KVMSwitch.h"

void ClearSwitchRecord() {
  std::memset(&KVMSwitch, 0, sizeof KVMSwitch);
}

void CreateSwitchRegion() {
  // Without the region the program still runs: everything happens on the main thread, and the
  // callers that fail to enter it carry on regardless.
  if (MPCreateCriticalRegion(&KVMSwitch.criticalRegion) != noErr) {
    fprintf(stderr, "Can not Create Critical Region Byte Order CPU\n");
  }
}

void DeleteSwitchRegion() {
  MPDeleteCriticalRegion(KVMSwitch.criticalRegion);
  KVMSwitch.criticalRegion = nullptr;
}
