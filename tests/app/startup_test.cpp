#include <filesystem>

#include "platform/DockTile.h"
#include "platform/HotKeys.h"
#include "platform/Multiprocessing.h"
#include "platform/Nibs.h"
#include "prefs/MainWindow.h"
#include "tests/app/ApplicationFixture.h"

namespace {

using StartupTest = ApplicationTest;

TEST_F(StartupTest, AnAttachedSwitchIsOpenedBeforeTheHotKeysAndTheFileBeforeDiscovery) {
  Plug();
  std::vector<std::string> order;
  // The switch is opened during discovery (its icon is set); the hot keys come after.
  const int tile = plat::AddDockTileObserver([&](CGImageRef) {
    order.push_back("icon, file " +
                    std::string(std::filesystem::exists("HOTKEY.CFG") ? "there" : "missing"));
  });
  const auto hotKeys = plat::AddHotKeyObserver([&] {
    order.push_back("hot key, switch state " + std::to_string(KVMSwitch.info.deviceState));
  });
  const int regions = plat::LiveCriticalRegions();
  int regionsInLoop = 0;
  EXPECT_EQ(RunProgram([&] { regionsInLoop = plat::LiveCriticalRegions(); }), 0);
  plat::RemoveDockTileObserver(tile);
  plat::RemoveHotKeyObserver(hotKeys);

  EXPECT_EQ(order, (std::vector<std::string>{"icon, file there", "hot key, switch state 2",
                                             "hot key, switch state 2", "hot key, switch state 2",
                                             "hot key, switch state 2"}));
  EXPECT_EQ(WorkingDirectory::Read("HOTKEY.CFG"), WorkingDirectory::DefaultFile());
  // The quit ended the loop; the region was deleted and the application object destroyed, so
  // the Preferences command reaches nobody any more.
  EXPECT_EQ(regionsInLoop, regions + 1);
  EXPECT_EQ(plat::LiveCriticalRegions(), regions);
  EXPECT_EQ(Command("pref"), eventNotHandledErr);
}

TEST_F(StartupTest, WithoutASwitchTheProgramRunsAndLeavesTheDockIconAlone) {
  DockTileRecorder tile;
  EXPECT_EQ(RunProgram([&] {
              plat::RunLoop::Main().RunFor(plat::SecondsToNanos(30));
              EXPECT_EQ(info.deviceState, 0);
              // The Preferences command opens the window that start-up made hidden.
              EXPECT_EQ(Command("pref"), noErr);
              EXPECT_TRUE(pOurWindow->IsVisible());
            }),
            0);
  EXPECT_TRUE(tile.shown.empty());
  // Another start (only tests start the program twice) gives back the Dock menu's nib of the
  // one before: one stays open, not one per start.
  const int nibs = plat::LiveNibReferences();
  EXPECT_EQ(RunProgram([] {}), 0);
  EXPECT_EQ(plat::LiveNibReferences(), nibs);
}

}  // namespace
