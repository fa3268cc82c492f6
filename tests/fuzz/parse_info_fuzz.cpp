// KVMParseInfo over any bytes a switch could send: the first input byte picks the layout (odd:
// the serial-number layout, even: the feature-report layout), the next twelve are the report.
// Aborts when decoding touches anything outside the decoded status or leaves a field out of
// its range.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "switch/KVMParseInfo.h"
#include "tests/fuzz/QuietStderr.h"
#include "tests/switch/ParseInfoInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 13)
    return 0;
  _KVM_INFO before;
  // The rest of the input, repeated, fills the record, so that every starting state is tried.
  auto* raw = reinterpret_cast<unsigned char*>(&before);
  const std::size_t fill = size - 13;
  for (std::size_t i = 0; i < sizeof before; ++i)
    raw[i] = fill == 0 ? 0 : data[13 + i % fill];
  before.linkKind = (data[0] & 1) != 0 ? 1 : 2;
  unsigned char report[12];
  std::memcpy(report, data + 1, sizeof report);
  _KVM_INFO after = before;
  {
    QuietStderr quiet;
    KVMParseInfo(&after, report);
  }
  const std::string violation = ParseInfoViolation(before, after);
  if (!violation.empty()) {
    std::fprintf(stderr, "KVMParseInfo broke a rule: %s\n", violation.c_str());
    std::abort();
  }
  return 0;
}
