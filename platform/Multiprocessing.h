// Critical regions: the one lock of the switch record. A region may be entered again by the
// thread that holds it (each entry matched by an exit).
#pragma once

#include "platform/MacTypes.h"

struct OpaqueMPCriticalRegionID;
using MPCriticalRegionID = OpaqueMPCriticalRegionID*;

// Milliseconds to wait for a region; kDurationForever waits without limit.
using Duration = SInt32;
constexpr Duration kDurationImmediate = 0;
constexpr Duration kDurationForever = 0x7FFFFFFF;

OSStatus MPCreateCriticalRegion(MPCriticalRegionID* region);
OSStatus MPDeleteCriticalRegion(MPCriticalRegionID region);
OSStatus MPEnterCriticalRegion(MPCriticalRegionID region, Duration timeout);
OSStatus MPExitCriticalRegion(MPCriticalRegionID region);

namespace plat {
// Test hooks: the next `count` calls of MPCreateCriticalRegion fail with kMPInsufficientResourcesErr.
void FailNextCriticalRegionCreations(int count);
// Regions that exist now (created and not deleted).
int LiveCriticalRegions();
}  // namespace plat
