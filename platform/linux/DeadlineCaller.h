// A call that can block in the kernel (a feature-report ioctl or a write that the device never
// answers) run on a helper thread of its own, with the caller waiting a bounded time for it. The
// program's code keeps its synchronous calls on its one thread; a device that stops answering
// costs that thread one deadline, and every later call on the device fails at once until the
// stuck call returns by itself.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace plat::linux_dev {

class DeadlineCaller {
 public:
  enum class Outcome {
    kDone,      // the call ran and returned within the deadline
    kTimedOut,  // the call is still running; it finishes on the helper thread
    kBusy,      // an earlier call has not returned: this one was not started
  };

  explicit DeadlineCaller(std::chrono::milliseconds deadline);
  // Never waits for a call in flight: the helper thread ends by itself once the calls handed to
  // it have returned.
  ~DeadlineCaller();
  DeadlineCaller(const DeadlineCaller&) = delete;
  DeadlineCaller& operator=(const DeadlineCaller&) = delete;

  // Runs `call` on the helper thread (started on first use). Whatever the call touches must be
  // owned by the call itself: after kTimedOut it may run on long after the caller has gone.
  Outcome Run(std::function<void()> call);
  // Whether a call has been started and has not returned yet.
  bool Busy() const;

 private:
  struct State;
  static void Serve(const std::shared_ptr<State>& state);
  std::shared_ptr<State> state_;
  std::chrono::milliseconds deadline_;
};

}  // namespace plat::linux_dev
