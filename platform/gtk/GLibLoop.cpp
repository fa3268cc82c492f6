#include "platform/gtk/GLibLoop.h"

#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace plat::gtk {
namespace {

GLibLoop* current = nullptr;

// Dispatch rounds in one go before our own work gets its turn again: GTK's frame clock and idle
// handlers may keep a context busy for a while.
constexpr int kMostRounds = 64;

}  // namespace

GLibLoop* GLibLoop::Current() {
  return current;
}

GLibLoop::GLibLoop() : context_(g_main_context_default()) {
  // Owned by this thread from now on: work that another thread (GDBus's) attaches to the context
  // then wakes it through its wake-up descriptor, which is one of our sources.
  g_main_context_acquire(context_);
  timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timer_ >= 0) {
    timerSource_ = RunLoop::Main().AddSource(timer_, [this] {
      std::uint64_t expirations = 0;
      if (read(timer_, &expirations, sizeof expirations) < 0 && errno != EAGAIN)
        return;
      Iterate();
    });
  }
  current = this;
  Iterate();
}

GLibLoop::~GLibLoop() {
  *alive_ = false;
  if (current == this)
    current = nullptr;
  ForgetSources();
  if (timer_ >= 0) {
    RunLoop::Main().RemoveSource(timerSource_);
    close(timer_);
  }
  g_main_context_release(context_);
}

void GLibLoop::Schedule() {
  if (scheduled_)
    return;
  scheduled_ = true;
  RunLoop::Main().Post([this, alive = alive_] {
    // The loop may be gone by the time posted work runs (the front stopped).
    if (!*alive)
      return;
    scheduled_ = false;
    Iterate();
  });
}

void GLibLoop::Iterate() {
  // A widget's handler may run our code, which may come back here (a nested run of the loop):
  // the outer iteration finishes the round.
  if (iterating_) {
    scheduled_ = false;
    Schedule();
    return;
  }
  iterating_ = true;
  std::vector<GPollFD> fds(std::max<std::size_t>(fds_.size(), 8));
  gint timeoutMs = -1;
  for (int round = 0;; ++round) {
    gint priority = 0;
    const bool readyBeforePoll = g_main_context_prepare(context_, &priority) != FALSE;
    gint count = 0;
    while ((count = g_main_context_query(context_, priority, &timeoutMs, fds.data(),
                                         static_cast<gint>(fds.size()))) >
           static_cast<gint>(fds.size())) {
      fds.resize(static_cast<std::size_t>(count));
    }
    fds.resize(static_cast<std::size_t>(count));
    // Only look at the descriptors: waiting is the run loop's business.
    if (!readyBeforePoll && !fds.empty())
      g_poll(fds.data(), static_cast<guint>(fds.size()), 0);
    const bool ready = g_main_context_check(context_, priority, fds.data(),
                                            static_cast<gint>(fds.size())) != FALSE;
    if (!ready)
      break;
    g_main_context_dispatch(context_);
    if (round == kMostRounds) {
      // Still busy: let our own work run, then carry on.
      iterating_ = false;
      Schedule();
      return;
    }
  }
  iterating_ = false;
  for (GPollFD& fd : fds)
    fd.revents = 0;
  Watch(fds, timeoutMs);
}

void GLibLoop::Watch(const std::vector<GPollFD>& fds, gint timeoutMs) {
  const bool sameFds = fds.size() == fds_.size() && [&] {
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd != fds_[i].fd || fds[i].events != fds_[i].events)
        return false;
    }
    return true;
  }();
  if (!sameFds) {
    ForgetSources();
    fds_ = fds;
    for (const GPollFD& fd : fds_) {
      // The run loop waits for input (and hang-ups and errors); GLib's descriptors on this
      // thread (X, the wake-up descriptor, D-Bus sockets) wait for nothing else.
      sources_.push_back(RunLoop::Main().AddSource(fd.fd, [this] { Iterate(); }));
    }
  }
  if (timer_ < 0)
    return;
  itimerspec when{};
  if (timeoutMs == 0) {
    Schedule();
  } else if (timeoutMs > 0) {
    when.it_value.tv_sec = timeoutMs / 1000;
    when.it_value.tv_nsec = static_cast<long>(timeoutMs % 1000) * 1'000'000;
  }
  // A zero it_value disarms the timer: no timeout.
  timerfd_settime(timer_, 0, &when, nullptr);
}

void GLibLoop::ForgetSources() {
  for (RunLoop::Id source : sources_)
    RunLoop::Main().RemoveSource(source);
  sources_.clear();
  fds_.clear();
}

}  // namespace plat::gtk
