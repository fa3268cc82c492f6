// The console as a program's front: it comes up when the application event loop runs, reads
// commands from standard input and prints to standard output.
//
// From a terminal it shows a prompt and the clock follows the wall clock, so that polling and
// auto-scan happen while a person watches. From a file or a pipe there is no prompt, and time
// passes only by `wait` and by the program's own delays: a script runs in an instant and gives
// the same output every time.
#pragma once

#include <memory>

#include "platform/FrontModel.h"
#include "platform/console/ScriptingService.h"

namespace plat::console {

class Console;
class InputReader;
class WallClockFollower;

class ConsoleFront final : public Front {
 public:
  ConsoleFront();
  ~ConsoleFront() override;
  void Start() override;
  void Stop() override;

 private:
  std::unique_ptr<Console> console_;
  std::unique_ptr<WallClockFollower> follower_;
  std::unique_ptr<InputReader> reader_;
  ScriptingService bus_;  // the scripting interface, when a session bus exists
};

}  // namespace plat::console
