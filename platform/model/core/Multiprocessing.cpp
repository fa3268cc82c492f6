#include "platform/Multiprocessing.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

struct OpaqueMPCriticalRegionID {
  std::recursive_timed_mutex mutex;
  // Entries by the holder, so that an exit by a thread that does not hold it is refused.
  std::atomic<std::thread::id> owner{};
  int depth = 0;
};

namespace {
std::atomic<int> failCreations{0};
std::atomic<int> liveRegions{0};
}  // namespace

namespace plat {
void FailNextCriticalRegionCreations(int count) { failCreations = count; }
int LiveCriticalRegions() { return liveRegions; }
}  // namespace plat

OSStatus MPCreateCriticalRegion(MPCriticalRegionID* region) {
  if (region == nullptr) return paramErr;
  if (failCreations > 0) {
    --failCreations;
    *region = nullptr;
    return kMPInsufficientResourcesErr;
  }
  *region = new OpaqueMPCriticalRegionID;
  ++liveRegions;
  return noErr;
}

OSStatus MPDeleteCriticalRegion(MPCriticalRegionID region) {
  if (region == nullptr) return kMPInvalidIDErr;
  delete region;
  --liveRegions;
  return noErr;
}

OSStatus MPEnterCriticalRegion(MPCriticalRegionID region, Duration timeout) {
  if (region == nullptr) return kMPInvalidIDErr;
  bool entered;
  if (timeout == kDurationForever) {
    region->mutex.lock();
    entered = true;
  } else if (timeout <= kDurationImmediate) {
    entered = region->mutex.try_lock();
  } else {
    entered = region->mutex.try_lock_for(std::chrono::milliseconds(timeout));
  }
  if (!entered) return kMPTimeoutErr;
  region->owner = std::this_thread::get_id();
  ++region->depth;
  return noErr;
}

OSStatus MPExitCriticalRegion(MPCriticalRegionID region) {
  if (region == nullptr) return kMPInvalidIDErr;
  if (region->owner.load() != std::this_thread::get_id() || region->depth == 0) {
    return kMPInsufficientResourcesErr;
  }
  if (--region->depth == 0) region->owner = std::thread::id{};
  region->mutex.unlock();
  return noErr;
}
