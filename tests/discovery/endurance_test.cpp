// Many plug cycles of both generations leave no handle, object, timer or memory behind.
#include <malloc.h>

#include <array>

#include "hid/DeviceRecord.h"
#include "platform/CGImage.h"
#include "platform/DockTile.h"
#include "platform/IOCFPlugIn.h"
#include "platform/model/iokit/IORegistry.h"
#include "tests/discovery/ScenarioFixture.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TALLOWMERE_ASAN 1
#include <sanitizer/allocator_interface.h>
#endif
#endif

namespace {

std::size_t HeapInUse() {
#ifdef TALLOWMERE_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

std::array<long, 7> LiveCounts() {
  return {plat::LiveIOObjects(),
          plat::LivePlugInInterfaces(),
          plat::LiveCFObjects(),
          plat::LiveEventLoopTimers(),
          plat::LiveImages(),
          static_cast<long>(plat::IORegistry::Shared().InterestNotificationCount()),
          static_cast<long>(plat::RunLoop::Main().TimerCount())};
}

using EnduranceTest = ScenarioTest;

TEST_F(EnduranceTest, AThousandPlugCyclesOfBothGenerationsLeaveNothingBehind) {
  StartDiscovery();
  const auto atStart = LiveCounts();
  const auto cycle = [this](int round) {
    auto sw = bench.PlugSwitch({.generation = 1 + round % 2});
    Deliver();
    Wait(5.5);
    sw->PressButton(1);
    Wait(2);
    bench.Unplug(sw);
    Deliver();
  };
  testing::internal::CaptureStderr();
  for (int round = 0; round < 20; ++round)
    cycle(round);
  const std::size_t heap = HeapInUse();
  const auto warm = LiveCounts();
  for (int round = 0; round < 1000; ++round)
    cycle(round);
  testing::internal::GetCapturedStderr();

  EXPECT_EQ(LiveCounts(), warm);
  // Less than 8 bytes a cycle: any object left behind by a cycle would show.
  EXPECT_LT(HeapInUse(), heap + 8 * 1024);
  EXPECT_EQ(info.deviceState, 0);
  // All that is left is what the record keeps of the last switch until the next one arrives, and
  // the main icon the Dock tile shows.
  AdoptDeviceRecord(&info.device, DEVICE_DATA{});
  RestoreApplicationDockTileImage();
  EXPECT_EQ(LiveCounts(), atStart);
}

}  // namespace
