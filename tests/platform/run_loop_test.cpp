#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/sim/VirtualClock.h"

namespace {

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::TheVirtualClock().Reset();
    loop.Reset();
  }
  void TearDown() override { loop.Reset(); }
  plat::RunLoop& loop = plat::RunLoop::Main();
};

TEST_F(RunLoopTest, TimersFireInTimeOrderOnTheVirtualClock) {
  std::vector<std::string> fired;
  const plat::Nanos s = plat::kNanosPerSecond;
  const auto poll = loop.AddTimer(
      5 * s, 2 * s, [&] { fired.push_back("poll@" + std::to_string(plat::Now() / s)); });
  loop.AddTimer(6 * s, 0, [&] { fired.push_back("once@" + std::to_string(plat::Now() / s)); });
  loop.RunFor(10 * s);
  EXPECT_EQ(fired, (std::vector<std::string>{"poll@5", "once@6", "poll@7", "poll@9"}));
  EXPECT_EQ(plat::Now(), 10 * s);
  EXPECT_TRUE(loop.HasTimer(poll));
  EXPECT_EQ(loop.TimerCount(), 1u);
}

TEST_F(RunLoopTest, ATimerMayRemoveItselfAndTimeSpentInsideCallbacksCounts) {
  const plat::Nanos s = plat::kNanosPerSecond;
  int ticks = 0;
  plat::RunLoop::Id timer = 0;
  timer = loop.AddTimer(s, s, [&] {
    ++ticks;
    Delay(30, nullptr);  // half a second inside the callback
    if (ticks == 3)
      loop.RemoveTimer(timer);
  });
  loop.RunFor(100 * s);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(loop.HasTimer(timer));
}

TEST_F(RunLoopTest, DelayCountsWholeTicks) {
  UInt32 final = 0;
  Delay(10, &final);
  EXPECT_EQ(final, 10u);
  Delay(5, &final);
  EXPECT_EQ(TickCount(), 15u);
  EXPECT_DOUBLE_EQ(GetCurrentEventTime(), 15.0 / 60.0);
}

TEST_F(RunLoopTest, PostedWorkRunsInOrderAndStopEndsTheInnermostRun) {
  std::vector<int> order;
  loop.Post([&] {
    order.push_back(1);
    loop.Post([&] { order.push_back(3); });
  });
  loop.Post([&] { order.push_back(2); });
  loop.RunPending();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

  bool nestedReturned = false;
  loop.Post([&] {
    loop.Post([&] { loop.Stop(); });
    loop.RunUntil(plat::kForever);  // nested: returns at the Stop
    nestedReturned = true;
  });
  loop.RunFor(plat::kNanosPerSecond);
  EXPECT_TRUE(nestedReturned);
}

TEST_F(RunLoopTest, RunningForeverWithNothingToDoReturns) {
  loop.RunUntil(plat::kForever);
  EXPECT_EQ(plat::Now(), 0);
}

}  // namespace
