#include "platform/Clock.h"

UInt32 TickCount() {
  return static_cast<UInt32>(plat::Now() * 60 / plat::kNanosPerSecond);
}

void Delay(UInt32 numTicks, UInt32* finalTicks) {
  plat::Clock& clock = plat::TheClock();
  const std::int64_t target = clock.Now() * 60 / plat::kNanosPerSecond + numTicks;
  clock.SleepUntil(plat::TickStart(target));
  if (finalTicks != nullptr) {
    *finalTicks = TickCount();
  }
}

EventTime GetCurrentEventTime() { return plat::NanosToSeconds(plat::Now()); }
