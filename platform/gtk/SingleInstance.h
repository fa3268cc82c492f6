// One running instance per login session: the program owns its name on the session bus and
// answers org.freedesktop.Application's Activate there with the application shown again (the
// Preferences window opens). A second start finds the name taken, asks the first to show itself,
// and ends. Without a session bus every start runs on its own.
#pragma once

#include <gio/gio.h>

#include <string>

namespace plat::gtk {

class SingleInstance {
 public:
  SingleInstance() = default;
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Claims `busName` (and answers activations at `objectPath`). False when another instance
  // holds it: that one has been asked to show itself.
  bool Claim(const std::string& busName, const std::string& objectPath);

  // The bus name and object path of the program `programName` ("tallowmere-sim" ->
  // org.tallowmere.TallowmereSim, /org/tallowmere/TallowmereSim).
  static std::string BusName(const std::string& programName);
  static std::string ObjectPath(const std::string& busName);

 private:
  static void MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                           gpointer);

  GDBusConnection* bus_ = nullptr;
  guint registration_ = 0;
};

}  // namespace plat::gtk
