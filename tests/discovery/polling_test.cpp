// An open switch over time: the polling timer, the Dock icon following the switch, removal.
#include <filesystem>
#include <string>

#include "app/DockIcon.h"
#include "platform/CFBundle.h"
#include "platform/CGImage.h"
#include "tests/bundle/DockTiles.h"
#include "tests/discovery/ScenarioFixture.h"

namespace {

using PollingTest = ScenarioTest;
using Kind = plat::sim::Exchange::Kind;

long StatusReads(const plat::sim::SimulatedSwitch& sw) {
  long reads = 0;
  for (const auto& exchange : sw.Exchanges())
    reads += exchange.kind == Kind::kGetReport && exchange.id == 5 ? 1 : 0;
  return reads;
}

TEST_F(PollingTest, AVersionTwoSwitchIsPolledAndItsIconFollowsItUntilItIsUnplugged) {
  StartDiscovery();
  auto sw = bench.PlugSwitch({}, 0x0B);
  sw->PressButton(1);
  StderrOf(Deliver);
  EXPECT_EQ(info.linkKind, 2);
  EXPECT_EQ(info.availablePorts, 0x0B);
  EXPECT_EQ(ShownIcon(), "velbrook2.icns");

  // The first tick 5 s after the timer is installed, then one every 2 s.
  const plat::Nanos installed = plat::Now();
  EXPECT_EQ(plat::EventLoopTimerNextFire(theTimer), installed + 5 * plat::kNanosPerSecond);
  sw->PressButton(3);  // at the switch's own front panel
  Wait(4.9);
  EXPECT_EQ(StatusReads(*sw), 1);
  Wait(0.1);
  EXPECT_EQ(StatusReads(*sw), 2);
  EXPECT_EQ(plat::EventLoopTimerNextFire(theTimer), installed + 7 * plat::kNanosPerSecond);
  EXPECT_EQ(ShownIcon(), "velbrook4.icns");

  // A tick whose two port numbers differ shows the main icon; none reads while switched out.
  sw->ReportConfirmedPort(0);
  Wait(2);
  EXPECT_EQ(ShownIcon(), "velbrookmain.icns");
  sw->ReportConfirmedPort(std::nullopt);
  KVMSwitch.sessionInactive = 1;
  Wait(4);
  EXPECT_EQ(StatusReads(*sw), 3);
  KVMSwitch.sessionInactive = 0;
  Wait(2);
  EXPECT_EQ(ShownIcon(), "velbrook4.icns");

  // A notice other than the removal (here: the service is suspended) changes nothing; a tick
  // whose read fails shows the main icon and polling goes on.
  HIDDeviceNotification(&KVMSwitch, 0, 0xE0000020, nullptr);
  EXPECT_EQ(info.deviceState, 2);
  sw->FailNextReads(5, kIOReturnNotResponding);
  StderrOf([] { Wait(2); });
  EXPECT_EQ(ShownIcon(), "velbrookmain.icns");
  Wait(2);
  EXPECT_EQ(ShownIcon(), "velbrook4.icns");

  const long handles = plat::LiveIOObjects();
  bench.Unplug(sw);
  Deliver();
  EXPECT_EQ(info.deviceState, 0);
  EXPECT_EQ(info.linkKind, 2);
  EXPECT_EQ(theTimer, nullptr);
  EXPECT_EQ(plat::LiveEventLoopTimers(), 0);
  EXPECT_EQ(ShownIcon(), "velbrookmain.icns");
  EXPECT_EQ(plat::LiveIOObjects(), handles - 1);  // the removal notice

  // A second removal notice changes nothing and releases nothing twice.
  const long images = plat::LiveImages();
  HIDDeviceNotification(&KVMSwitch, 0, kIOMessageServiceIsTerminated, nullptr);
  EXPECT_EQ(plat::LiveImages(), images);
  EXPECT_EQ(plat::LiveIOObjects(), handles - 1);
  EXPECT_EQ(info.deviceState, 0);
}

TEST_F(PollingTest, AMissingIconIsReportedOnEveryTryAndTheIconStaysAsItWas) {
  ScratchFolder bundle;
  UseBundleWith(bundle, {"velbrook1.icns", "velbrook3.icns", "velbrookmain.icns"});
  StartDiscovery();
  auto sw = bench.PlugSwitch();
  StderrOf(Deliver);
  sw->PressButton(1);
  EXPECT_EQ(StderrOf([] { Wait(5); }), "RegisterIcon Error:  Invalid iconFileURL");
  EXPECT_EQ(StderrOf([] { Wait(2); }), "RegisterIcon Error:  Invalid iconFileURL");
  EXPECT_EQ(CurrentIconNumber, 0);
}

TEST_F(PollingTest, TheRemovalOfASwitchAlreadyReplacedLeavesItsSuccessorAlone) {
  StartDiscovery();
  auto replaced = bench.PlugSwitch();
  StderrOf(Deliver);
  replaced->FailNextReads(5, kIOReturnNotResponding);
  StderrOf([] { Wait(5); });
  ASSERT_EQ(info.deviceState, 0);

  auto successor = bench.PlugSwitch({.productID = 0x5505});
  StderrOf(Deliver);
  ASSERT_EQ(info.deviceState, 2);
  bench.Unplug(replaced);
  Deliver();
  EXPECT_EQ(info.deviceState, 2);
  EXPECT_NE(theTimer, nullptr);
  bench.Unplug(successor);
  Deliver();
  EXPECT_EQ(info.deviceState, 0);
}

}  // namespace
