#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "hid/HIDCommands.h"
#include "hid/HIDTransport.h"
#include "tests/switch/SimulatedLink.h"

namespace {

using plat::sim::Operation;

class HIDTransportTest : public testing::Test {
 protected:
  SimulatedLink link;
  DEVICE_DATA& device = link.info.device;
  plat::sim::SimulatedSwitch& sw = *link.simulated;
};

TEST_F(HIDTransportTest, AStatusReadAndACommandEachCostTenTicksInsideOneOpenAndClose) {
  ASSERT_EQ(HIDGetDeviceInfo(&device), 0);
  EXPECT_EQ(link.Ticks(), 10u);
  EXPECT_EQ(link.Trace(), "oggc");
  EXPECT_EQ(sw.Exchanges()[1].id, 5u);
  EXPECT_EQ(sw.Exchanges()[1].tick, 5u);
  EXPECT_EQ(sw.Exchanges()[2].id, 4u);
  const auto status = sw.StatusReport();
  const auto settings = sw.SettingsReport();
  EXPECT_EQ(0, std::memcmp(device.report, status.data(), 4));
  EXPECT_EQ(0, std::memcmp(device.report + 4, settings.data(), 8));

  ASSERT_EQ(HIDSetPortNumber(&device, 2), 0);
  EXPECT_EQ(link.Ticks(), 20u);
  EXPECT_EQ(link.Trace(), "oggcosc");
  EXPECT_EQ(sw.CurrentPort(), 2);
}

TEST_F(HIDTransportTest, AReadFailingFiveTimesCostsTwentyFiveTicksAndLeavesTheReport) {
  std::memset(device.report, 0xEE, sizeof device.report);
  sw.FailNextReads(5, kIOReturnNotResponding);
  testing::internal::CaptureStderr();
  EXPECT_EQ(HIDGetDeviceInfo(&device), kIOReturnNotResponding);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "HIDGetReport - Could not getReport. Error: -536870163.\n");
  EXPECT_EQ(link.Ticks(), 25u);
  EXPECT_EQ(link.Trace(), "ogggggc");  // report 4 is never asked for
}

TEST_F(HIDTransportTest, ARequestThatTimesOutIsNotRepeated) {
  sw.FailNextReads(1, kIOReturnTimeout);
  testing::internal::CaptureStderr();
  EXPECT_EQ(HIDGetDeviceInfo(&device), kIOReturnTimeout);
  sw.FailNextWrites(1, kIOReturnTimeout);
  EXPECT_EQ(HIDSetAutoScan(&device, true), kIOReturnTimeout);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(link.Trace(), "ogcosc");
  EXPECT_EQ(link.Ticks(), 15u);
  EXPECT_FALSE(sw.AutoScanOn());
}

TEST_F(HIDTransportTest, AFailedReadOfEitherReportLeavesTheWholeReport) {
  for (const UInt32 rejected : {5u, 4u}) {
    std::memset(device.report, 0xEE, sizeof device.report);
    sw.ClearExchanges();
    sw.RejectReport(rejected);
    testing::internal::CaptureStderr();
    EXPECT_EQ(HIDGetDeviceInfo(&device), kIOReturnUnsupported);
    testing::internal::GetCapturedStderr();
    // Five attempts at the rejected report; none at report 4 after report 5 failed.
    EXPECT_EQ(link.Trace(), rejected == 5 ? "ogggggc" : "oggggggc");
    EXPECT_EQ(std::vector<UInt8>(device.report, device.report + 12), std::vector<UInt8>(12, 0xEE));
  }
}

// A write is tried five times, 10 ticks apart: failing every time is an error said without a
// line end; failing four times is a silent success.
TEST_F(HIDTransportTest, AWriteIsTriedFiveTimesAndOnlyTheFifthFailureIsAnError) {
  for (const int failures : {5, 4}) {
    SimulatedLink fresh;
    fresh.simulated->FailNextWrites(failures, kIOReturnNotResponding);
    testing::internal::CaptureStderr();
    EXPECT_EQ(HIDSetAutoScan(&fresh.info.device, true), failures == 5 ? kIOReturnNotResponding : 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              failures == 5 ? "HIDSetReport - Could not setReport; error: -536870163" : "");
    EXPECT_EQ(fresh.Ticks(), 50u);
    EXPECT_EQ(fresh.Trace(), "osssssc");
    EXPECT_EQ(fresh.simulated->AutoScanOn(), failures == 4);
  }
}

TEST_F(HIDTransportTest, NothingToTalkToOrAFailedOpenSendsNothing) {
  EXPECT_EQ(HIDGetDeviceInfo(nullptr), kIOReturnError);
  DEVICE_DATA unopened{};
  EXPECT_EQ(HIDSetBuzzer(&unopened, true), kIOReturnError);
  EXPECT_EQ(link.Ticks(), 0u);

  sw.FailNextOpens(2, kIOReturnExclusiveAccess);
  EXPECT_EQ(HIDGetDeviceInfo(&device), kIOReturnExclusiveAccess);
  EXPECT_EQ(HIDSetBuzzer(&device, false), kIOReturnExclusiveAccess);
  EXPECT_EQ(link.Trace(), "oo");  // no exchange, no close
  EXPECT_TRUE(sw.BuzzerOn());
}

}  // namespace
