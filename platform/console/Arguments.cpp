#include "platform/console/Arguments.h"

#include <charconv>
#include <cstdint>
#include <tuple>

namespace plat::console {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

constexpr double kSecondsPerDay = 24 * 60 * 60;

}  // namespace

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::pair<std::string_view, std::string_view> SplitFirstWord(std::string_view text) {
  text = Trim(text);
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end]))
    ++end;
  return {text.substr(0, end), Trim(text.substr(end))};
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  auto [word, rest] = SplitFirstWord(text);
  while (!word.empty()) {
    words.push_back(word);
    std::tie(word, rest) = SplitFirstWord(rest);
  }
  return words;
}

std::optional<long> ParseNumber(std::string_view text, long minimum, long maximum) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end || value < minimum || value > maximum)
    return std::nullopt;
  return value;
}

std::optional<double> ParseSeconds(std::string_view text) {
  // Plain decimals only: digits with at most one point; no signs, exponents, infinities or
  // hexadecimal. (Read digit by digit: the library's reading of decimals would bring the maths
  // library into the console program for this one command.)
  double seconds = 0;
  double unit = 1;
  bool point = false;
  bool digits = false;
  for (const char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (point) {
        unit /= 10;
        seconds += (c - '0') * unit;
      } else {
        seconds = seconds * 10 + (c - '0');
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digits || !(seconds <= kSecondsPerDay))
    return std::nullopt;
  return seconds;
}

std::optional<ControlID> ParseControlID(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon != 4)
    return std::nullopt;
  const std::string signature(text.substr(0, 4));
  for (char c : signature) {
    if (c < 0x20 || c > 0x7E)
      return std::nullopt;
  }
  const auto id = ParseNumber(text.substr(5), INT32_MIN, INT32_MAX);
  if (!id)
    return std::nullopt;
  return ControlID{FourCCFromText(signature.c_str()), static_cast<SInt32>(*id)};
}

std::string ControlIDText(const ControlID& id) {
  if (id.signature == 0 && id.id == 0)
    return "-";
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8)
    text += static_cast<char>((id.signature >> shift) & 0xFF);
  return text + ":" + std::to_string(id.id);
}

std::string Quoted(std::string_view text) {
  // What a person typed is shown back, but never as control characters (which a terminal would
  // act on) and never at any length.
  constexpr std::size_t kLongest = 60;
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool continuation = (c & 0xC0) == 0x80;
    if (shown.size() >= kLongest && !continuation)
      return "\"" + shown + "...\"";
    shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
  }
  return "\"" + shown + "\"";
}

}  // namespace plat::console
