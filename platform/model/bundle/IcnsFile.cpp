#include "platform/model/bundle/IcnsFile.h"

#include <algorithm>
#include <array>

namespace plat {

namespace {

constexpr std::size_t kHeaderSize = 8;

std::uint32_t ReadBigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return (static_cast<std::uint32_t>(bytes[offset]) << 24) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 8) |
         static_cast<std::uint32_t>(bytes[offset + 3]);
}

}  // namespace

std::optional<std::vector<IcnsElement>> ParseIcns(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || ReadBigEndian32(bytes, 0) != FourCC("icns")) {
    return std::nullopt;
  }
  // Bytes past the declared length are not part of the container and are ignored.
  const std::size_t total = ReadBigEndian32(bytes, 4);
  if (total < kHeaderSize || total > bytes.size())
    return std::nullopt;
  const auto container = bytes.first(total);

  std::vector<IcnsElement> elements;
  std::size_t offset = kHeaderSize;
  while (offset < container.size()) {
    if (container.size() - offset < kHeaderSize)
      return std::nullopt;
    const OSType type = ReadBigEndian32(container, offset);
    const std::size_t length = ReadBigEndian32(container, offset + 4);
    if (length < kHeaderSize || length > container.size() - offset)
      return std::nullopt;
    const auto data = container.subspan(offset + kHeaderSize, length - kHeaderSize);
    elements.push_back({type, std::vector<std::uint8_t>(data.begin(), data.end())});
    offset += length;
  }
  return elements;
}

bool IsIcnsImageType(OSType type) {
  static constexpr std::array kImageTypes = {
      FourCC("ICON"), FourCC("ICN#"), FourCC("icm#"), FourCC("icm4"), FourCC("icm8"),
      FourCC("ics#"), FourCC("ics4"), FourCC("ics8"), FourCC("is32"), FourCC("icl4"),
      FourCC("icl8"), FourCC("il32"), FourCC("ich#"), FourCC("ich4"), FourCC("ich8"),
      FourCC("ih32"), FourCC("it32"), FourCC("icp4"), FourCC("icp5"), FourCC("icp6"),
      FourCC("ic04"), FourCC("ic05"), FourCC("ic07"), FourCC("ic08"), FourCC("ic09"),
      FourCC("ic10"), FourCC("ic11"), FourCC("ic12"), FourCC("ic13"), FourCC("ic14"),
  };
  return std::find(kImageTypes.begin(), kImageTypes.end(), type) != kImageTypes.end();
}

std::optional<PixelSize> PngPixelSize(std::span<const std::uint8_t> bytes) {
  static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                             0x0D, 0x0A, 0x1A, 0x0A};
  // Signature, then the first chunk: length 13, type IHDR, width, height.
  constexpr std::size_t kWidthOffset = 16;
  if (bytes.size() < kWidthOffset + 8 ||
      !std::equal(kSignature.begin(), kSignature.end(), bytes.begin()) ||
      ReadBigEndian32(bytes, 8) != 13 || ReadBigEndian32(bytes, 12) != FourCC("IHDR")) {
    return std::nullopt;
  }
  const PixelSize size{ReadBigEndian32(bytes, kWidthOffset),
                       ReadBigEndian32(bytes, kWidthOffset + 4)};
  // PNG allows 1 to 2^31-1 pixels in each direction.
  constexpr std::uint32_t kLargest = 0x7FFFFFFF;
  if (size.width == 0 || size.height == 0 || size.width > kLargest || size.height > kLargest) {
    return std::nullopt;
  }
  return size;
}

}  // namespace plat
