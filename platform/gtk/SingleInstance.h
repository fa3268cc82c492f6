// One running instance per login session: the program owns its name on the session bus and
// answers org.freedesktop.Application's Activate there with the application shown again (the
// Preferences window opens). A second start finds the name taken, asks the first to show itself,
// and ends. The instance that holds the name also serves the scripting interface
// (org.tallowmere.Switch1) there. Without a session bus every start runs on its own; none is
// started for it.
#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

namespace plat::dbus {
class SwitchObject;
}

namespace plat::gtk {

class SingleInstance {
 public:
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Claims `busName` (and answers activations at `objectPath`). False when another instance
  // holds it: that one has been asked to show itself.
  bool Claim(const std::string& busName, const std::string& objectPath);

  // The bus name and object path of the program `programName`: the app ID
  // org.tallowmere.Tallowmere for every program (the simulation stands in for the program, so
  // that scripts and tallowmerectl find whichever runs), /org/tallowmere/Tallowmere.
  static std::string BusName(const std::string& programName);
  static std::string ObjectPath(const std::string& busName);

 private:
  static void MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                           gpointer);

  GDBusConnection* bus_ = nullptr;
  guint registration_ = 0;
  std::unique_ptr<dbus::SwitchObject> switch_;
};

}  // namespace plat::gtk
