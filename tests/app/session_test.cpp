#include "platform/Processes.h"
#include "tests/app/ApplicationFixture.h"

namespace {

using SessionTest = ApplicationTest;

TEST_F(SessionTest, OnlyAChangeOfSessionCounts) {
  RunProgram([&] {
    plat::SwitchUserSession(false);
    EXPECT_EQ(KVMSwitch.sessionInactive, 1);
    plat::SwitchUserSession(false);
    EXPECT_EQ(KVMSwitch.sessionInactive, 1);
    plat::SwitchUserSession(true);
    EXPECT_EQ(KVMSwitch.sessionInactive, 0);
  });
}

// A switch plugged in while the session is switched out is held, and opened when it returns.
TEST_F(SessionTest, ASwitchFoundWhileSwitchedOutIsOpenedWhenTheSessionReturns) {
  for (const int generation : {1, 2}) {
    Fresh();
    RunProgram([&] {
      plat::SwitchUserSession(false);
      const auto simulated = Plug(generation);
      plat::RunLoop::Main().RunPending();
      EXPECT_EQ(info.deviceState, 1);
      EXPECT_EQ(info.linkKind, generation);
      EXPECT_EQ(Reads(*simulated), 0);
      plat::SwitchUserSession(true);
      EXPECT_EQ(info.deviceState, 2);
      EXPECT_EQ(info.linkKind, generation);
      EXPECT_GT(Reads(*simulated), 0);
    });
  }
}

TEST_F(SessionTest, AnOpenSwitchStaysOpenAndIsNotPolledWhileSwitchedOut) {
  const auto simulated = Plug();
  RunProgram([&] {
    ASSERT_EQ(info.deviceState, 2);
    plat::SwitchUserSession(false);
    simulated->ClearExchanges();
    plat::RunLoop::Main().RunFor(plat::SecondsToNanos(20));
    EXPECT_EQ(Reads(*simulated), 0);
    // Back: only the flag changes, and polling reads again.
    plat::SwitchUserSession(true);
    EXPECT_EQ(info.deviceState, 2);
    EXPECT_TRUE(simulated->Exchanges().empty());
    plat::RunLoop::Main().RunFor(plat::SecondsToNanos(2));
    EXPECT_GT(Reads(*simulated), 0);
  });
}

}  // namespace
