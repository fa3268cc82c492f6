// The size of a HID device's largest feature report, worked out from its report descriptor:
// no ioctl tells it. The registry publishes it as "MaxFeatureReportSize".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace plat::linux_dev {

// The largest feature report in bytes, the report-ID byte included when the device numbers its
// reports; 0 when it has no feature report. Nothing when the descriptor is malformed (an item
// that runs past the end, a Pop without a Push, sizes beyond any real report).
std::optional<std::uint32_t> MaxFeatureReportSize(std::span<const std::uint8_t> descriptor);

}  // namespace plat::linux_dev
