// The console as the program's front: linked into a program, it installs itself, comes up when
// the application event loop runs, reads commands from standard input and prints to standard
// output.
//
// From a terminal it shows a prompt and the clock follows the wall clock, so that polling and
// auto-scan happen while a person watches. From a file or a pipe there is no prompt, and time
// passes only by `wait` and by the program's own delays: a script runs in an instant and gives
// the same output every time.
#include <unistd.h>

#include <iostream>
#include <memory>

#include "platform/FrontModel.h"
#include "platform/RunLoop.h"
#include "platform/console/Console.h"
#include "platform/console/InputReader.h"

namespace plat::console {
namespace {

class ConsoleFront final : public Front {
 public:
  void Start() override {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    if (terminal) {
      std::cout << "Tallowmere console: type help for the commands, quit to end.\n";
    }
    console_ = std::make_unique<Console>(std::cout);
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
  }

  void Stop() override {
    reader_.reset();
    follower_.reset();
    console_.reset();
    std::cout.flush();
  }

 private:
  std::unique_ptr<Console> console_;
  std::unique_ptr<WallClockFollower> follower_;
  std::unique_ptr<InputReader> reader_;
};

ConsoleFront theFront;
[[maybe_unused]] const bool installed = (InstallFront(&theFront), true);

}  // namespace
}  // namespace plat::console
