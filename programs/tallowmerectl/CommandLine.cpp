#include "programs/tallowmerectl/CommandLine.h"

#include <charconv>

namespace ctl {
namespace {

// The highest port number a command may name: the switch command carries eight.
constexpr std::uint32_t kHighestPort = 8;

Parsed Mistake(std::string error) {
  Parsed parsed;
  parsed.error = std::move(error);
  return parsed;
}

Parsed Accept(Request request) {
  Parsed parsed;
  parsed.ok = true;
  parsed.request = request;
  return parsed;
}

// Printable for an error line: control characters shown as '?', long words cut.
std::string Shown(const std::string& word) {
  constexpr std::size_t kLongest = 40;
  std::string shown;
  for (char c : word.substr(0, kLongest))
    shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return "'" + shown + (word.size() > kLongest ? "...'" : "'");
}

}  // namespace

Parsed ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty())
    return Mistake("no command given (see tallowmerectl --help)");
  const std::string& command = arguments[0];
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  const auto noMore = [&](Verb verb) {
    if (!rest.empty())
      return Mistake(command + ": unexpected " + Shown(rest[0]));
    Request request;
    request.verb = verb;
    return Accept(request);
  };
  const auto maybeJson = [&](Verb verb) {
    Request request;
    request.verb = verb;
    for (const std::string& word : rest) {
      if (word != "--json")
        return Mistake(command + ": unexpected " + Shown(word) + " (only --json may follow)");
      request.json = true;
    }
    return Accept(request);
  };

  if (command == "--help" || command == "-h" || command == "help")
    return noMore(Verb::kHelp);
  if (command == "--version")
    return noMore(Verb::kVersion);
  if (command == "status")
    return maybeJson(Verb::kStatus);
  if (command == "watch")
    return maybeJson(Verb::kWatch);
  if (command == "next")
    return noMore(Verb::kNext);
  if (command == "previous")
    return noMore(Verb::kPrevious);
  if (command == "preferences")
    return noMore(Verb::kPreferences);
  if (command == "quit")
    return noMore(Verb::kQuit);
  if (command == "switch") {
    if (rest.size() != 1)
      return Mistake("switch: say which port, e.g. switch 2");
    const std::string& word = rest[0];
    std::uint32_t port = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), port);
    if (error != std::errc() || end != word.data() + word.size() || port < 1 ||
        port > kHighestPort) {
      return Mistake("switch: " + Shown(word) + " is not a port number (1 to 8)");
    }
    Request request;
    request.verb = Verb::kSwitch;
    request.port = port;
    return Accept(request);
  }
  if (command == "autoscan") {
    if (rest.size() != 1)
      return Mistake("autoscan: say on, off or toggle");
    Request request;
    request.verb = Verb::kAutoScan;
    if (rest[0] == "on")
      request.autoScan = AutoScanChange::kOn;
    else if (rest[0] == "off")
      request.autoScan = AutoScanChange::kOff;
    else if (rest[0] == "toggle")
      request.autoScan = AutoScanChange::kToggle;
    else
      return Mistake("autoscan: " + Shown(rest[0]) + " is not on, off or toggle");
    return Accept(request);
  }
  return Mistake("unknown command " + Shown(command) + " (see tallowmerectl --help)");
}

const char* UsageText() {
  return "Usage: tallowmerectl COMMAND\n"
         "Control the KVM switch through the running tallowmere, or directly when it does not "
         "run.\n"
         "\n"
         "Commands:\n"
         "  status [--json]        the switch as tallowmere sees it\n"
         "  switch N               switch to port N\n"
         "  next, previous         switch to the next or previous port that can be selected\n"
         "  autoscan on|off|toggle start or stop the switch's auto-scan\n"
         "  preferences            open tallowmere's Preferences window\n"
         "  quit                   quit tallowmere\n"
         "  watch [--json]         print each change until interrupted\n"
         "  --help, --version      this text; the version\n"
         "\n"
         "Without a running tallowmere, status and switch N talk to the switch directly.\n"
         "Exit status: 0 done, 1 no switch or tallowmere not running, 2 usage,\n"
         "3 no access to the switch's device, 4 the switch refused or the command failed.\n";
}

}  // namespace ctl
