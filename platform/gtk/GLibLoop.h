// GLib's main context (GTK's events, the X connection, D-Bus replies) served from the platform's
// run loop, so that everything runs on the one thread and waits in the one poll set.
//
// GLib's file descriptors become run-loop sources and its next timeout a timer descriptor on the
// monotonic clock (GLib's own timeouts follow the wall clock whatever the platform clock is).
// When any of them is ready, or when our own code has changed widgets, the context is iterated
// without blocking until it has nothing ready, then asked again what to wait for.
#pragma once

#include <glib.h>

#include <memory>
#include <vector>

#include "platform/RunLoop.h"

namespace plat::gtk {

class GLibLoop {
 public:
  GLibLoop();
  ~GLibLoop();
  GLibLoop(const GLibLoop&) = delete;
  GLibLoop& operator=(const GLibLoop&) = delete;

  // Lets GLib do its work soon (after the current callback): our code has changed widgets, so
  // GTK has redrawing or resizing to do that no descriptor will tell of.
  void Schedule();

  // The loop running now, if any (for the parts of the front that change widgets).
  static GLibLoop* Current();

 private:
  void Iterate();
  void Watch(const std::vector<GPollFD>& fds, gint timeoutMs);
  void ForgetSources();

  GMainContext* context_;
  std::vector<GPollFD> fds_;
  std::vector<RunLoop::Id> sources_;
  int timer_ = -1;
  RunLoop::Id timerSource_ = 0;
  bool scheduled_ = false;
  bool iterating_ = false;
  // Shared with posted work, which may run after this loop is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::gtk
