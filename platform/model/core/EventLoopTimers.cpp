#include "platform/EventLoopTimers.h"

#include "platform/RunLoop.h"

struct OpaqueEventLoopRef {};

struct OpaqueEventLoopTimerRef {
  plat::RunLoop::Id runLoopTimer = 0;
};

namespace {
OpaqueEventLoopRef mainLoop;
int liveTimers = 0;
}  // namespace

EventLoopRef GetMainEventLoop() { return &mainLoop; }
// Everything runs on the main thread.
EventLoopRef GetCurrentEventLoop() { return &mainLoop; }
EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc) { return proc; }
void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}

OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc,
                               void* userData, EventLoopTimerRef* outTimer) {
  if (loop != &mainLoop || proc == nullptr || fireDelay < 0 || interval < 0) return paramErr;
  auto* timer = new OpaqueEventLoopTimerRef;
  plat::RunLoop& runLoop = plat::RunLoop::Main();
  timer->runLoopTimer =
      runLoop.AddTimer(plat::Now() + plat::SecondsToNanos(fireDelay),
                       plat::SecondsToNanos(interval), [timer, proc, userData] {
                         proc(timer, userData);
                       });
  ++liveTimers;
  if (outTimer != nullptr) *outTimer = timer;
  return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer) {
  if (timer == nullptr) return paramErr;
  plat::RunLoop::Main().RemoveTimer(timer->runLoopTimer);
  delete timer;
  --liveTimers;
  return noErr;
}

namespace plat {
int LiveEventLoopTimers() { return liveTimers; }
Nanos EventLoopTimerNextFire(EventLoopTimerRef timer) {
  return timer == nullptr ? kForever : RunLoop::Main().NextFire(timer->runLoopTimer);
}
}  // namespace plat
