#include "platform/linux/Uevent.h"

#include <charconv>
#include <vector>

namespace plat::linux_dev {

namespace {

std::optional<std::uint32_t> ParseHex(std::string_view text) {
  if (text.empty() || text.size() > 8)
    return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc{} || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

}  // namespace

std::map<std::string, std::string> ParseUevent(std::string_view text) {
  std::map<std::string, std::string> values;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0)
      continue;
    values[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
  }
  return values;
}

std::optional<HidIdentity> ParseHidId(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t colon = text.find(':', start);
    fields.push_back(text.substr(start, colon - start));
    if (colon == std::string_view::npos)
      break;
    start = colon + 1;
  }
  if (fields.size() != 3)
    return std::nullopt;
  const auto bus = ParseHex(fields[0]);
  const auto vendor = ParseHex(fields[1]);
  const auto product = ParseHex(fields[2]);
  if (!bus || !vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF)
    return std::nullopt;
  return HidIdentity{*bus, *vendor, *product};
}

std::optional<std::string> SerialNumberFromUniq(const std::map<std::string, std::string>& uevent) {
  const auto found = uevent.find("HID_UNIQ");
  if (found == uevent.end() || found->second.empty())
    return std::nullopt;
  return found->second;
}

}  // namespace plat::linux_dev
