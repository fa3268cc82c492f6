#include "platform/linux/UsbDescriptors.h"

#include <algorithm>

namespace plat::linux_dev {

namespace {

constexpr std::uint8_t kDeviceType = 1;
constexpr std::uint8_t kConfigurationType = 2;
constexpr std::uint8_t kStringType = 3;
constexpr std::uint8_t kInterfaceType = 4;
constexpr std::uint8_t kEndpointType = 5;
constexpr std::size_t kDeviceLength = 18;
constexpr std::size_t kConfigurationLength = 9;

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | c >> 6);
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | c >> 12);
    text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | c >> 18);
    text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<UsbDeviceDescriptor> ParseDeviceDescriptor(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kDeviceLength || bytes[0] < kDeviceLength || bytes[1] != kDeviceType)
    return std::nullopt;
  return UsbDeviceDescriptor{Word(bytes, 8), Word(bytes, 10), bytes[16], bytes[17]};
}

std::optional<std::vector<UsbInterfaceDescriptor>> InterfacesOfConfiguration(
    std::span<const std::uint8_t> bytes, std::uint8_t value) {
  if (!ParseDeviceDescriptor(bytes) || bytes[0] > bytes.size())
    return std::nullopt;
  std::span<const std::uint8_t> rest = bytes.subspan(bytes[0]);
  while (rest.size() >= kConfigurationLength) {
    const std::size_t total = Word(rest, 2);
    if (rest[1] != kConfigurationType || total < kConfigurationLength || total > rest.size() ||
        rest[0] < kConfigurationLength || rest[0] > total)
      return std::nullopt;
    if (rest[5] != value) {
      rest = rest.subspan(total);
      continue;
    }
    std::vector<UsbInterfaceDescriptor> interfaces;
    bool inAlternateZero = false;
    std::span<const std::uint8_t> items = rest.subspan(0, total).subspan(rest[0]);
    while (!items.empty()) {
      const std::size_t length = items[0];
      if (length < 2 || length > items.size())
        return std::nullopt;
      if (items[1] == kInterfaceType && length >= 9) {
        inAlternateZero = items[3] == 0;
        if (inAlternateZero)
          interfaces.push_back({items[2], items[3], items[5], items[6], items[7], {}});
      } else if (items[1] == kEndpointType && length >= 7 && inAlternateZero) {
        interfaces.back().endpoints.push_back({items[2], items[3], Word(items, 4), items[6]});
      }
      items = items.subspan(length);
    }
    return interfaces;
  }
  return std::nullopt;
}

std::optional<std::string> StringDescriptorText(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2 || bytes[1] != kStringType || bytes[0] < 2)
    return std::nullopt;
  const std::size_t length = std::min<std::size_t>(bytes[0], bytes.size()) & ~std::size_t{1};
  std::string text;
  for (std::size_t at = 2; at + 1 < length; at += 2) {
    const char32_t unit = Word(bytes, at);
    if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < length) {
      const char32_t low = Word(bytes, at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        at += 2;
        continue;
      }
    }
    AppendUtf8(text, unit >= 0xD800 && unit < 0xE000 ? char32_t{0xFFFD} : unit);
  }
  return text;
}

}  // namespace plat::linux_dev
