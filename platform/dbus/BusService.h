// The scripting interface served by a front that has no bus connection of its own (the
// console): when the login session has a bus, it connects once the run loop has started, owns
// org.tallowmere.Tallowmere there and serves the switch object. Nothing of this delays the
// program's start, and without a session bus it does nothing at all.
#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

namespace plat::gtk {
class GLibLoop;
}

namespace plat::dbus {

class SwitchObject;

class BusService {
 public:
  BusService();
  ~BusService();
  BusService(const BusService&) = delete;
  BusService& operator=(const BusService&) = delete;

 private:
  struct Pending;
  void Connect(const std::string& address);
  void Connected(GDBusConnection* bus);
  static void NameLost(GDBusConnection*, const gchar* name, gpointer self);

  std::unique_ptr<gtk::GLibLoop> loop_;
  std::shared_ptr<Pending> pending_;
  GDBusConnection* bus_ = nullptr;
  std::unique_ptr<SwitchObject> object_;
  guint owner_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::dbus
