// Typed lines from a file descriptor (standard input), read as a run-loop source and handed to
// the console one by one.
#pragma once

#include <string>

#include "platform/RunLoop.h"
#include "platform/console/Console.h"

namespace plat::console {

class InputReader {
 public:
  // What the end of the input means: the person is done (the console quits), or only that no
  // more commands come (a front with windows of its own goes on without them).
  enum class AtEnd { kQuit, kStopReading };

  InputReader(int fd, Console& console, AtEnd atEnd = AtEnd::kQuit)
      : fd_(fd), console_(console), atEnd_(atEnd) {}
  ~InputReader() { Stop(); }
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // Starts watching the descriptor. At the end of the input the console quits, or the reader
  // stops (see AtEnd).
  void Start();
  void Stop();

 private:
  void Ready();
  void RunCompleteLines();

  int fd_;
  Console& console_;
  AtEnd atEnd_;
  RunLoop::Id source_ = 0;
  bool watching_ = false;
  std::string pending_;  // read, not yet a complete line
};

// Makes the platform's virtual clock follow the wall clock, so that the program's timers run
// while a person watches: every few hundredths of a second it moves the clock on by the real
// time that has passed. Does nothing on a clock that is not virtual.
class WallClockFollower {
 public:
  WallClockFollower();
  ~WallClockFollower();
  WallClockFollower(const WallClockFollower&) = delete;
  WallClockFollower& operator=(const WallClockFollower&) = delete;

 private:
  void Tick();

  int timer_ = -1;
  RunLoop::Id source_ = 0;
  Nanos lastWallTime_ = 0;
};

}  // namespace plat::console
