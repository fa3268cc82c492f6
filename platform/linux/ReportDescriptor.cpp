#include "platform/linux/ReportDescriptor.h"

#include <map>
#include <vector>

namespace plat::linux_dev {

namespace {

// Item types and the tags this parser acts on.
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;
constexpr std::uint8_t kMainFeature = 0xB;
constexpr std::uint8_t kGlobalReportSize = 0x7;
constexpr std::uint8_t kGlobalReportId = 0x8;
constexpr std::uint8_t kGlobalReportCount = 0x9;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;
constexpr std::uint8_t kLongItemPrefix = 0xFE;
// Far above any report the kernel accepts (HID_MAX_BUFFER_SIZE is 16 KiB); keeps the sums small.
constexpr std::uint64_t kMaxReportBits = 1u << 20;
constexpr std::size_t kMaxPushDepth = 64;

struct GlobalState {
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint32_t reportId = 0;
};

std::uint32_t LittleEndian(std::span<const std::uint8_t> data) {
  std::uint32_t value = 0;
  for (std::size_t i = data.size(); i > 0; --i)
    value = (value << 8) | data[i - 1];
  return value;
}

}  // namespace

std::optional<std::uint32_t> MaxFeatureReportSize(std::span<const std::uint8_t> descriptor) {
  GlobalState state;
  std::vector<GlobalState> pushed;
  std::map<std::uint32_t, std::uint64_t> featureBits;  // by report ID
  bool numbered = false;

  std::size_t at = 0;
  while (at < descriptor.size()) {
    const std::uint8_t prefix = descriptor[at];
    if (prefix == kLongItemPrefix) {
      // Long items carry vendor data only: skip them whole.
      if (descriptor.size() - at < 3)
        return std::nullopt;
      const std::size_t length = descriptor[at + 1];
      if (descriptor.size() - (at + 3) < length)
        return std::nullopt;
      at += 3 + length;
      continue;
    }
    const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (descriptor.size() - (at + 1) < size)
      return std::nullopt;
    const std::uint32_t value = LittleEndian(descriptor.subspan(at + 1, size));
    const auto type = static_cast<std::uint8_t>((prefix >> 2) & 3);
    const auto tag = static_cast<std::uint8_t>(prefix >> 4);
    at += 1 + size;

    if (type == kTypeGlobal) {
      switch (tag) {
        case kGlobalReportSize:
          state.reportSize = value;
          break;
        case kGlobalReportCount:
          state.reportCount = value;
          break;
        case kGlobalReportId:
          state.reportId = value;
          numbered = true;
          break;
        case kGlobalPush:
          if (pushed.size() >= kMaxPushDepth)
            return std::nullopt;
          pushed.push_back(state);
          break;
        case kGlobalPop:
          if (pushed.empty())
            return std::nullopt;
          state = pushed.back();
          pushed.pop_back();
          break;
        default:
          break;
      }
    } else if (type == kTypeMain && tag == kMainFeature) {
      std::uint64_t& bits = featureBits[state.reportId];
      bits += static_cast<std::uint64_t>(state.reportSize) * state.reportCount;
      if (bits > kMaxReportBits)
        return std::nullopt;
    }
  }

  std::uint64_t largest = 0;
  for (const auto& [id, bits] : featureBits) {
    const std::uint64_t bytes = (bits + 7) / 8 + (numbered ? 1 : 0);
    if (bytes > largest)
      largest = bytes;
  }
  return static_cast<std::uint32_t>(largest);
}

}  // namespace plat::linux_dev
