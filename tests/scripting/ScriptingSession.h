// tallowmere-sim on a private session bus (its own dbus-daemon), driven through its console on
// a pipe; the bus seen from the test with GDBus, and tallowmerectl run against it.
#pragma once

#include <gio/gio.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "tests/gtk/DesktopSession.h"

namespace scripting_test {

using desktop_test::Child;
using std::chrono::milliseconds;

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `argv` with `environment` added (at most 30 s); its exit status and both outputs.
Ran RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

// A PropertiesChanged signal as it came: the changed values by name, as GVariant text
// ("2", "true", "[1, 2, 4]").
using Changes = std::map<std::string, std::string>;

class ScriptingSession {
 public:
  // Starts a bus; `environment` is added for the programs started on it (a desktop's).
  // Ready() says whether it runs; Why() what failed.
  explicit ScriptingSession(std::vector<std::string> environment = {});
  ~ScriptingSession();
  bool Ready() const { return why_.empty(); }
  const std::string& Why() const { return why_; }

  // Starts tallowmere-sim and waits until it serves the interface.
  bool StartSim();
  // One console line to the simulation, then the program's `status` line once it has run them.
  std::string Sim(const std::string& lines);
  // The simulated switch's own state line (`sim`).
  std::string SwitchLine();
  Child& Program() { return sim_; }
  // The programs' working folder (their HOTKEY.CFG), removed at the end.
  std::string Folder() const { return folder_.path(); }

  // A call to the interface: "" when answered, else the D-Bus error's name; `message` gets its
  // text.
  std::string Call(const char* method, GVariant* parameters, std::string* message = nullptr);
  // GetAll of the interface (null when it did not answer; the caller unrefs).
  GVariant* Properties();
  bool Served();

  // PropertiesChanged signals received so far (after a short look at the bus).
  std::vector<Changes> TakeChanges(milliseconds look = milliseconds(300));

  // tallowmerectl with these arguments on this bus.
  Ran Ctl(const std::vector<std::string>& arguments);
  std::vector<std::string> Environment() const;

 private:
  static void Changed(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                      GVariant* parameters, gpointer self);

  ScratchFolder folder_{"scripting-test-"};
  std::vector<std::string> environment_;
  Child bus_;
  Child sim_;
  std::string address_;
  GMainContext* context_ = nullptr;
  GDBusConnection* connection_ = nullptr;
  guint subscription_ = 0;
  std::vector<Changes> changes_;
  std::string why_;
};

}  // namespace scripting_test
