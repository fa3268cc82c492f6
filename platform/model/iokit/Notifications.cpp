#include "platform/model/iokit/Notifications.h"

#include <cstring>

#include "platform/RunLoop.h"
#include "platform/model/iokit/IORegistry.h"
#include "platform/model/iokit/RunLoopSources.h"

IONotificationPort::IONotificationPort()
    : source_(plat::NewRunLoopSource([this](bool scheduled) { SetScheduled(scheduled); })) {}

IONotificationPort::~IONotificationPort() {
  plat::DeleteRunLoopSource(source_);
}

void IONotificationPort::Deliver(std::function<void()> delivery) {
  if (scheduled_) {
    Post(std::move(delivery));
  } else {
    waiting_.push_back(std::move(delivery));
  }
}

void IONotificationPort::SetScheduled(bool scheduled) {
  scheduled_ = scheduled;
  if (!scheduled_)
    return;
  std::vector<std::function<void()>> waiting;
  waiting.swap(waiting_);
  for (auto& delivery : waiting)
    Post(std::move(delivery));
}

void IONotificationPort::Post(std::function<void()> delivery) {
  plat::RunLoop::Main().Post([port = weak_from_this(), delivery = std::move(delivery)] {
    // Held for the call: the callback may destroy the port.
    if (auto alive = port.lock())
      delivery();
  });
}

namespace plat {

MatchingNotifier::MatchingNotifier(std::weak_ptr<IONotificationPort> port, CFDictionaryRef matching,
                                   IOServiceMatchingCallback callback, void* refCon,
                                   std::vector<std::shared_ptr<IOService>> present)
    : port_(std::move(port)),
      matching_(matching),
      callback_(callback),
      refCon_(refCon),
      found_(present.begin(), present.end()) {}

MatchingNotifier::~MatchingNotifier() {
  CFRelease(matching_);
}

std::shared_ptr<IOObject> MatchingNotifier::Next() {
  if (found_.empty()) {
    armed_ = true;
    return nullptr;
  }
  std::shared_ptr<IOObject> next = found_.front();
  found_.pop_front();
  return next;
}

void MatchingNotifier::ServiceMatched(const std::shared_ptr<IOService>& service) {
  found_.push_back(service);
  auto port = port_.lock();
  if (!armed_ || port == nullptr)
    return;
  // One call for everything found until the program has walked the iterator again.
  armed_ = false;
  port->Deliver([self = weak_from_this()] {
    auto notifier = self.lock();
    const io_iterator_t handle = notifier == nullptr ? 0 : HandleOf(notifier.get());
    if (handle != 0)
      notifier->callback_(notifier->refCon_, handle);
  });
}

void InterestNotifier::ServiceTerminated(const std::shared_ptr<IOService>& service) {
  auto port = port_.lock();
  if (port == nullptr)
    return;
  port->Deliver([self = weak_from_this(), service] {
    auto notifier = self.lock();
    if (notifier == nullptr || HandleOf(notifier.get()) == 0)
      return;  // released before the message could be delivered
    const io_service_t lent = RetainHandle(service);
    notifier->callback_(notifier->refCon_, lent, kIOMessageServiceIsTerminated, nullptr);
    IOObjectRelease(lent);
  });
}

}  // namespace plat

IONotificationPortRef IONotificationPortCreate(mach_port_t) {
  return plat::IORegistry::Shared().AddPort();
}

void IONotificationPortDestroy(IONotificationPortRef notify) {
  plat::IORegistry::Shared().RemovePort(notify);
}

CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify) {
  auto port = plat::IORegistry::Shared().FindPort(notify);
  return port == nullptr ? nullptr : port->Source();
}

kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef notifyPort,
                                               const char* notificationType,
                                               CFDictionaryRef matching,
                                               IOServiceMatchingCallback callback, void* refCon,
                                               io_iterator_t* notification) {
  if (matching == nullptr)
    return kIOReturnBadArgument;
  plat::IORegistry& registry = plat::IORegistry::Shared();
  auto port = registry.FindPort(notifyPort);
  if (port == nullptr || callback == nullptr || notification == nullptr ||
      notificationType == nullptr) {
    CFRelease(matching);
    return kIOReturnBadArgument;
  }
  *notification = 0;
  if (std::strcmp(notificationType, kIOFirstMatchNotification) != 0) {
    CFRelease(matching);
    return kIOReturnUnsupported;
  }
  if (auto fault = registry.TakeMatchingNotificationFault()) {
    CFRelease(matching);
    return *fault;
  }
  plat::IORegistry::StartBackend();
  std::vector<std::shared_ptr<plat::IOService>> present;
  for (const auto& service : registry.Services()) {
    if (plat::IORegistry::Matches(*service, matching))
      present.push_back(service);
  }
  auto notifier = std::make_shared<plat::MatchingNotifier>(port, matching, callback, refCon,
                                                           std::move(present));
  registry.AddMatchingNotifier(notifier);
  *notification = plat::RetainHandle(notifier);
  return KERN_SUCCESS;
}

kern_return_t IOServiceAddInterestNotification(IONotificationPortRef notifyPort,
                                               io_service_t service, const char* interestType,
                                               IOServiceInterestCallback callback, void* refCon,
                                               io_object_t* notification) {
  if (notification == nullptr)
    return kIOReturnBadArgument;
  *notification = 0;
  plat::IORegistry& registry = plat::IORegistry::Shared();
  auto port = registry.FindPort(notifyPort);
  auto watched = plat::ObjectForHandleAs<plat::IOService>(service);
  if (port == nullptr || watched == nullptr || callback == nullptr || interestType == nullptr)
    return kIOReturnBadArgument;
  if (std::strcmp(interestType, kIOGeneralInterest) != 0)
    return kIOReturnUnsupported;
  if (watched->IsTerminated())
    return kIOReturnNoDevice;
  auto notifier = std::make_shared<plat::InterestNotifier>(port, watched, callback, refCon);
  registry.AddInterestNotifier(notifier);
  *notification = plat::RetainHandle(notifier);
  return KERN_SUCCESS;
}
