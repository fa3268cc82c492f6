// Reading .icns icon containers and PNG headers from untrusted bytes.
//
// An .icns file is the magic 'icns', a big-endian 32-bit total length, then elements: a
// four-character type, a big-endian 32-bit length that counts the element's own 8-byte header,
// and the data. Any length that points outside the container makes the whole file invalid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/MacTypes.h"

namespace plat {

struct IcnsElement {
  OSType type = 0;
  std::vector<std::uint8_t> data;  // without the element header
};

// Every element of the container in file order, or nullopt when the bytes are not a well-formed
// .icns container (bad magic, a length too small or too large, truncated data).
std::optional<std::vector<IcnsElement>> ParseIcns(std::span<const std::uint8_t> bytes);

// Whether an element of this type holds an icon image (not a mask or file information).
bool IsIcnsImageType(OSType type);

struct PixelSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The pixel size from a PNG file's header, or nullopt when the bytes do not start with a PNG
// signature and a valid IHDR chunk.
std::optional<PixelSize> PngPixelSize(std::span<const std::uint8_t> bytes);

}  // namespace plat
