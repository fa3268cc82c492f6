#include "platform/linux/DeadlineCaller.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace plat::linux_dev {

struct DeadlineCaller::State {
  std::mutex mutex;
  std::condition_variable work;
  std::condition_variable done;
  std::function<void()> job;
  bool running = false;  // a job handed over and not yet returned
  bool started = false;
  bool quit = false;
};

DeadlineCaller::DeadlineCaller(std::chrono::milliseconds deadline)
    : state_(std::make_shared<State>()), deadline_(deadline) {}

DeadlineCaller::~DeadlineCaller() {
  const std::lock_guard lock(state_->mutex);
  state_->quit = true;
  state_->work.notify_all();
}

DeadlineCaller::Outcome DeadlineCaller::Run(std::function<void()> call) {
  std::unique_lock lock(state_->mutex);
  if (state_->running)
    return Outcome::kBusy;
  if (!state_->started) {
    // Detached: the thread holds the state, so neither this object's end nor the process's
    // exit waits for a call that never returns.
    std::thread([state = state_] { Serve(state); }).detach();
    state_->started = true;
  }
  state_->job = std::move(call);
  state_->running = true;
  state_->work.notify_one();
  const bool returned = state_->done.wait_for(lock, deadline_, [this] { return !state_->running; });
  return returned ? Outcome::kDone : Outcome::kTimedOut;
}

bool DeadlineCaller::Busy() const {
  const std::lock_guard lock(state_->mutex);
  return state_->running;
}

void DeadlineCaller::Serve(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  while (true) {
    state->work.wait(lock, [&] { return state->quit || state->job; });
    // A call handed over is always made, even after its caller has gone.
    if (!state->job)
      return;
    std::function<void()> job = std::move(state->job);
    state->job = nullptr;
    lock.unlock();
    job();
    // What the call owned (its descriptor, its buffers) goes here, off the caller's thread.
    job = nullptr;
    lock.lock();
    state->running = false;
    state->done.notify_all();
  }
}

}  // namespace plat::linux_dev
