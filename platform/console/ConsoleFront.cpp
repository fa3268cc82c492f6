#include "platform/console/ConsoleFront.h"

#include <unistd.h>

#include <cstdio>

#include "platform/RunLoop.h"
#include "platform/console/Console.h"
#include "platform/console/InputReader.h"

namespace plat::console {

ConsoleFront::ConsoleFront() = default;
ConsoleFront::~ConsoleFront() = default;

void ConsoleFront::Start() {
  const bool terminal = isatty(STDIN_FILENO) != 0;
  if (terminal) {
    std::fputs("Tallowmere console: type help for the commands, quit to end.\n", stdout);
  }
  console_ = std::make_unique<Console>(StandardOutput());
  RunProgramStarts();
  if (terminal) {
    console_->SetPrompt("> ");
    follower_ = std::make_unique<WallClockFollower>();
  }
  reader_ = std::make_unique<InputReader>(STDIN_FILENO, *console_);
  reader_->Start();
  // After what the program has to tell as it comes up (a switch found, its icon).
  RunLoop::Main().Post([this] {
    if (console_)
      console_->ShowPrompt();
  });
  bus_ = StartScriptingService();
}

void ConsoleFront::Stop() {
  bus_.reset();
  reader_.reset();
  follower_.reset();
  console_.reset();
  std::fflush(stdout);
}

}  // namespace plat::console
