// What tallowmerectl ends with: its exit status and, for a failure, the one line it says on
// standard error.
#pragma once

#include <string>

namespace ctl {

enum ExitStatus : int {
  kDone = 0,
  kNoSwitch = 1,  // no switch, or tallowmere not running for a command that needs it
  kUsage = 2,
  kNoAccess = 3,  // the switch's device node cannot be opened
  kFailed = 4,    // the switch refused the request or the command did not reach it
};

struct Outcome {
  ExitStatus status = kDone;
  std::string error;  // said on standard error when not empty
};

inline Outcome Done() {
  return {};
}
inline Outcome Failure(ExitStatus status, std::string error) {
  return {status, std::move(error)};
}

// Text from elsewhere (a peer's error message) made fit for one line of standard error:
// line ends and other control characters become spaces, and an endless text is cut.
std::string OneLine(const std::string& text);

}  // namespace ctl
