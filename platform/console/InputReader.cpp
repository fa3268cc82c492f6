#include "platform/console/InputReader.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace plat::console {

void InputReader::Start() {
  if (watching_)
    return;
  watching_ = true;
  source_ = RunLoop::Main().AddSource(fd_, [this] { Ready(); });
}

void InputReader::Stop() {
  if (!watching_)
    return;
  watching_ = false;
  RunLoop::Main().RemoveSource(source_);
}

void InputReader::Ready() {
  // Not watched while the lines run: a command may run the loop itself (wait), which must not
  // come back here for the next line, nor spin on input that is ready but not to be read yet.
  Stop();
  char buffer[4096];
  const ssize_t count = read(fd_, buffer, sizeof buffer);
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
    Start();
    return;
  }
  if (count > 0) {
    pending_.append(buffer, static_cast<std::size_t>(count));
    RunCompleteLines();
    if (!console_.HasQuit()) {
      console_.ShowPrompt();
      Start();
    }
    return;
  }
  // The end of the input (or an input that cannot be read): a last line without its line end,
  // then quit (or just stop reading: the reader is not watching any more).
  const std::string last = std::move(pending_);
  pending_.clear();
  console_.Execute(last);
  if (atEnd_ == AtEnd::kQuit)
    console_.EndOfInput();
}

void InputReader::RunCompleteLines() {
  std::size_t start = 0;
  for (std::size_t end = pending_.find('\n'); end != std::string::npos && !console_.HasQuit();
       end = pending_.find('\n', start)) {
    const std::string line = pending_.substr(start, end - start);
    start = end + 1;
    console_.Execute(line);
    // What the line set off without time passing (a device's arrival or removal, queued events)
    // happens before the next line, as it would before a person typed it.
    if (!console_.HasQuit())
      RunLoop::Main().RunPending();
  }
  pending_.erase(0, console_.HasQuit() ? pending_.size() : start);
  // An endless line is not kept whole: it is taken as it stands (and said to be a mistake).
  constexpr std::size_t kLongestLine = 64 * 1024;
  if (pending_.size() > kLongestLine) {
    const std::string line = std::move(pending_);
    pending_.clear();
    console_.Execute(line);
  }
}

namespace {

constexpr long kTickNanos = 50'000'000;

Nanos WallTime() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

WallClockFollower::WallClockFollower() {
  if (!TheClock().IsVirtual())
    return;
  timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timer_ < 0)
    return;
  itimerspec every{};
  every.it_interval.tv_nsec = kTickNanos;
  every.it_value.tv_nsec = kTickNanos;
  timerfd_settime(timer_, 0, &every, nullptr);
  lastWallTime_ = WallTime();
  source_ = RunLoop::Main().AddSource(timer_, [this] { Tick(); });
}

WallClockFollower::~WallClockFollower() {
  if (timer_ < 0)
    return;
  RunLoop::Main().RemoveSource(source_);
  close(timer_);
}

void WallClockFollower::Tick() {
  std::uint64_t expirations = 0;
  if (read(timer_, &expirations, sizeof expirations) < 0 && errno != EAGAIN)
    return;
  const Nanos now = WallTime();
  Clock& clock = TheClock();
  clock.SleepUntil(clock.Now() + (now - lastWallTime_));
  lastWallTime_ = now;
}

}  // namespace plat::console
