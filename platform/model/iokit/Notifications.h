// Notification ports and the two kinds of notification delivered through them.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/IOKitLib.h"
#include "platform/model/iokit/IOObjects.h"

// A port queues its deliveries until its run-loop source is on the run loop, then posts each to
// the main run loop. Deliveries not made when the port goes are dropped.
struct IONotificationPort : std::enable_shared_from_this<IONotificationPort> {
 public:
  IONotificationPort();
  ~IONotificationPort();
  IONotificationPort(const IONotificationPort&) = delete;
  IONotificationPort& operator=(const IONotificationPort&) = delete;

  CFRunLoopSourceRef Source() const { return source_; }
  void Deliver(std::function<void()> delivery);

 private:
  void SetScheduled(bool scheduled);
  void Post(std::function<void()> delivery);

  CFRunLoopSourceRef source_;
  bool scheduled_ = false;
  std::vector<std::function<void()>> waiting_;
};

namespace plat {

// A first-match notification; its handle is the iterator of the services it has found.
class MatchingNotifier final : public IOIteratorBase,
                               public std::enable_shared_from_this<MatchingNotifier> {
 public:
  // Takes over one reference of `matching`; `present` are the services that match already.
  MatchingNotifier(std::weak_ptr<IONotificationPort> port, CFDictionaryRef matching,
                   IOServiceMatchingCallback callback, void* refCon,
                   std::vector<std::shared_ptr<IOService>> present);
  ~MatchingNotifier() override;
  MatchingNotifier(const MatchingNotifier&) = delete;
  MatchingNotifier& operator=(const MatchingNotifier&) = delete;

  std::string ClassName() const override { return "IOServiceNotifier"; }
  // Reaching the end arms the notification.
  std::shared_ptr<IOObject> Next() override;
  void Reset() override {}

  CFDictionaryRef Matching() const { return matching_; }
  bool Armed() const { return armed_; }
  // A service that matches has been attached.
  void ServiceMatched(const std::shared_ptr<IOService>& service);

 private:
  std::weak_ptr<IONotificationPort> port_;
  CFDictionaryRef matching_;
  IOServiceMatchingCallback callback_;
  void* refCon_;
  std::deque<std::shared_ptr<IOService>> found_;
  bool armed_ = false;
};

// A general-interest notification for one service.
class InterestNotifier final : public IOObject,
                               public std::enable_shared_from_this<InterestNotifier> {
 public:
  InterestNotifier(std::weak_ptr<IONotificationPort> port,
                   const std::shared_ptr<IOService>& service, IOServiceInterestCallback callback,
                   void* refCon)
      : port_(std::move(port)), service_(service), callback_(callback), refCon_(refCon) {}

  std::string ClassName() const override { return "IOServiceInterest"; }
  bool Watches(const IOService* service) const { return service_.lock().get() == service; }
  void ServiceTerminated(const std::shared_ptr<IOService>& service);

 private:
  std::weak_ptr<IONotificationPort> port_;
  std::weak_ptr<IOService> service_;
  IOServiceInterestCallback callback_;
  void* refCon_;
};

}  // namespace plat
