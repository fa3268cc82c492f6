#include <gtest/gtest.h>

#include <cstring>

#include "switch/KVMOperations.h"
#include "tests/switch/SimulatedLink.h"

namespace {

using plat::sim::SwitchConfig;

// The switch's own state and what the program decoded from its report agree.
void ExpectDecodedAsTheSwitchIs(const plat::sim::SimulatedSwitch& sw, const _KVM_INFO& info) {
  const auto& offers = sw.Offers();
  EXPECT_EQ(info.portCount, sw.PortCount());
  EXPECT_EQ(info.availablePorts, sw.AvailablePorts());
  EXPECT_EQ(info.currentPort, sw.CurrentPort());
  EXPECT_EQ(info.confirmedPort, sw.CurrentPort());
  EXPECT_EQ(info.hasBuzzer, offers.buzzer);
  EXPECT_EQ(info.hasAudio, offers.audio);
  EXPECT_EQ(info.audioFixable, offers.audioFixable);
  EXPECT_EQ(info.hasAutoScanPeriod, offers.autoScanPeriod);
  EXPECT_EQ(info.buzzerOn, sw.BuzzerOn());
  EXPECT_EQ(info.audioFixed, sw.AudioFixed());
  EXPECT_EQ(info.audioPort, sw.AudioPort());
  EXPECT_EQ(info.autoScanOn, sw.AutoScanOn());
  EXPECT_EQ(info.autoScanPeriod, sw.AutoScanSeconds() / 5);
  for (int hub = 0; hub < 2 && sw.Generation() == 2; ++hub) {
    EXPECT_EQ(info.hasHub[hub], offers.hub[static_cast<std::size_t>(hub)]);
    EXPECT_EQ(info.hubFixable[hub], offers.hubFixable[static_cast<std::size_t>(hub)]);
    EXPECT_EQ(info.hubFixed[hub], sw.HubFixed(hub));
    EXPECT_EQ(info.hubPort[hub], sw.HubPort(hub));
  }
  EXPECT_EQ(info.hasUniversalHotKey, offers.universalHotKey);
  if (sw.Generation() == 2) {
    EXPECT_EQ(info.universalHotKey, sw.TriggerKey());
  }
}

class InformationTest : public testing::TestWithParam<int> {};

TEST_P(InformationTest, TheSwitchEncodesItsStateAndTheProgramDecodesItBack) {
  const int generation = GetParam();
  for (int ports : {2, 4}) {
    SimulatedLink link(SwitchConfig{.generation = generation, .ports = ports});
    auto& sw = *link.simulated;
    KVMGetInformation(&link.info);
    ExpectDecodedAsTheSwitchIs(sw, link.info);

    // Change everything the switch's own encoding can change, then read again.
    sw.PressButton(1);
    sw.SetPortAvailable(0, false);
    if (generation == 2) {
      for (auto [code, argument] : {std::pair{0x86, 0},
                                    {0x8C, 1},
                                    {0x8B, 1},
                                    {0x8E, 0},
                                    {0x87, 35},
                                    {0x91, 0x39},
                                    {0x88, 0}}) {
        const UInt8 report[8] = {4, static_cast<UInt8>(code), static_cast<UInt8>(argument)};
        ASSERT_TRUE(sw.ExecuteCommandReport(report, 8)) << code;
      }
    } else {
      for (auto [code, argument] : {std::pair{0x03, 0}, {0x05, 1}, {0x06, 9}, {0x07, 0}}) {
        const UInt8 packet[8] = {static_cast<UInt8>(code), static_cast<UInt8>(argument)};
        ASSERT_TRUE(sw.ExecuteCommandPacket(packet, 8)) << code;
      }
    }
    KVMGetInformation(&link.info);
    ExpectDecodedAsTheSwitchIs(sw, link.info);
    EXPECT_EQ(link.info.deviceState, 2);
  }
}

TEST_P(InformationTest, AFailedReadMarksTheSwitchAbsentUntilDiscoveryButLaterReadsDecode) {
  SimulatedLink link(SwitchConfig{.generation = GetParam()});
  auto& sw = *link.simulated;
  sw.PressButton(2);
  KVMGetInformation(&link.info);
  const _KVM_INFO good = link.info;

  // Every attempt of the link fails: five on the HID link, one on the USB link.
  sw.FailNextReads(GetParam() == 2 ? 5 : 1, kIOReturnNotResponding);
  sw.PressButton(3);
  testing::internal::CaptureStderr();
  KVMGetInformation(&link.info);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("KVMGetInformation: Call to USBGetDeviceInfo failed. Code result = "
                          "E00002ED\n"),
            std::string::npos)
      << messages;
  EXPECT_EQ(link.info.deviceState, 0);
  EXPECT_EQ(link.info.confirmedPort, -1);
  EXPECT_EQ(link.info.currentPort, good.currentPort);
  EXPECT_EQ(0, std::memcmp(link.info.device.report, good.device.report, 12));

  KVMGetInformation(&link.info);
  EXPECT_EQ(link.info.currentPort, 3);
  EXPECT_EQ(link.info.confirmedPort, 3);
  EXPECT_EQ(link.info.deviceState, 0);
}

// One capability at a time, through a switch offering only that one (a generation-1 switch
// always has its auto-scan period and never hubs or a trigger key): no bit is taken for another.
TEST_P(InformationTest, EachCapabilityIsDecodedOnItsOwn) {
  using Offers = plat::sim::Capabilities;
  const bool hid = GetParam() == 2;
  const Offers none{false, false, false, !hid, {false, false}, {false, false}, false};
  std::vector<void (*)(Offers&)> only = {[](Offers&) {}, [](Offers& o) { o.buzzer = true; },
                                         [](Offers& o) { o.audio = true; },
                                         [](Offers& o) { o.audioFixable = true; }};
  if (hid) {
    only.insert(
        only.end(),
        {[](Offers& o) { o.autoScanPeriod = true; }, [](Offers& o) { o.hub[0] = true; },
         [](Offers& o) { o.hub[1] = true; }, [](Offers& o) { o.hubFixable[0] = true; },
         [](Offers& o) { o.hubFixable[1] = true; }, [](Offers& o) { o.universalHotKey = true; }});
  }
  for (std::size_t i = 0; i < only.size(); ++i) {
    SCOPED_TRACE(i);
    Offers offers = none;
    only[i](offers);
    SimulatedLink link(SwitchConfig{.generation = GetParam(), .capabilities = offers});
    KVMGetInformation(&link.info);
    ExpectDecodedAsTheSwitchIs(*link.simulated, link.info);
  }
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, InformationTest, testing::Values(1, 2));

TEST(KVMGetInformation, WithoutALinkNothingIsAskedAndTheSwitchIsAbsent) {
  SimulatedLink link;
  link.info.linkKind = 0;
  link.info.confirmedPort = 2;
  testing::internal::CaptureStderr();
  KVMGetInformation(&link.info);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "KVMGetInformation: Call to USBGetDeviceInfo failed. Code result = E00002BC\n");
  EXPECT_EQ(link.info.deviceState, 0);
  EXPECT_EQ(link.info.confirmedPort, -1);
  EXPECT_TRUE(link.simulated->Exchanges().empty());
}

}  // namespace
