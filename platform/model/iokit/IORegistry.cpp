#include "platform/model/iokit/IORegistry.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/model/iokit/Notifications.h"

namespace plat {

namespace {

// How many levels `service` sits below `ancestor`, or -1 when it is not below it.
int LevelsBelow(const IOService* service, const IOService* ancestor) {
  int levels = 0;
  for (const IOService* at = service; at != nullptr; at = at->Parent().get(), ++levels) {
    if (at == ancestor)
      return levels;
  }
  return -1;
}

// Constant-initialised, so a backend may install its start from any static initialiser.
using BackendStart = void (*)();
constinit BackendStart pendingBackendStart = nullptr;

struct MatchCheck {
  const IOService* service;
  bool matches;
};

void CheckEntry(const void* key, const void* value, void* context) {
  auto* check = static_cast<MatchCheck*>(context);
  if (!check->matches)
    return;
  const std::string name = ToStdString(static_cast<CFStringRef>(key));
  if (name == kIOProviderClassKey) {
    const std::string wanted = ToStdString(static_cast<CFStringRef>(value));
    check->matches = wanted == "IOService" || wanted == check->service->ClassName();
    return;
  }
  CFTypeRef property = CFDictionaryGetValue(check->service->Properties(), key);
  check->matches = property != nullptr && CFEqual(property, value);
}

}  // namespace

IORegistry& IORegistry::Shared() {
  static IORegistry registry;
  return registry;
}

void IORegistry::SetBackendStart(void (*start)()) {
  pendingBackendStart = start;
}

void IORegistry::StartBackend() {
  // Taken before it runs: the start registers services, which must not start it again.
  if (auto start = std::exchange(pendingBackendStart, nullptr))
    start();
}

void IORegistry::Register(const std::shared_ptr<IOService>& service) {
  if (service == nullptr || std::ranges::find(services_, service) != services_.end())
    return;
  services_.push_back(service);
  PruneNotifiers();
  for (const auto& watcher : matchers_) {
    if (auto notifier = watcher.lock();
        notifier != nullptr && Matches(*service, notifier->Matching()))
      notifier->ServiceMatched(service);
  }
}

void IORegistry::Terminate(const std::shared_ptr<IOService>& service) {
  if (service == nullptr)
    return;
  std::vector<std::pair<int, std::shared_ptr<IOService>>> leaving;
  for (const auto& attached : services_) {
    const int levels = LevelsBelow(attached.get(), service.get());
    if (levels > 0)
      leaving.emplace_back(levels, attached);
  }
  std::ranges::stable_sort(leaving, std::ranges::greater{}, [](const auto& l) { return l.first; });
  leaving.emplace_back(0, service);
  PruneNotifiers();
  for (const auto& [levels, gone] : leaving) {
    gone->MarkTerminated();
    std::erase(services_, gone);
    for (const auto& watcher : interests_) {
      if (auto notifier = watcher.lock(); notifier != nullptr && notifier->Watches(gone.get()))
        notifier->ServiceTerminated(gone);
    }
  }
}

bool IORegistry::Matches(const IOService& service, CFDictionaryRef matching) {
  if (matching == nullptr || service.IsTerminated())
    return false;
  MatchCheck check{&service, true};
  CFDictionaryApplyFunction(matching, CheckEntry, &check);
  return check.matches;
}

std::vector<std::shared_ptr<IOObject>> IORegistry::MatchingServices(
    CFDictionaryRef matching) const {
  std::vector<std::shared_ptr<IOObject>> found;
  for (const auto& service : services_) {
    if (Matches(*service, matching))
      found.push_back(service);
  }
  return found;
}

IONotificationPortRef IORegistry::AddPort() {
  ports_.push_back(std::make_shared<IONotificationPort>());
  return ports_.back().get();
}

void IORegistry::RemovePort(IONotificationPortRef port) {
  std::erase_if(ports_, [port](const auto& owned) { return owned.get() == port; });
}

std::shared_ptr<IONotificationPort> IORegistry::FindPort(IONotificationPortRef port) const {
  auto found =
      std::ranges::find_if(ports_, [port](const auto& owned) { return owned.get() == port; });
  return found == ports_.end() ? nullptr : *found;
}

void IORegistry::AddMatchingNotifier(const std::shared_ptr<MatchingNotifier>& notifier) {
  matchers_.push_back(notifier);
}

void IORegistry::AddInterestNotifier(const std::shared_ptr<InterestNotifier>& notifier) {
  interests_.push_back(notifier);
}

void IORegistry::PruneNotifiers() {
  std::erase_if(matchers_, [](const auto& watcher) { return watcher.expired(); });
  std::erase_if(interests_, [](const auto& watcher) { return watcher.expired(); });
}

std::size_t IORegistry::MatchingNotificationCount() {
  PruneNotifiers();
  return matchers_.size();
}

std::size_t IORegistry::ArmedMatchingNotificationCount() {
  PruneNotifiers();
  return static_cast<std::size_t>(std::ranges::count_if(
      matchers_, [](const auto& watcher) { return watcher.lock()->Armed(); }));
}

std::size_t IORegistry::InterestNotificationCount() {
  PruneNotifiers();
  return interests_.size();
}

void IORegistry::FailMatchingNotificationAfter(std::size_t succeeding, kern_return_t status) {
  matchingFault_ = MatchingFault{succeeding, status};
}

std::optional<kern_return_t> IORegistry::TakeMatchingNotificationFault() {
  if (!matchingFault_)
    return std::nullopt;
  if (matchingFault_->succeeding > 0) {
    --matchingFault_->succeeding;
    return std::nullopt;
  }
  const kern_return_t status = matchingFault_->status;
  matchingFault_.reset();
  return status;
}

void IORegistry::Reset() {
  matchingFault_.reset();
  services_.clear();
  matchers_.clear();
  interests_.clear();
  ports_.clear();
  ResetIOObjects();
}

}  // namespace plat
