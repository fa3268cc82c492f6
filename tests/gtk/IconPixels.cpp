#include "tests/gtk/IconPixels.h"

#include <algorithm>
#include <fstream>

namespace desktop_test {

int LitSquare(const Picture& picture, int left, int top, int width, int height) {
  if (width < 0)
    width = picture.width - left;
  if (height < 0)
    height = picture.height - top;
  long greenX = 0;
  long greens = 0;
  int bodyLeft = picture.width;
  int bodyRight = -1;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const std::uint32_t pixel = picture.At(x, y);
      const int r = static_cast<int>((pixel >> 16) & 0xFF);
      const int g = static_cast<int>((pixel >> 8) & 0xFF);
      const int b = static_cast<int>(pixel & 0xFF);
      if (g > 150 && r < 120 && b < 170 && g > r + 60) {
        greenX += x;
        ++greens;
      }
      // The icon's dark body.
      if (r < 60 && g < 70 && b < 90 && b > r) {
        bodyLeft = std::min(bodyLeft, x);
        bodyRight = std::max(bodyRight, x);
      }
    }
  }
  if (greens == 0 || bodyRight <= bodyLeft)
    return 0;
  const double across = (static_cast<double>(greenX) / static_cast<double>(greens) - bodyLeft) /
                        static_cast<double>(bodyRight - bodyLeft);
  return 1 + std::clamp(static_cast<int>(across * 4), 0, 3);
}

Box NotBackground(const Picture& picture, std::uint32_t background, int left, int top, int width,
                  int height) {
  Box box{picture.width, picture.height, -1, -1};
  for (int y = top; y < std::min(top + height, picture.height); ++y) {
    for (int x = left; x < std::min(left + width, picture.width); ++x) {
      if (picture.At(x, y) == background)
        continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box.right < 0 ? Box{} : box;
}

Picture ReadPpm(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int width = 0;
  int height = 0;
  int maximum = 0;
  file >> magic >> width >> height >> maximum;
  file.get();
  if (!file || magic != "P6" || maximum != 255 || width <= 0 || height <= 0)
    return {};
  std::vector<unsigned char> bytes(static_cast<std::size_t>(width) *
                                   static_cast<std::size_t>(height) * 3);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return {};
  Picture picture{width, height, {}};
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    picture.pixels.push_back((std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) |
                             bytes[i + 2]);
  }
  return picture;
}

}  // namespace desktop_test
