// timed-lines FILE: copies its standard input to FILE (a program's input FIFO) line by line, and
// logs on standard output the time on CLOCK_MONOTONIC just before each line is written, e.g.
//   at 1234.567890123: hotkey 2
// The clock is the machine's, shared by every process on it: a benchmark sets the time a line
// left here against the time another process (a switch emulator) saw its effect.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: timed-lines FILE\n");
    return 2;
  }
  const int out = ::open(argv[1], O_WRONLY | O_CLOEXEC);
  if (out < 0) {
    std::fprintf(stderr, "timed-lines: cannot open %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    line += '\n';
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // One write: the reader gets the whole line at once, as from a person's terminal.
    const ssize_t written = ::write(out, line.data(), line.size());
    if (written != static_cast<ssize_t>(line.size())) {
      std::fprintf(stderr, "timed-lines: cannot write to %s: %s\n", argv[1],
                   written < 0 ? std::strerror(errno) : "short write");
      return 1;
    }
    line.pop_back();
    std::printf("at %lld.%09ld: %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec,
                line.c_str());
    std::fflush(stdout);
  }
  ::close(out);
  return 0;
}
