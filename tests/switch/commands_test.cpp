#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "switch/KVMOperations.h"
#include "tests/switch/SimulatedLink.h"

namespace {

using plat::sim::SwitchConfig;
using Bytes = std::vector<UInt8>;

struct Command {
  std::function<void(_KVM_INFO*)> send;
  Bytes wire;  // the first bytes of the 8 the switch receives; the rest are 0
  std::function<long(const _KVM_INFO&)> field;  // what the next status read shows
  long shows;
};

// Sends each command in turn; each must reach the switch as exactly its bytes and show in the
// next status read.
void ExpectEachOnTheWireAndInTheNextRead(SimulatedLink& link,
                                         const std::vector<Command>& commands) {
  for (std::size_t i = 0; i < commands.size(); ++i) {
    link.simulated->ClearExchanges();
    commands[i].send(&link.info);
    Bytes wire = commands[i].wire;
    wire.resize(8);
    EXPECT_EQ(link.Commands(), std::vector<Bytes>{wire}) << "command " << i;
    KVMGetInformation(&link.info);
    EXPECT_EQ(commands[i].field(link.info), commands[i].shows) << "command " << i;
  }
}

// What the next status read shows of each setting (a fixed port as 10 + its number).
const auto port = [](const _KVM_INFO& in) -> long { return in.currentPort; };
const auto buzzer = [](const _KVM_INFO& in) -> long { return in.buzzerOn; };
const auto audio = [](const _KVM_INFO& in) -> long { return in.audioFixed * 10 + in.audioPort; };
const auto audioPort = [](const _KVM_INFO& in) -> long { return in.audioPort; };
const auto audioFixed = [](const _KVM_INFO& in) -> long { return in.audioFixed; };
const auto hub0 = [](const _KVM_INFO& in) -> long { return in.hubFixed[0] * 10 + in.hubPort[0]; };
const auto hub0Fixed = [](const _KVM_INFO& in) -> long { return in.hubFixed[0]; };
const auto hub0Port = [](const _KVM_INFO& in) -> long { return in.hubPort[0]; };
const auto hub1Fixed = [](const _KVM_INFO& in) -> long { return in.hubFixed[1]; };
const auto hub1Port = [](const _KVM_INFO& in) -> long { return in.hubPort[1]; };
const auto period = [](const _KVM_INFO& in) -> long { return in.autoScanPeriod; };
const auto autoScan = [](const _KVM_INFO& in) -> long { return in.autoScanOn; };
const auto trigger = [](const _KVM_INFO& in) -> long { return in.universalHotKey; };

TEST(KVMCommands, EveryCommandOfTheHIDLink) {
  SimulatedLink link(SwitchConfig{.generation = 2});
  KVMGetInformation(&link.info);
  auto& i = link.info;
  ExpectEachOnTheWireAndInTheNextRead(
      link,
      {
          {[](auto* in) { KVMSetPortNumber(in, 3); }, {4, 0x81, 3}, port, 3},
          {[](auto* in) { KVMSetBuzzer(in, false); }, {4, 0x86}, buzzer, 0},
          {[](auto* in) { KVMSetBuzzer(in, true); }, {4, 0x86, 1}, buzzer, 1},
          {[](auto* in) { KVMUnbindAudio(in); }, {4, 0x85}, audio, 13},
          {[](auto* in) { KVMFixAudioPortNumber(in, 1); }, {4, 0x8C, 1}, audioPort, 1},
          {[](auto* in) { KVMBindAudio(in); }, {4, 0x84}, audio, 3},
          {[](auto* in) { KVMUnbindHUB(in, 1); }, {4, 0x90}, hub1Fixed, 1},
          {[](auto* in) { KVMFixHUBPortNumber(in, 1, 2); }, {4, 0x8B, 2}, hub1Port, 2},
          {[](auto* in) { KVMBindHUB(in, 1); }, {4, 0x8F}, hub1Fixed, 0},
          {[](auto* in) { KVMUnbindHUB(in, 0); }, {4, 0x8E}, hub0Fixed, 1},
          {[](auto* in) { KVMFixHUBPortNumber(in, 0, 1); }, {4, 0x8A, 1}, hub0Port, 1},
          {[](auto* in) { KVMBindHUB(in, 0); }, {4, 0x8D}, hub0, 3},
          {[](auto* in) { KVMSetAutoScanPeriod(in, 12); }, {4, 0x87, 60}, period, 12},
          {[](auto* in) { KVMSetAutoScanPeriod(in, 1); }, {4, 0x87, 5}, period, 1},
          {[](auto* in) { KVMSetAutoScan(in, true); }, {4, 0x88}, autoScan, 1},
          {[](auto* in) { KVMSetAutoScan(in, false); }, {4, 0x89}, autoScan, 0},
          {[](auto* in) { KVMSetUniversalHotKey(in, 0x129); }, {4, 0x91, 0x29}, trigger, 0x29},
      });
  EXPECT_EQ(i.deviceState, 2);
}

TEST(KVMCommands, EveryCommandOfTheUSBLink) {
  SimulatedLink link(SwitchConfig{.generation = 1});
  KVMGetInformation(&link.info);
  ExpectEachOnTheWireAndInTheNextRead(
      link, {
                {[](auto* in) { KVMSetPortNumber(in, 2); }, {1, 2}, port, 2},
                {[](auto* in) { KVMSetPortNumber(in, 0x101); }, {1, 1}, port, 1},
                {[](auto* in) { KVMSetBuzzer(in, false); }, {3}, buzzer, 0},
                {[](auto* in) { KVMSetBuzzer(in, true); }, {2}, buzzer, 1},
                {[](auto* in) { KVMFixAudioPortNumber(in, 3); }, {5, 3}, audio, 13},
                {[](auto* in) { KVMBindAudio(in); }, {4}, audioFixed, 0},
                {[](auto* in) { KVMSetAutoScanPeriod(in, 4); }, {6, 4}, period, 4},
                {[](auto* in) { KVMSetAutoScan(in, true); }, {7}, autoScan, 1},
                {[](auto* in) { KVMSetAutoScan(in, false); }, {8}, autoScan, 0},
            });
}

TEST(KVMCommands, CommandsALinkLacksSendNothing) {
  SimulatedLink usb(SwitchConfig{.generation = 1});
  KVMUnbindAudio(&usb.info);
  KVMBindHUB(&usb.info, 0);
  KVMUnbindHUB(&usb.info, 1);
  KVMFixHUBPortNumber(&usb.info, 0, 1);
  KVMSetUniversalHotKey(&usb.info, 0x29);
  EXPECT_TRUE(usb.simulated->Exchanges().empty());

  SimulatedLink undetermined;
  undetermined.info.linkKind = 0;
  EXPECT_EQ(KVMSetPortNumber(&undetermined.info, 1), 0);
  EXPECT_EQ(KVMSetAutoScan(&undetermined.info, true), 0);
  EXPECT_TRUE(undetermined.simulated->Exchanges().empty());
}

TEST(KVMCommands, AHeldUSBSwitchWithoutADeviceInterfaceFailsInsteadOfCrashing) {
  // Found while the session was switched out: link kind 1, nothing opened yet.
  _KVM_INFO held{};
  held.deviceState = 1;
  held.linkKind = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(KVMSetPortNumber(&held, 1), kIOReturnError);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "USBTransferData: No known interface\n");
}

}  // namespace
