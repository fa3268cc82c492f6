#include "tools/vm/emulators/EmulatorConsole.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tallowmere::vm {

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0)
      text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

void Log(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

bool ParseIds(std::string_view text, unsigned& vendor, unsigned& product) {
  if (text.size() != 9 || text[4] != ':')
    return false;
  const auto hex = [](std::string_view digits, unsigned& value) {
    value = 0;
    for (char c : digits) {
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0)
        return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
  };
  return hex(text.substr(0, 4), vendor) && hex(text.substr(5), product);
}

int PanelPort(std::string_view argument) {
  if (argument.size() != 1 || argument[0] < '1' || argument[0] > '4')
    return -1;
  return argument[0] - '1';
}

void EmulatorConsole::Start() {
  source_ = plat::RunLoop::Main().AddSource(STDIN_FILENO, [this] { Ready(); });
}

void EmulatorConsole::Ready() {
  char buffer[1024];
  const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (count < 0 && (errno == EINTR || errno == EAGAIN))
    return;
  if (count <= 0) {
    plat::RunLoop::Main().RemoveSource(source_);
    Execute("quit");
    return;
  }
  pending_.append(buffer, static_cast<std::size_t>(count));
  for (std::size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    Execute(line);
  }
}

void EmulatorConsole::Execute(std::string_view line) {
  if (line.empty())
    return;
  const std::size_t space = line.find(' ');
  const std::string_view name = line.substr(0, space);
  const std::string_view argument =
      space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
  if (name == "quit") {
    if (const auto found = handlers_.find(name); found != handlers_.end())
      found->second(argument);
    plat::RunLoop::Main().Stop();
    return;
  }
  const auto found = handlers_.find(name);
  if (found == handlers_.end()) {
    Log("unknown command: " + std::string(line));
    return;
  }
  found->second(argument);
}

}  // namespace tallowmere::vm
