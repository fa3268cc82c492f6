// The clock of programs on real devices: CLOCK_MONOTONIC, immune to changes of the wall clock.
#include <time.h>

#include <cerrno>

#include "platform/Clock.h"

namespace plat {

namespace {

class MonotonicClock final : public Clock {
 public:
  MonotonicClock() : origin_(Raw()) {}
  Nanos Now() const override { return Raw() - origin_; }
  void SleepUntil(Nanos when) override {
    const Nanos absolute = origin_ + when;
    const timespec until{static_cast<time_t>(absolute / kNanosPerSecond),
                         static_cast<long>(absolute % kNanosPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
  }
  bool IsVirtual() const override { return false; }

 private:
  static Nanos Raw() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<Nanos>(now.tv_sec) * kNanosPerSecond + now.tv_nsec;
  }
  Nanos origin_;
};

}  // namespace

Clock& TheClock() {
  static MonotonicClock clock;
  return clock;
}

}  // namespace plat
