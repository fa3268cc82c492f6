// The registry: the services attached now, and the notifications that watch them.
//
// A device backend registers a device's services when it is plugged in (a parent before its
// children) and terminates them when it goes away; matching runs over what is registered. The
// registry tells the first-match notifications of every service that joins, and the interest
// notifications of every service that leaves; they deliver through their notification ports.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/CoreFoundation.h"
#include "platform/IOKitLib.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat {

class MatchingNotifier;
class InterestNotifier;

class IORegistry {
 public:
  static IORegistry& Shared();

  // A backend that looks for its devices only once the program does: it installs its start here
  // (a plain pointer, safe to set before main), and the registry runs it once, at the first
  // search or first-match notification, so the devices present are registered before anything
  // is matched against them.
  static void SetBackendStart(void (*start)());
  // Runs the installed start if it has not run yet.
  static void StartBackend();

  // Attaches `service` (once); the first-match notifications it matches learn of it.
  void Register(const std::shared_ptr<IOService>& service);
  // Takes `service` and every attached service below it out of the registry, the lowest first;
  // each is marked terminated and its interest notifications are sent the termination message.
  void Terminate(const std::shared_ptr<IOService>& service);
  const std::vector<std::shared_ptr<IOService>>& Services() const { return services_; }

  // Whether `service` has every property `matching` asks for (see IOServiceMatching).
  static bool Matches(const IOService& service, CFDictionaryRef matching);
  // The attached services that match, in the order they were attached.
  std::vector<std::shared_ptr<IOObject>> MatchingServices(CFDictionaryRef matching) const;

  // Ports are owned by the registry from IONotificationPortCreate to IONotificationPortDestroy.
  IONotificationPortRef AddPort();
  void RemovePort(IONotificationPortRef port);
  std::shared_ptr<IONotificationPort> FindPort(IONotificationPortRef port) const;

  // Notifications live while their handles are held; the registry only watches them.
  void AddMatchingNotifier(const std::shared_ptr<MatchingNotifier>& notifier);
  void AddInterestNotifier(const std::shared_ptr<InterestNotifier>& notifier);
  // Live notifications, for tests: all first-match ones, those armed, and interest ones.
  std::size_t MatchingNotificationCount();
  std::size_t ArmedMatchingNotificationCount();
  std::size_t InterestNotificationCount();

  // For tests: after `succeeding` more first-match notifications are made, the next one fails
  // with `status` (once).
  void FailMatchingNotificationAfter(std::size_t succeeding, kern_return_t status);
  // The status the notification being made fails with, if it is the one to fail.
  std::optional<kern_return_t> TakeMatchingNotificationFault();

  // Forgets every service, port, notification and handle, for the next test.
  void Reset();

 private:
  void PruneNotifiers();

  std::vector<std::shared_ptr<IOService>> services_;
  std::vector<std::shared_ptr<IONotificationPort>> ports_;
  std::vector<std::weak_ptr<MatchingNotifier>> matchers_;
  std::vector<std::weak_ptr<InterestNotifier>> interests_;
  struct MatchingFault {
    std::size_t succeeding;
    kern_return_t status;
  };
  std::optional<MatchingFault> matchingFault_;
};

}  // namespace plat
