// tallowmerectl's command line: what it is asked to do, or why the words make no sense.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ctl {

enum class Verb {
  kStatus,
  kSwitch,
  kNext,
  kPrevious,
  kAutoScan,
  kPreferences,
  kQuit,
  kWatch,
  kHelp,
  kVersion
};
enum class AutoScanChange { kOn, kOff, kToggle };

struct Request {
  Verb verb = Verb::kHelp;
  std::uint32_t port = 0;  // kSwitch: 1 or more
  AutoScanChange autoScan = AutoScanChange::kToggle;
  bool json = false;  // kStatus, kWatch
};

struct Parsed {
  bool ok = false;
  Request request;
  std::string error;  // when not ok: one line naming the mistake
};

// `arguments` are the words after the program's name.
Parsed ParseCommandLine(const std::vector<std::string>& arguments);

// The usage text of --help.
const char* UsageText();

}  // namespace ctl
