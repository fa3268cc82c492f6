#include "platform/sim/VirtualClock.h"

namespace plat {

VirtualClock& TheVirtualClock() {
  static VirtualClock clock;
  return clock;
}

Clock& TheClock() { return TheVirtualClock(); }

}  // namespace plat
