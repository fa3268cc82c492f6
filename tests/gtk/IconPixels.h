// What the program's icon shows in a picture of the screen: the port icons light one of four
// squares along their bottom edge green, over a dark body.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace desktop_test {

// A picture as 0xRRGGBB pixels, row by row.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The port whose square is lit in the part of `picture` from (left, top), `width` x `height`
// (the whole picture by default): 1 to 4, or 0 when no square is lit.
int LitSquare(const Picture& picture, int left = 0, int top = 0, int width = -1, int height = -1);

// The bounds (left, top, right, bottom; right and bottom outside) of the pixels in the part of
// `picture` that differ from `background`; all 0 when none does.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
Box NotBackground(const Picture& picture, std::uint32_t background, int left, int top, int width,
                  int height);

// A binary PPM (P6, maxval 255) file, as grim writes it; an empty picture when unreadable.
Picture ReadPpm(const std::string& path);

}  // namespace desktop_test
