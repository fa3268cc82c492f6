// tallowmerectl's command line from any words: the input's NUL bytes separate the arguments.
// A request must be one the program can carry out (a port from 1 to 8, --json only where it
// belongs), and a refusal one printable line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "programs/tallowmerectl/CommandLine.h"
#include "programs/tallowmerectl/Outcome.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      words.emplace_back();
    else
      words.back() += static_cast<char>(data[i]);
  }
  if (size == 0)
    words.clear();
  const ctl::Parsed parsed = ctl::ParseCommandLine(words);
  if (!parsed.ok) {
    if (parsed.error.empty() || parsed.error.size() > 200)
      std::abort();
    for (char c : parsed.error) {
      if (static_cast<unsigned char>(c) < 0x20)
        std::abort();
    }
    return 0;
  }
  const ctl::Request& request = parsed.request;
  if (request.verb == ctl::Verb::kSwitch && (request.port < 1 || request.port > 8))
    std::abort();
  if (request.json && request.verb != ctl::Verb::kStatus && request.verb != ctl::Verb::kWatch)
    std::abort();
  // Error text from a peer goes through the same one-line rule.
  const std::string line = ctl::OneLine(std::string(reinterpret_cast<const char*>(data), size));
  for (char c : line) {
    if (static_cast<unsigned char>(c) < 0x20)
      std::abort();
  }
  return 0;
}
