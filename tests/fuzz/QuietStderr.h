// Standard error to /dev/null for as long as the object lives: the diagnostics the switch code
// prints for bad reports would flood the fuzzer's own output.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int sink = open("/dev/null", O_WRONLY);
    if (sink >= 0) {
      dup2(sink, STDERR_FILENO);
      close(sink);
    }
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_;
};
