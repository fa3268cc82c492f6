// The simulation's clock: time stands still until something waits, then jumps.
#pragma once

#include "platform/Clock.h"

namespace plat {

class VirtualClock final : public Clock {
 public:
  Nanos Now() const override { return now_; }
  void SleepUntil(Nanos when) override {
    if (when > now_) now_ = when;
  }
  bool IsVirtual() const override { return true; }

  // Lets time pass, as a person waiting would (the console's `wait`, or wall time in a terminal).
  void Advance(Nanos by) { now_ += by; }
  // Back to the origin, for tests that start afresh.
  void Reset() { now_ = 0; }

 private:
  Nanos now_ = 0;
};

VirtualClock& TheVirtualClock();

}  // namespace plat
