#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "switch/KVMParseInfo.h"
#include "tests/switch/ParseInfoInvariants.h"

namespace {

struct Decoded {
  _KVM_INFO info;
  std::string messages;
};

Decoded Parse(int linkKind, std::initializer_list<std::pair<int, unsigned char>> bytes) {
  unsigned char report[12] = {};
  for (auto [index, value] : bytes)
    report[index] = value;
  Decoded out{};
  out.info.linkKind = linkKind;
  testing::internal::CaptureStderr();
  KVMParseInfo(&out.info, report);
  out.messages = testing::internal::GetCapturedStderr();
  return out;
}

TEST(KVMParseInfoLayout1, PortNumberAndCountFallBackWithAMessage) {
  Decoded four = Parse(1, {{0, 0x04}, {2, 0x04}});
  EXPECT_EQ(four.info.currentPort, 4);
  EXPECT_EQ(four.info.confirmedPort, 4);
  EXPECT_EQ(four.messages, "");

  Decoded seven = Parse(1, {{0, 0x07}, {2, 0x02}});
  EXPECT_EQ(seven.info.currentPort, 0);
  EXPECT_EQ(seven.info.confirmedPort, 0);
  EXPECT_EQ(seven.info.portCount, 2);
  EXPECT_EQ(seven.messages, "KVMParseInfo: Invalid Current Port Number= 7\n");

  EXPECT_EQ(Parse(1, {{2, 0x06}}).messages, "KVMParseInfo: Invalid Port Count= 6\n");
  Decoded none = Parse(1, {{2, 0x00}});
  EXPECT_EQ(none.messages, "KVMParseInfo: Invalid Port Count= 0\n");
  EXPECT_EQ(none.info.portCount, 4);
}

TEST(KVMParseInfoLayout1, SettingsAndClampedPeriod) {
  Decoded d = Parse(1, {{1, 0x00}, {2, 0xB5}, {4, 0x5D}});
  EXPECT_EQ(d.info.hasAudio, 1);
  EXPECT_EQ(d.info.audioFixable, 1);
  EXPECT_EQ(d.info.hasBuzzer, 1);
  EXPECT_EQ(d.info.portCount, 4);
  EXPECT_EQ(d.info.autoScanOn, 0);
  EXPECT_EQ(d.info.availablePorts, 0x0B);
  EXPECT_EQ(d.info.autoScanPeriod, 12);  // 13 clamped
  EXPECT_EQ(d.info.buzzerOn, 1);
  EXPECT_EQ(d.info.audioPort, 2);
  EXPECT_EQ(d.info.audioFixed, 1);  // bit 7 clear
  EXPECT_EQ(d.info.hasAutoScanPeriod, 1);

  Decoded e = Parse(1, {{1, 0x11}, {2, 0x0A}, {4, 0x81}});
  EXPECT_EQ(e.info.hasAudio, 0);
  EXPECT_EQ(e.info.audioFixable, 0);
  EXPECT_EQ(e.info.autoScanOn, 1);
  EXPECT_EQ(e.info.autoScanPeriod, 2);  // 1 raised
  EXPECT_EQ(e.info.audioFixed, 0);
  EXPECT_EQ(Parse(1, {{2, 0x02}, {4, 0x00}}).info.autoScanPeriod, 2);
}

TEST(KVMParseInfoLayout2, PortsCapabilitiesAndSettings) {
  Decoded d = Parse(2, {{1, 0x35}, {2, 0x3F}, {3, 0x0E}, {5, 0x00}, {6, 0x21}, {7, 0x31}});
  EXPECT_EQ(d.info.currentPort, 0);  // 5 is no port
  EXPECT_EQ(d.info.portCount, 3);
  EXPECT_EQ(d.info.confirmedPort, 1);
  EXPECT_EQ(d.info.audioPort, 2);
  EXPECT_EQ(d.info.hubPort[0], 1);
  EXPECT_EQ(d.info.hubPort[1], 3);
  EXPECT_EQ(d.info.audioFixed + d.info.hubFixed[0] + d.info.hubFixed[1], 3);
  EXPECT_EQ(d.info.buzzerOn + d.info.autoScanOn, 0);
  EXPECT_EQ(d.info.hasBuzzer + d.info.hasAudio + d.info.hasHub[0] + d.info.hasHub[1] +
                d.info.hasAutoScanPeriod + d.info.hasUniversalHotKey,
            6);
  EXPECT_EQ(d.info.audioFixable + d.info.hubFixable[0] + d.info.hubFixable[1], 3);
  EXPECT_EQ(d.messages, "");

  EXPECT_EQ(Parse(2, {{1, 0x44}}).info.currentPort, 4);  // the bound is 4, as in layout 1
  Decoded e = Parse(2, {{1, 0x52}, {5, 0x1F}, {6, 0x01}, {9, 0x29}, {10, 0x0D}});
  EXPECT_EQ(e.info.currentPort, 2);
  EXPECT_EQ(e.info.confirmedPort, 1);
  EXPECT_EQ(e.info.portCount, 4);  // 5 ports cannot be
  EXPECT_EQ(e.info.audioFixed + e.info.hubFixed[0] + e.info.hubFixed[1], 0);
  EXPECT_EQ(e.info.buzzerOn + e.info.autoScanOn, 2);
  EXPECT_EQ(e.info.universalHotKey, 0x29);
  EXPECT_EQ(e.info.availablePorts, 0x0D);

  for (auto [seconds, period] : {std::pair{0, 1}, {9, 1}, {10, 2}, {100, 20}, {255, 20}}) {
    EXPECT_EQ(Parse(2, {{8, static_cast<unsigned char>(seconds)}}).info.autoScanPeriod, period)
        << seconds;
  }
}

TEST(KVMParseInfo, AnotherLinkKindChangesNothing) {
  _KVM_INFO info;
  std::memset(&info, 0x5A, sizeof info);
  info.linkKind = 0;
  const _KVM_INFO before = info;
  unsigned char report[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  KVMParseInfo(&info, report);
  info.linkKind = 2;
  KVMParseInfo(&info, nullptr);  // nor does a missing report
  info.linkKind = 0;
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
}

TEST(KVMParseInfo, AnyReportStaysInsideTheDecodedStatusAndItsRanges) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  testing::internal::CaptureStderr();
  for (int round = 0; round < 20000; ++round) {
    _KVM_INFO before;
    std::memset(&before, byte(random), sizeof before);
    before.linkKind = 1 + round % 2;
    unsigned char report[12];
    for (unsigned char& b : report)
      b = static_cast<unsigned char>(byte(random));
    _KVM_INFO after = before;
    KVMParseInfo(&after, report);
    const std::string violation = ParseInfoViolation(before, after);
    ASSERT_EQ(violation, "") << "round " << round;
  }
  testing::internal::GetCapturedStderr();
}

}  // namespace
