// A desktop for end-to-end tests: an Xvfb display, a D-Bus session bus and a tray host (trayer or
// Xfce's panel), and the programs started on it with their standard input and output in the
// test's hands.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/ScratchFolder.h"

namespace desktop_test {

using std::chrono::milliseconds;

// A program's arguments and an environment (the test's own, with `added` put over it) in the
// form execvpe takes; the strings live as long as the object.
class ExecArguments {
 public:
  ExecArguments(const std::vector<std::string>& argv, const std::vector<std::string>& added);
  char* const* Argv() const { return args_.data(); }
  char* const* Envp() const { return env_.data(); }

 private:
  std::vector<std::string> argv_;
  std::vector<std::string> variables_;
  std::vector<char*> args_;
  std::vector<char*> env_;
};

// A child process, ended (by its own pid) when the object goes.
class Child {
 public:
  Child() = default;
  // Starts `argv` with `environment` added to the test's own, in `directory` (empty: here).
  // With `pipes`, its standard input and output are pipes of ours; else /dev/null. With
  // `errorsToo`, its standard error goes into the same pipe as its output.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
        const std::string& directory, bool pipes, bool errorsToo = false);
  ~Child();
  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;

  bool Started() const { return pid_ > 0; }
  // Its exit status once it has ended within `timeout`; nothing while it runs.
  std::optional<int> Wait(milliseconds timeout);

  // One line to its standard input.
  void Send(const std::string& line);
  // The next line of its standard output, waiting at most `timeout`.
  std::optional<std::string> ReadLine(milliseconds timeout);
  // Reads lines until one satisfies `wanted` (answered), or `timeout` has passed.
  std::optional<std::string> WaitForLine(const std::function<bool(const std::string&)>& wanted,
                                         milliseconds timeout);
  // Reads lines until one is exactly `line`.
  bool WaitForLine(const std::string& line, milliseconds timeout);
  // Everything read so far (for failure messages).
  const std::string& Transcript() const { return transcript_; }

 private:
  void End();

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string buffered_;
  std::string transcript_;
};

// Runs `argv` to its end (at most `timeout`); its exit status, or -1.
int RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            std::string* output = nullptr, milliseconds timeout = milliseconds(10000));

// "<tool> is not installed ..." for the first of `tools` not found on PATH; "" when all are.
std::string MissingTool(const std::vector<std::string>& tools);
// Starts dbus-daemon with `options` (`runAs` put before it) into `bus`; the bus's address, or ""
// when it did not start.
std::string StartBus(Child& bus, const std::vector<std::string>& options,
                     const std::vector<std::string>& environment,
                     const std::vector<std::string>& runAs = {});
// Whether `name` has an owner on the session bus of `environment`.
bool OnBus(const std::string& name, const std::vector<std::string>& environment,
           const std::vector<std::string>& runAs = {});

// Sends `command` to `program` (a tallowmere on its console) and answers the line of its answer
// that starts with `prefix` ("" when none came within `timeout`).
std::string Ask(Child& program, const std::string& command, const std::string& prefix,
                milliseconds timeout);
// Asks `program` `command` until the line of its answer that starts with `prefix` contains
// `wanted`: what was done elsewhere reaches it in its own time.
bool AnswerBecomes(Child& program, const std::string& command, const std::string& prefix,
                   const std::string& wanted, milliseconds timeout);
// The same for the simulated switch's line (`sim`).
bool SwitchShows(Child& program, const std::string& wanted, milliseconds timeout);
// Port `port`'s hot key set to `key` through the console's Preferences commands.
bool SetHotKey(Child& program, int port, const std::string& key, milliseconds timeout);
// Quits `program` through its console; it must end with status 0.
void QuitsCleanly(Child& program, milliseconds timeout);

// What holds the program's tray icon: trayer (XEmbed), Xfce's panel with its status tray
// (StatusNotifierItems, XEmbed icons through it too), or nothing.
enum class TrayHost { kTrayer, kXfcePanel, kNone };

struct SessionSetup {
  TrayHost tray = TrayHost::kTrayer;
  // Added to the bus's environment (so to the services it starts) and to the programs'.
  std::vector<std::string> environment;
  // Programs a setup needs besides Xvfb and dbus-daemon.
  std::vector<std::string> tools;
  // A bus that starts no services (no portal, whatever is installed).
  bool noActivation = false;
};

class DesktopSession {
 public:
  // Starts the display, the bus and the tray, with HOME and the XDG folders in a fresh folder.
  // `Why` names a program that is not installed, or says what failed when one did not start.
  explicit DesktopSession(const SessionSetup& setup = {});
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;
  bool Ready() const { return why_.empty(); }
  const std::string& Why() const { return why_; }

  // DISPLAY=... and DBUS_SESSION_BUS_ADDRESS=..., for the programs started on it.
  const std::vector<std::string>& Environment() const { return environment_; }
  const std::string& Display() const { return display_; }

  // xdotool with these arguments on this display; its output.
  std::string Xdotool(const std::vector<std::string>& arguments) const;

 private:
  void StartTray(TrayHost tray);

  // Ended in the reverse order: the tray, the bus, the display, then the folder goes.
  ScratchFolder home_{"tallowmere-session-"};
  Child xvfb_;
  Child bus_;
  Child tray_;
  std::string display_;
  std::vector<std::string> environment_;
  std::string why_;
};

struct Picture;
// What X window `window` of `display` shows; an empty picture when it cannot be read.
Picture WindowPicture(const std::string& display, unsigned long window);

// Polls `condition` every few hundredths of a second until it holds or `timeout` passes.
bool Eventually(const std::function<bool()>& condition, milliseconds timeout);

}  // namespace desktop_test
