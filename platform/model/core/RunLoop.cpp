#include "platform/RunLoop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace plat {

RunLoop& RunLoop::Main() {
  // Never destroyed: objects that live until the process exits (a simulated switch scanning its
  // ports, say) still remove their timers from it as they go.
  static RunLoop* const loop = new RunLoop;
  return *loop;
}

RunLoop::Id RunLoop::AddTimer(Nanos firstFire, Nanos interval, Callback callback) {
  const Id id = nextId_++;
  timers_[id] =
      Timer{firstFire, interval, nextOrder_++, std::make_shared<Callback>(std::move(callback))};
  return id;
}

bool RunLoop::RemoveTimer(Id timer) {
  return timers_.erase(timer) > 0;
}

bool RunLoop::HasTimer(Id timer) const {
  return timers_.contains(timer);
}

Nanos RunLoop::NextFire(Id timer) const {
  auto it = timers_.find(timer);
  return it == timers_.end() ? kForever : it->second.due;
}

void RunLoop::Post(Callback callback) {
  posted_.push_back(std::move(callback));
}

RunLoop::Id RunLoop::AddSource(int fd, Callback onReady) {
  const Id id = nextId_++;
  sources_[id] = Source{fd, std::make_shared<Callback>(std::move(onReady))};
  return id;
}

bool RunLoop::RemoveSource(Id source) {
  return sources_.erase(source) > 0;
}

RunLoop::Id RunLoop::AddObserver(Callback afterEachCallback) {
  const Id id = nextId_++;
  observers_[id] = std::make_shared<Callback>(std::move(afterEachCallback));
  return id;
}

bool RunLoop::RemoveObserver(Id observer) {
  return observers_.erase(observer) > 0;
}

void RunLoop::TellObservers() {
  if (observers_.empty())
    return;
  // An observer may remove itself or another.
  std::vector<std::shared_ptr<Callback>> observers;
  for (const auto& [id, observer] : observers_)
    observers.push_back(observer);
  for (const auto& observer : observers)
    (*observer)();
}

void RunLoop::Stop() {
  if (depth_ > 0)
    ++stopRequests_;
}

void RunLoop::Reset() {
  timers_.clear();
  sources_.clear();
  posted_.clear();
  observers_.clear();
  stopRequests_ = 0;
}

bool RunLoop::RunPostedWork() {
  if (posted_.empty())
    return false;
  // Work posted by this work runs in the next round, after what was already waiting.
  std::vector<Callback> batch;
  batch.swap(posted_);
  for (auto& work : batch) {
    work();
    TellObservers();
  }
  return true;
}

Nanos RunLoop::EarliestTimer() const {
  Nanos earliest = kForever;
  for (const auto& [id, timer] : timers_) {
    earliest = std::min(earliest, timer.due);
  }
  return earliest;
}

bool RunLoop::FireOneDueTimer() {
  const Nanos now = Now();
  auto due = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due > now)
      continue;
    if (due == timers_.end() || it->second.due < due->second.due ||
        (it->second.due == due->second.due && it->second.order < due->second.order)) {
      due = it;
    }
  }
  if (due == timers_.end())
    return false;
  // Keep the callback alive while it runs: it may remove its own timer.
  std::shared_ptr<Callback> callback = due->second.callback;
  if (due->second.interval > 0) {
    due->second.due += due->second.interval;
    due->second.order = nextOrder_++;
  } else {
    timers_.erase(due);
  }
  (*callback)();
  TellObservers();
  return true;
}

bool RunLoop::WaitForSources(Nanos until) {
  Clock& clock = TheClock();
  if (sources_.empty()) {
    if (until != kForever)
      clock.SleepUntil(until);
    return false;
  }
  std::vector<pollfd> fds;
  std::vector<Id> ids;
  for (const auto& [id, source] : sources_) {
    fds.push_back(pollfd{source.fd, POLLIN, 0});
    ids.push_back(id);
  }
  int timeoutMs;
  if (clock.IsVirtual()) {
    // Virtual time does not pass while we wait for the outside world; with a deadline the sources
    // are only looked at, then the clock jumps.
    timeoutMs = until == kForever ? -1 : 0;
  } else if (until == kForever) {
    timeoutMs = -1;
  } else {
    const Nanos left = std::max<Nanos>(0, until - clock.Now());
    timeoutMs = static_cast<int>(std::min<Nanos>((left + 999'999) / 1'000'000, 60'000));
  }
  const int ready = poll(fds.data(), fds.size(), timeoutMs);
  if (ready <= 0) {
    if (clock.IsVirtual() && until != kForever)
      clock.SleepUntil(until);
    return false;
  }
  for (std::size_t i = 0; i < fds.size(); ++i) {
    if (fds[i].revents == 0)
      continue;
    auto it = sources_.find(ids[i]);
    if (it == sources_.end())
      continue;  // removed by an earlier callback of this round
    std::shared_ptr<Callback> callback = it->second.callback;
    (*callback)();
    TellObservers();
  }
  return true;
}

void RunLoop::RunUntil(Nanos deadline) {
  ++depth_;
  while (stopRequests_ == 0) {
    if (RunPostedWork())
      continue;
    if (FireOneDueTimer())
      continue;
    const Nanos now = Now();
    if (now >= deadline)
      break;
    Nanos wake = std::min(EarliestTimer(), deadline);
    if (wake == kForever && sources_.empty() && posted_.empty())
      break;  // nothing can happen
    // On a virtual clock with no deadline, time passes only when someone says so: while there
    // is an outside world to wait for (a person typing, a device), wait for it rather than jump
    // to the next timer.
    if (deadline == kForever && !sources_.empty() && TheClock().IsVirtual())
      wake = kForever;
    WaitForSources(wake);
  }
  if (stopRequests_ > 0)
    --stopRequests_;
  --depth_;
}

void RunLoop::RunPending() {
  ++depth_;
  bool worked = true;
  while (worked && stopRequests_ == 0) {
    worked = RunPostedWork() || FireOneDueTimer();
    if (!worked && !sources_.empty()) {
      // Serve sources that are ready now, without waiting.
      std::vector<pollfd> fds;
      for (const auto& [id, source] : sources_)
        fds.push_back(pollfd{source.fd, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 0) > 0)
        worked = WaitForSources(Now());
    }
  }
  if (stopRequests_ > 0)
    --stopRequests_;
  --depth_;
}

}  // namespace plat
