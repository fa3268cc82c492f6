#include <gtest/gtest.h>

#include <cstring>

#include "platform/CoreFoundation.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimulatedSwitch.h"
#include "platform/sim/VirtualClock.h"

namespace {

using plat::sim::SimulatedSwitch;

class SimulatedSwitchTest : public testing::Test {
 protected:
  void SetUp() override {
    plat::TheVirtualClock().Reset();
    plat::RunLoop::Main().Reset();
  }
  void TearDown() override { plat::RunLoop::Main().Reset(); }
  static bool Command(SimulatedSwitch& sw, UInt8 code, UInt8 argument = 0) {
    const UInt8 report[8] = {4, code, argument};
    return sw.ExecuteCommandReport(report, sizeof report);
  }
  static constexpr plat::Nanos kSecond = plat::kNanosPerSecond;
};

TEST_F(SimulatedSwitchTest, AutoScanVisitsTheAvailablePortsOnThePlatformClock) {
  auto sw = SimulatedSwitch::Create();
  sw->SetPortAvailable(2, false);
  ASSERT_TRUE(Command(*sw, 0x87, 15));
  ASSERT_TRUE(Command(*sw, 0x88));
  std::vector<int> visited;
  for (int dwell = 0; dwell < 3; ++dwell) {
    plat::RunLoop::Main().RunFor(15 * kSecond);
    visited.push_back(sw->CurrentPort());
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 3, 0}));

  // A port chosen at the switch gets a whole dwell; stopping the scan stops the timer.
  plat::RunLoop::Main().RunFor(10 * kSecond);
  sw->PressButton(3);
  plat::RunLoop::Main().RunFor(14 * kSecond);
  EXPECT_EQ(sw->CurrentPort(), 3);
  ASSERT_TRUE(Command(*sw, 0x89));
  EXPECT_EQ(plat::RunLoop::Main().TimerCount(), 0u);
}

TEST_F(SimulatedSwitchTest, TheSerialNumberIsAlwaysThreeCharactersOfValidText) {
  for (int ports : {2, 4}) {
    auto sw = SimulatedSwitch::Create({.generation = 1, .ports = ports});
    for (int state = 0; state < 64; ++state) {
      sw->PressButton(state % ports);
      sw->SetPortAvailable(state % ports, (state & 4) != 0);
      const UInt8 packets[][8] = {{static_cast<UInt8>((state & 8) ? 0x02 : 0x03)},
                                  {0x05, static_cast<UInt8>(state % ports)},
                                  {static_cast<UInt8>((state & 16) ? 0x04 : 0x08)},
                                  {0x06, static_cast<UInt8>(state % 14)}};
      for (const auto& packet : packets)
        sw->ExecuteCommandPacket(packet, 8);
      plat::CFHolder text(plat::MakeCFString(sw->SerialNumberText()));
      char16_t units[4] = {1, 1, 1, 1};
      ASSERT_TRUE(CFStringGetCString(static_cast<CFStringRef>(text.get()),
                                     reinterpret_cast<char*>(units), sizeof units,
                                     kCFStringEncodingUnicode))
          << state;
      EXPECT_EQ(CFStringGetLength(static_cast<CFStringRef>(text.get())), 3);
      EXPECT_EQ(0, std::memcmp(units, sw->SerialNumberBytes().data(), 6));
      for (int i = 0; i < 3; ++i)
        EXPECT_NE(units[i], 0) << state;
    }
  }
}

}  // namespace
