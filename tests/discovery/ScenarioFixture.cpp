#include "tests/discovery/ScenarioFixture.h"

#include <filesystem>

#include "app/DockIcon.h"
#include "app/StartupChecks.h"
#include "hid/DeviceRecord.h"
#include "platform/CFBundle.h"
#include "platform/DockTile.h"
#include "platform/model/iokit/IORegistry.h"
#include "platform/sim/VirtualClock.h"

void ResetSystemAndPlatform() {
  if (theTimer != nullptr)
    RemoveEventLoopTimer(theTimer);
  theTimer = nullptr;
  AdoptDeviceRecord(&KVMSwitch.info.device, DEVICE_DATA{});
  if (gNotifyPort != nullptr)
    IONotificationPortDestroy(gNotifyPort);
  gNotifyPort = nullptr;
  if (KVMSwitch.criticalRegion != nullptr)
    DeleteSwitchRegion();
  ClearSwitchRecord();
  CreateSwitchRegion();
  CurrentIconNumber = -1;
  RestoreApplicationDockTileImage();
  plat::SetMainBundleResourcesDirectory("");

  plat::sim::Bench::Shared().Reset();
  plat::IORegistry::Shared().Reset();
  plat::RunLoop::Main().Reset();
  plat::TheVirtualClock().Reset();
}

std::string ShownIcon() {
  return std::filesystem::path(plat::ImageFilePath(plat::CurrentDockTileImage()))
      .filename()
      .string();
}
