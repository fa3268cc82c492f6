// The text of a sysfs uevent file (KEY=value lines) and the HID values the registry reads from
// it. Pure text handling, so it can be tested and fuzzed without a kernel.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace plat::linux_dev {

// KEY=value lines; lines without '=' are skipped, a later key replaces an earlier one.
std::map<std::string, std::string> ParseUevent(std::string_view text);

struct HidIdentity {
  std::uint32_t bus = 0;
  std::uint32_t vendor = 0;
  std::uint32_t product = 0;
};

// HID_ID is "BBBB:VVVVVVVV:PPPPPPPP" in hexadecimal. Nothing when the text has another shape or
// a vendor or product id does not fit 16 bits (such a device cannot be a USB switch).
std::optional<HidIdentity> ParseHidId(std::string_view text);

// HID_UNIQ as the serial number: an empty value means the device has none.
std::optional<std::string> SerialNumberFromUniq(const std::map<std::string, std::string>& uevent);

}  // namespace plat::linux_dev
