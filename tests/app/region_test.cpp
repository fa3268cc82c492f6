#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Multiprocessing.h"
#include "platform/Processes.h"
#include "platform/sim/Bench.h"
#include "prefs/MainWindow.h"
#include "tests/app/ApplicationFixture.h"

namespace {

using RegionTest = ApplicationTest;

// Runs `use` while another thread holds the switch's region for a moment: `use` must wait until
// the other is done with the switch, and leave the region free for the next (false if not).
bool UsesTheSwitchInItsRegion(const std::function<void()>& use) {
  std::atomic<bool> held = false;
  std::atomic<bool> released = false;
  std::thread other([&] {
    MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
    held = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    released = true;
    MPExitCriticalRegion(KVMSwitch.criticalRegion);
  });
  while (!held)
    std::this_thread::yield();
  use();
  EXPECT_TRUE(released) << "did not wait for the switch";
  other.join();
  OSStatus next = noErr;
  std::thread([&] {
    next = MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationImmediate);
    if (next == noErr)
      MPExitCriticalRegion(KVMSwitch.criticalRegion);
  }).join();
  EXPECT_EQ(next, noErr) << "left the switch held";
  return next == noErr;
}

TEST_F(RegionTest, EveryUseOfTheSwitchWaitsForItsRegionAndLeavesItFree) {
  const auto simulated = Plug();
  RunProgram([&] {
    const std::pair<const char*, std::function<void()>> uses[] = {
        {"hot key", [] { PressHotKeyOfPort(2); }},
        {"port command", [] { Command("SPC3"); }},
        {"auto-scan command", [] { Command("Auto"); }},
        {"Dock menu", [] { plat::OpenDockMenu(); }},
        {"session out", [] { plat::SwitchUserSession(false); }},
        {"session back", [] { plat::SwitchUserSession(true); }},
        {"status poll", [] { plat::RunLoop::Main().RunFor(plat::SecondsToNanos(5)); }},
        {"Preferences", [] { Command("pref"); }},
        {"OK",
         [] {
           const auto window = plat::DescribeWindow(pOurWindow->GetWindowRef());
           for (const plat::ControlView& view : window->controls) {
             if (view.title == "OK")
               plat::ClickControl(view.ref);
           }
         }},
        {"unplugged",
         [&] {
           plat::sim::Bench::Shared().Unplug(simulated);
           plat::RunLoop::Main().RunPending();
         }},
    };
    for (const auto& [name, use] : uses) {
      SCOPED_TRACE(name);
      if (!UsesTheSwitchInItsRegion(use))
        break;  // the next would wait for the region for ever
    }
  });
}

}  // namespace
