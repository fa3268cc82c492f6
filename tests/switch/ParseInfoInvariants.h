// What decoding any 12 bytes must keep to: nothing outside the decoded status changes, and
// every decoded field lies in its range. Shared by the property test and the fuzz target.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "switch/KVMSwitch.h"

// "" when `after` (decoded from `before` with linkKind 1 or 2) keeps to the rules, else what
// broke them.
inline std::string ParseInfoViolation(const _KVM_INFO& before, const _KVM_INFO& after) {
  const auto* a = reinterpret_cast<const unsigned char*>(&before);
  const auto* b = reinterpret_cast<const unsigned char*>(&after);
  const std::size_t decoded = offsetof(_KVM_INFO, portCount);
  if (std::memcmp(a, b, decoded) != 0)
    return "changed deviceState, device or linkKind";
  const std::size_t end = offsetof(_KVM_INFO, universalHotKey) + sizeof after.universalHotKey;
  if (std::memcmp(a + end, b + end, sizeof(_KVM_INFO) - end) != 0)
    return "changed padding";

  const bool layout1 = after.linkKind == 1;
  auto in = [](long value, long low, long high) { return value >= low && value <= high; };
  // Layout 1 writes every flag but those of the hubs' binding.
  const UInt8 flags[] = {after.hasBuzzer,
                         after.hasAudio,
                         after.audioFixable,
                         after.hasAutoScanPeriod,
                         after.hasHub[0],
                         after.hasHub[1],
                         after.hasUniversalHotKey,
                         after.buzzerOn,
                         after.audioFixed,
                         after.autoScanOn,
                         layout1 ? UInt8{0} : after.hubFixable[0],
                         layout1 ? UInt8{0} : after.hubFixable[1],
                         layout1 ? UInt8{0} : after.hubFixed[0],
                         layout1 ? UInt8{0} : after.hubFixed[1]};
  for (UInt8 flag : flags) {
    if (flag > 1)
      return "a flag is neither 0 nor 1";
  }
  if (!in(after.portCount, 2, 4))
    return "portCount";
  if (!in(after.currentPort, 0, 4))
    return "currentPort";
  if (layout1) {
    if (after.portCount == 3)
      return "layout 1 port count 3";
    if (after.confirmedPort != after.currentPort)
      return "confirmedPort";
    if (!in(after.availablePorts, 0, 15) || !in(after.audioPort, 0, 3))
      return "ports";
    if (!in(after.autoScanPeriod, 2, 12))
      return "autoScanPeriod";
    if (after.hasAutoScanPeriod != 1 || after.hasHub[0] != 0 || after.hasHub[1] != 0 ||
        after.hasUniversalHotKey != 0) {
      return "layout 1 capabilities";
    }
    // Layout 1 says nothing of the hubs or the trigger key.
    if (std::memcmp(before.hubFixable, after.hubFixable, 2) != 0 ||
        std::memcmp(before.hubFixed, after.hubFixed, 2) != 0 ||
        std::memcmp(before.hubPort, after.hubPort, sizeof after.hubPort) != 0 ||
        before.universalHotKey != after.universalHotKey) {
      return "layout 1 changed hub or trigger-key fields";
    }
  } else {
    if (!in(after.confirmedPort, 0, 15) || !in(after.audioPort, 0, 15) ||
        !in(after.hubPort[0], 0, 15) || !in(after.hubPort[1], 0, 15)) {
      return "ports";
    }
    if (!in(after.availablePorts, 0, 255) || !in(after.universalHotKey, 0, 255))
      return "bytes";
    if (!in(after.autoScanPeriod, 1, 20))
      return "autoScanPeriod";
  }
  return "";
}
