#include "programs/tallowmerectl/Outcome.h"

namespace ctl {

std::string OneLine(const std::string& text) {
  constexpr std::size_t kLongest = 300;
  std::string line;
  for (char c : text.substr(0, kLongest))
    line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  if (text.size() > kLongest)
    line += "...";
  return line;
}

}  // namespace ctl
