// The registry's notifications as a program sees them, before any system code is involved.
#include <string>
#include <vector>

#include "tests/discovery/ScenarioFixture.h"

namespace {

struct Watcher {
  std::vector<std::string> log;
  bool walk = true;
};

void Walk(Watcher* watcher, io_iterator_t iterator) {
  while (io_object_t found = IOIteratorNext(iterator)) {
    watcher->log.push_back("arrived");
    IOObjectRelease(found);
  }
}

void OnArrival(void* refCon, io_iterator_t iterator) {
  auto* watcher = static_cast<Watcher*>(refCon);
  watcher->log.push_back("called");
  if (watcher->walk)
    Walk(watcher, iterator);
}

using RegistryTest = ScenarioTest;
using Log = std::vector<std::string>;

TEST_F(RegistryTest, ArrivalsComeFromTheRunLoopOnceTheIteratorHasBeenWalked) {
  const long handles = plat::LiveIOObjects();
  Watcher watcher;
  bench.PlugSwitch();
  IONotificationPortRef port = IONotificationPortCreate(kIOMasterPortDefault);
  io_iterator_t arrivals = 0;
  ASSERT_EQ(IOServiceAddMatchingNotification(port, kIOFirstMatchNotification,
                                             IOServiceMatching("IOUSBDevice"), OnArrival, &watcher,
                                             &arrivals),
            KERN_SUCCESS);
  Walk(&watcher, arrivals);  // the device plugged in already; this arms the notification
  EXPECT_EQ(watcher.log, Log{"arrived"});

  // Nothing is delivered before the port's source is on the run loop, nor from inside a call.
  watcher.log.clear();
  bench.PlugSwitch({.generation = 1});
  Wait(1);
  CFRunLoopAddSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(port),
                     kCFRunLoopDefaultMode);
  EXPECT_TRUE(watcher.log.empty());
  Deliver();
  EXPECT_EQ(watcher.log, (Log{"called", "arrived"}));

  // A callback that leaves the iterator unwalked hears of nothing more until it is walked.
  watcher.log.clear();
  watcher.walk = false;
  bench.PlugSwitch();
  Deliver();
  bench.PlugHIDDevice();
  Deliver();
  Walk(&watcher, arrivals);
  EXPECT_EQ(watcher.log, (Log{"called", "arrived", "arrived"}));

  IOObjectRelease(arrivals);
  IONotificationPortDestroy(port);
  EXPECT_EQ(plat::LiveIOObjects(), handles);
}

}  // namespace
