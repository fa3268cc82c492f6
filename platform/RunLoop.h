// The main thread's run loop: timers, posted work and file-descriptor sources, delivered in time
// order on the one thread that runs everything.
//
// This is the platform's own machinery; the Mac-named calls (event-loop timers, the notification
// port's run-loop source, the application event loop) are built on it, and fronts and tests drive
// it directly: `RunFor` lets a span of (virtual) time pass and delivers everything due in it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/Clock.h"

namespace plat {

class RunLoop {
 public:
  using Id = std::uint64_t;
  using Callback = std::function<void()>;

  static RunLoop& Main();

  // A timer first due at `firstFire` (absolute clock time), then every `interval` (0 = once).
  Id AddTimer(Nanos firstFire, Nanos interval, Callback callback);
  // Removes a timer; false when there is no such timer. Safe from inside any callback, including
  // the timer's own.
  bool RemoveTimer(Id timer);
  bool HasTimer(Id timer) const;
  std::size_t TimerCount() const { return timers_.size(); }
  // When the timer is next due, or kForever when there is no such timer.
  Nanos NextFire(Id timer) const;

  // Work to run at the current time, after the work posted before it.
  void Post(Callback callback);

  // A file descriptor whose readiness (readable, hung up or in error) calls `onReady`.
  Id AddSource(int fd, Callback onReady);
  bool RemoveSource(Id source);

  // Called after every callback the loop delivers (posted work, a timer, a ready source), for
  // whoever must notice what that callback changed without polling for it.
  Id AddObserver(Callback afterEachCallback);
  bool RemoveObserver(Id observer);

  // Delivers everything due until `deadline`, in time order, moving the clock forward; returns
  // at the deadline, when Stop() is called, or when nothing could ever happen any more (no
  // timer, no source, nothing posted) and the deadline is kForever. May be nested. On a virtual
  // clock with no deadline, a loop that has sources waits for them and does not move time on to
  // its timers: time then passes only through a RunFor or RunUntil with a deadline.
  void RunUntil(Nanos deadline);
  void RunFor(Nanos span) { RunUntil(Now() + span); }
  // Delivers what is due now (posted work, ready sources, timers due), without waiting.
  void RunPending();
  // Makes the innermost running RunUntil return once the current callback is done.
  void Stop();

  // Forgets every timer, source and posted work: a fresh loop for the next test.
  void Reset();

 private:
  struct Timer {
    Nanos due;
    Nanos interval;
    std::uint64_t order;  // keeps timers due at the same instant in the order they were added
    std::shared_ptr<Callback> callback;
  };
  struct Source {
    int fd;
    std::shared_ptr<Callback> callback;
  };

  bool RunPostedWork();
  bool FireOneDueTimer();
  // Waits for a source to become ready, or until `until`; returns true when a source was served.
  bool WaitForSources(Nanos until);
  Nanos EarliestTimer() const;
  void TellObservers();

  std::map<Id, Timer> timers_;
  std::map<Id, Source> sources_;
  std::vector<Callback> posted_;
  std::map<Id, std::shared_ptr<Callback>> observers_;
  Id nextId_ = 1;
  std::uint64_t nextOrder_ = 0;
  int depth_ = 0;
  int stopRequests_ = 0;
};

}  // namespace plat
