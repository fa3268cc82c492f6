// Feeds arbitrary bytes to the .icns container reader and to the PNG header reader of every
// element it finds: malformed icon files must be refused, never read out of bounds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/model/bundle/IcnsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto elements = plat::ParseIcns(bytes)) {
    for (const auto& element : *elements) {
      if (plat::IsIcnsImageType(element.type))
        plat::PngPixelSize(element.data);
    }
  }
  plat::PngPixelSize(bytes);
  return 0;
}
