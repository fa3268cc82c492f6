#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Multiprocessing.h"

namespace {

TEST(CriticalRegion, TheHolderMayEnterAgainAndOthersWait) {
  MPCriticalRegionID region = nullptr;
  ASSERT_EQ(MPCreateCriticalRegion(&region), noErr);
  ASSERT_EQ(MPEnterCriticalRegion(region, kDurationForever), noErr);
  ASSERT_EQ(MPEnterCriticalRegion(region, kDurationForever), noErr);

  std::atomic<OSStatus> fromOther{1};
  std::thread other([&] { fromOther = MPEnterCriticalRegion(region, kDurationImmediate); });
  other.join();
  EXPECT_EQ(fromOther, kMPTimeoutErr);
  // Another thread may not leave a region it does not hold.
  std::thread intruder([&] { fromOther = MPExitCriticalRegion(region); });
  intruder.join();
  EXPECT_NE(fromOther, noErr);

  EXPECT_EQ(MPExitCriticalRegion(region), noErr);
  EXPECT_EQ(MPExitCriticalRegion(region), noErr);
  EXPECT_NE(MPExitCriticalRegion(region), noErr);  // one exit too many

  std::thread after([&] {
    fromOther = MPEnterCriticalRegion(region, kDurationImmediate);
    if (fromOther == noErr) MPExitCriticalRegion(region);
  });
  after.join();
  EXPECT_EQ(fromOther, noErr);
  EXPECT_EQ(MPDeleteCriticalRegion(region), noErr);
}

TEST(CriticalRegion, ANullRegionAndAFailedCreationAreReported) {
  EXPECT_EQ(MPEnterCriticalRegion(nullptr, kDurationForever), kMPInvalidIDErr);
  EXPECT_EQ(MPExitCriticalRegion(nullptr), kMPInvalidIDErr);
  const int live = plat::LiveCriticalRegions();
  plat::FailNextCriticalRegionCreations(1);
  MPCriticalRegionID region = nullptr;
  EXPECT_NE(MPCreateCriticalRegion(&region), noErr);
  EXPECT_EQ(region, nullptr);
  EXPECT_EQ(plat::LiveCriticalRegions(), live);
}

}  // namespace
