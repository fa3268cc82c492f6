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
  Bytes wire;                                   // the 8 bytes the switch receives
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
    EXPECT_EQ(link.Commands(), std::vector<Bytes>{commands[i].wire}) << "command " << i;
    KVMGetInformation(&link.info);
    EXPECT_EQ(commands[i].field(link.info), commands[i].shows) << "command " << i;
  }
}

TEST(KVMCommands, EveryCommandOfTheHIDLink) {
  SimulatedLink link(SwitchConfig{.generation = 2});
  KVMGetInformation(&link.info);
  auto& i = link.info;
  ExpectEachOnTheWireAndInTheNextRead(
      link, {
                {[](auto* in) { KVMSetPortNumber(in, 3); },
                 {4, 0x81, 3, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.currentPort; },
                 3},
                {[](auto* in) { KVMSetBuzzer(in, false); },
                 {4, 0x86, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.buzzerOn; },
                 0},
                {[](auto* in) { KVMSetBuzzer(in, true); },
                 {4, 0x86, 1, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.buzzerOn; },
                 1},
                {[](auto* in) { KVMUnbindAudio(in); },
                 {4, 0x85, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.audioFixed * 10 + in.audioPort; },
                 13},
                {[](auto* in) { KVMFixAudioPortNumber(in, 1); },
                 {4, 0x8C, 1, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.audioPort; },
                 1},
                {[](auto* in) { KVMBindAudio(in); },
                 {4, 0x84, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.audioFixed * 10 + in.audioPort; },
                 3},
                {[](auto* in) { KVMUnbindHUB(in, 1); },
                 {4, 0x90, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.hubFixed[1]; },
                 1},
                {[](auto* in) { KVMFixHUBPortNumber(in, 1, 2); },
                 {4, 0x8B, 2, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.hubPort[1]; },
                 2},
                {[](auto* in) { KVMBindHUB(in, 1); },
                 {4, 0x8F, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.hubFixed[1]; },
                 0},
                {[](auto* in) { KVMUnbindHUB(in, 0); },
                 {4, 0x8E, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.hubFixed[0]; },
                 1},
                {[](auto* in) { KVMFixHUBPortNumber(in, 0, 1); },
                 {4, 0x8A, 1, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.hubPort[0]; },
                 1},
                {[](auto* in) { KVMBindHUB(in, 0); },
                 {4, 0x8D, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.hubFixed[0] * 10 + in.hubPort[0]; },
                 3},
                {[](auto* in) { KVMSetAutoScanPeriod(in, 12); },
                 {4, 0x87, 60, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanPeriod; },
                 12},
                {[](auto* in) { KVMSetAutoScanPeriod(in, 1); },
                 {4, 0x87, 5, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanPeriod; },
                 1},
                {[](auto* in) { KVMSetAutoScan(in, true); },
                 {4, 0x88, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanOn; },
                 1},
                {[](auto* in) { KVMSetAutoScan(in, false); },
                 {4, 0x89, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanOn; },
                 0},
                {[](auto* in) { KVMSetUniversalHotKey(in, 0x129); },
                 {4, 0x91, 0x29, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.universalHotKey; },
                 0x29},
            });
  EXPECT_EQ(i.deviceState, 2);
}

TEST(KVMCommands, EveryCommandOfTheUSBLink) {
  SimulatedLink link(SwitchConfig{.generation = 1});
  KVMGetInformation(&link.info);
  ExpectEachOnTheWireAndInTheNextRead(
      link, {
                {[](auto* in) { KVMSetPortNumber(in, 2); },
                 {1, 2, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.currentPort; },
                 2},
                {[](auto* in) { KVMSetPortNumber(in, 0x101); },
                 {1, 1, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.currentPort; },
                 1},
                {[](auto* in) { KVMSetBuzzer(in, false); },
                 {3, 0, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.buzzerOn; },
                 0},
                {[](auto* in) { KVMSetBuzzer(in, true); },
                 {2, 0, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.buzzerOn; },
                 1},
                {[](auto* in) { KVMFixAudioPortNumber(in, 3); },
                 {5, 3, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.audioFixed * 10 + in.audioPort; },
                 13},
                {[](auto* in) { KVMBindAudio(in); },
                 {4, 0, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.audioFixed; },
                 0},
                {[](auto* in) { KVMSetAutoScanPeriod(in, 4); },
                 {6, 4, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanPeriod; },
                 4},
                {[](auto* in) { KVMSetAutoScan(in, true); },
                 {7, 0, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanOn; },
                 1},
                {[](auto* in) { KVMSetAutoScan(in, false); },
                 {8, 0, 0, 0, 0, 0, 0, 0},
                 [](auto& in) { return in.autoScanOn; },
                 0},
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
