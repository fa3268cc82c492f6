#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "app/StartupChecks.h"
#include "platform/Multiprocessing.h"
#include "platform/Sysctl.h"
#include "switch/KVMSwitch.h"

namespace {

class StartupChecksTest : public testing::Test {
 protected:
  void TearDown() override { plat::FailSysctlWithErrno(0); }

  static std::string NativeLine() {
    testing::internal::CaptureStderr();
    PrintNativeLine();
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(StartupChecksTest, TheNativeLineFollowsTheTranslationQuery) {
  EXPECT_EQ(is_pid_native(0), 1);
  EXPECT_EQ(is_pid_native(42), 0);
  EXPECT_EQ(NativeLine(), "Tallowmere is running natively on an Intel-based Macintosh computer\n");

  // A system without the query predates translation: one line, then the PowerPC line.
  plat::FailSysctlWithErrno(ENOENT);
  EXPECT_EQ(NativeLine(),
            "sysctlbyname_with_pid(0): sysctlbyname failed: " + std::string(strerror(ENOENT)) +
                "\nTallowmere is running natively on a PowerPC Macintosh computer\n");

  plat::FailSysctlWithErrno(EPERM);
  const std::string denied = strerror(EPERM);
  EXPECT_EQ(NativeLine(), "sysctlbyname_with_pid(0): sysctlbyname failed: " + denied +
                              "\nis_pid_native: sysctlbyname_with_pid  failed:" + denied +
                              "\nTallowmere is running natively on a PowerPC Macintosh computer\n");
  // Only this process is ever asked about.
  EXPECT_EQ(is_pid_native(7), 0);
}

TEST_F(StartupChecksTest, TheByteOrderLineComesFromMemory) {
  testing::internal::CaptureStderr();
  PrintByteOrderLine();
  const std::uint32_t probe = 1;
  const bool little = *reinterpret_cast<const unsigned char*>(&probe) == 1;
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            little ? "Tallowmere is running on a Little Endian Byte Order CPU\n"
                   : "Tallowmere is running on a Big Endian Byte Order CPU\n");
}

TEST_F(StartupChecksTest, TheRecordStartsClearedAndItsRegionLivesUntilShutdown) {
  std::memset(&KVMSwitch, 0x6B, sizeof KVMSwitch);
  ClearSwitchRecord();
  const _KVM_SWITCH zero{};
  EXPECT_EQ(0, std::memcmp(&KVMSwitch, &zero, sizeof KVMSwitch));

  const int regions = plat::LiveCriticalRegions();
  CreateSwitchRegion();
  ASSERT_NE(KVMSwitch.criticalRegion, nullptr);
  EXPECT_EQ(MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever), noErr);
  EXPECT_EQ(MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever), noErr);
  MPExitCriticalRegion(KVMSwitch.criticalRegion);
  MPExitCriticalRegion(KVMSwitch.criticalRegion);
  DeleteSwitchRegion();
  EXPECT_EQ(plat::LiveCriticalRegions(), regions);

  // Without a region the program carries on after saying so.
  plat::FailNextCriticalRegionCreations(1);
  testing::internal::CaptureStderr();
  CreateSwitchRegion();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Can not Create Critical Region Byte Order CPU\n");
  EXPECT_EQ(KVMSwitch.criticalRegion, nullptr);
  DeleteSwitchRegion();
  EXPECT_EQ(plat::LiveCriticalRegions(), regions);
}

}  // namespace
