#include "tests/toolbox/ToolboxFixture.h"

namespace toolbox_test {
namespace {

using EventQueueTest = ToolboxTest;
constexpr UInt32 kTestClass = FourCC("test");
constexpr plat::Nanos kSecond = plat::kNanosPerSecond;

// Posts an event of kind `kind`; the queue keeps its own reference.
OSStatus Post(UInt32 kind, EventPriority priority) {
  EventRef event = NewEvent(kTestClass, kind);
  const OSStatus status = PostEventToQueue(GetMainEventQueue(), event, priority);
  ReleaseEvent(event);
  return status;
}

TEST_F(EventQueueTest, QueuedEventsRunFromTheRunLoopByPriorityAndInTimeWithTimers) {
  for (UInt32 kind = 1; kind <= 4; ++kind) {
    On(GetApplicationEventTarget(), kTestClass, kind, [this, kind](EventHandlerCallRef, EventRef) {
      log.push_back(std::to_string(kind) + "@" + std::to_string(plat::Now() / (kSecond / 10)));
      return noErr;
    });
  }
  plat::RunLoop::Main().AddTimer(kSecond / 2, 0, [] { Post(4, kEventPriorityStandard); });
  Post(1, kEventPriorityLow);
  Post(2, kEventPriorityStandard);
  Post(3, kEventPriorityHigh);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 3u);
  EXPECT_TRUE(log.empty());
  plat::RunLoop::Main().RunFor(kSecond);
  EXPECT_EQ(log, (std::vector<std::string>{"3@0", "2@0", "1@0", "4@5"}));
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 0u);
}

TEST_F(EventQueueTest, AnEventIsQueuedOnceAndReleasedWhenDeliveredOrRemoved) {
  const long live = plat::LiveEvents();
  EventRef event = NewEvent(kTestClass, 1);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard), noErr);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard),
            eventAlreadyPostedErr);
  EXPECT_EQ(GetEventRetainCount(event), 2u);
  EXPECT_EQ(RemoveEventFromQueue(GetMainEventQueue(), event), noErr);
  EXPECT_FALSE(IsEventInQueue(GetMainEventQueue(), event));
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard), noErr);
  ReleaseEvent(event);
  plat::RunLoop::Main().RunPending();
  EXPECT_EQ(plat::LiveEvents(), live);
}

TEST_F(EventQueueTest, TheQuitCommandEndsTheApplicationEventLoop) {
  // A poll that would keep the loop busy for ever, and a quit command chosen after 3 seconds.
  int polls = 0;
  plat::RunLoop::Main().AddTimer(kSecond, kSecond, [&polls] { ++polls; });
  plat::RunLoop::Main().AddTimer(3 * kSecond + 1, 0, [] {
    EventRef quit = NewEvent(kEventClassCommand, kEventCommandProcess);
    HICommand command{0, kHICommandQuit, {nullptr, 0}};
    SetEventParameter(quit, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    PostEventToQueue(GetMainEventQueue(), quit, kEventPriorityStandard);
    ReleaseEvent(quit);
  });
  RunApplicationEventLoop();
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(plat::Now(), 3 * kSecond + 1);

  // Asked for while the loop is not running, a quit ends its next run at once.
  QuitApplicationEventLoop();
  RunApplicationEventLoop();
  EXPECT_EQ(polls, 3);
}

}  // namespace
}  // namespace toolbox_test
