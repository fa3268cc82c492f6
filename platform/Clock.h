// The platform clock: one time base for Delay, event-loop timers and the run loop.
//
// The clock is chosen when an executable is linked: the simulation links a virtual clock whose
// time passes only when something waits (so a test of a 5-second poll runs in microseconds and
// can count ticks exactly); the Linux backend links the monotonic clock.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/MacTypes.h"

// Event times are seconds on the platform clock.
using EventTime = double;
using EventTimeout = EventTime;
using EventTimerInterval = EventTime;
constexpr EventTime kEventDurationSecond = 1.0;
constexpr EventTime kEventDurationMillisecond = kEventDurationSecond / 1000;
constexpr EventTime kEventDurationNoWait = 0.0;
constexpr EventTime kEventDurationForever = -1.0;

// Ticks are 1/60 second since the clock's origin.
UInt32 TickCount();
// Blocks the calling thread for numTicks ticks; *finalTicks (may be null) receives TickCount()
// at the end.
void Delay(UInt32 numTicks, UInt32* finalTicks);
EventTime GetCurrentEventTime();

namespace plat {

// Nanoseconds on the platform clock.
using Nanos = std::int64_t;
constexpr Nanos kNanosPerSecond = 1'000'000'000;
constexpr Nanos kForever = std::numeric_limits<Nanos>::max();

constexpr Nanos SecondsToNanos(double seconds) {
  return static_cast<Nanos>(seconds * static_cast<double>(kNanosPerSecond) + 0.5);
}
constexpr double NanosToSeconds(Nanos nanos) {
  return static_cast<double>(nanos) / static_cast<double>(kNanosPerSecond);
}
// The first instant of tick number `tick`, so that a wait until it ends exactly on that tick.
constexpr Nanos TickStart(std::int64_t tick) { return (tick * kNanosPerSecond + 59) / 60; }

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Nanos Now() const = 0;
  // Blocks (or, for a virtual clock, moves time forward) until `when`.
  virtual void SleepUntil(Nanos when) = 0;
  // True when time passes only by waiting: the run loop then jumps to its next due timer.
  virtual bool IsVirtual() const = 0;
};

// The clock of this executable; defined by the backend it is linked with.
Clock& TheClock();

inline Nanos Now() { return TheClock().Now(); }

}  // namespace plat
