#include "switch/KVMParseInfo.h"

#include <cstdio>

namespace {

UInt8 BitOf(unsigned char byte, int bit) {
  return static_cast<UInt8>((byte >> bit) & 1);
}
UInt8 ClearBitOf(unsigned char byte, int bit) {
  return static_cast<UInt8>(BitOf(byte, bit) ^ 1);
}

// Layout 1: bytes 0, 1, 2 and 4 of the serial-number status.
void ParseSerialNumberLayout(_KVM_INFO* info, const unsigned char* report) {
  info->currentPort = report[0] & 0x07;
  if (info->currentPort > 4) {
    fprintf(stderr, "KVMParseInfo: Invalid Current Port Number= %d\n", info->currentPort);
    info->currentPort = 0;
  }
  info->confirmedPort = info->currentPort;

  // The masked bits are the count itself, so only 2 and 4 can be told.
  info->portCount = report[2] & 0x06;
  if (info->portCount < 2 || info->portCount > 4) {
    fprintf(stderr, "KVMParseInfo: Invalid Port Count= %d\n", info->portCount);
    info->portCount = 4;
  }

  info->availablePorts = report[2] >> 4;
  info->hasBuzzer = BitOf(report[2], 0);
  info->hasAudio = ClearBitOf(report[1], 0);
  info->hasAutoScanPeriod = 1;
  info->hasHub[0] = 0;
  info->hasHub[1] = 0;
  info->audioFixable = ClearBitOf(report[1], 4);
  info->hasUniversalHotKey = 0;

  info->buzzerOn = BitOf(report[4], 4);
  info->audioFixed = ClearBitOf(report[4], 7);
  info->autoScanOn = BitOf(report[2], 3);

  info->autoScanPeriod = report[4] & 0x0F;
  if (info->autoScanPeriod > 12) {
    info->autoScanPeriod = 12;
  } else if (info->autoScanPeriod <= 1) {
    info->autoScanPeriod = 2;
  }
  info->audioPort = (report[4] & 0x60) >> 5;
}

// Layout 2: feature report 5 in bytes 0 to 3, feature report 4 in bytes 4 to 11.
void ParseFeatureReportLayout(_KVM_INFO* info, const unsigned char* report) {
  info->currentPort = report[1] & 0x0F;
  info->confirmedPort = report[6] & 0x0F;
  if (info->currentPort > 4)
    info->currentPort = 0;

  info->portCount = report[1] >> 4;
  if (info->portCount < 2 || info->portCount > 4)
    info->portCount = 4;

  info->hasBuzzer = BitOf(report[2], 0);
  info->hasAudio = BitOf(report[2], 1);
  info->hasHub[0] = BitOf(report[2], 2);
  info->hasHub[1] = BitOf(report[2], 3);
  info->hasAutoScanPeriod = BitOf(report[2], 4);
  info->hasUniversalHotKey = BitOf(report[2], 5);
  info->audioFixable = BitOf(report[3], 1);
  info->hubFixable[0] = BitOf(report[3], 2);
  info->hubFixable[1] = BitOf(report[3], 3);

  // The switch sends "follows the active port" bits; fixed is their inverse.
  info->buzzerOn = BitOf(report[5], 0);
  info->audioFixed = ClearBitOf(report[5], 1);
  info->hubFixed[0] = ClearBitOf(report[5], 2);
  info->hubFixed[1] = ClearBitOf(report[5], 3);
  info->autoScanOn = BitOf(report[5], 4);

  info->audioPort = report[6] >> 4;
  info->hubPort[0] = report[7] & 0x0F;
  info->hubPort[1] = report[7] >> 4;

  // The switch gives the dwell time in seconds; the record holds units of 5 seconds.
  info->autoScanPeriod = report[8] / 5;
  if (info->autoScanPeriod == 0) {
    info->autoScanPeriod = 1;
  } else if (info->autoScanPeriod > 20) {
    info->autoScanPeriod = 20;
  }

  info->universalHotKey = report[9];
  info->availablePorts = report[10];
}

}  // namespace

void KVMParseInfo(_KVM_INFO* info, unsigned char* report) {
  if (info == nullptr || report == nullptr)
    return;
  if (info->linkKind == 1) {
    ParseSerialNumberLayout(info, report);
  } else if (info->linkKind == 2) {
    ParseFeatureReportLayout(info, report);
  }
}
