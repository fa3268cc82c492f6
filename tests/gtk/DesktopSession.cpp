#include "tests/gtk/DesktopSession.h"
#include "tests/gtk/IconPixels.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

extern char** environ;

namespace desktop_test {

using Clock = std::chrono::steady_clock;

ExecArguments::ExecArguments(const std::vector<std::string>& argv,
                             const std::vector<std::string>& added)
    : argv_(argv) {
  for (char** variable = environ; *variable != nullptr; ++variable)
    variables_.emplace_back(*variable);
  for (const std::string& variable : added) {
    const std::string name = variable.substr(0, variable.find('=') + 1);
    std::erase_if(variables_, [&](const std::string& known) { return known.starts_with(name); });
    variables_.push_back(variable);
  }
  for (std::string& arg : argv_)
    args_.push_back(arg.data());
  args_.push_back(nullptr);
  for (std::string& variable : variables_)
    env_.push_back(variable.data());
  env_.push_back(nullptr);
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             const std::string& directory, bool pipes, bool errorsToo) {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  if (pipes && (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0))
    return;
  const ExecArguments exec(argv, environment);

  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(pipes ? in[0] : null, STDIN_FILENO);
    dup2(pipes ? out[1] : null, STDOUT_FILENO);
    if (pipes && errorsToo)
      dup2(out[1], STDERR_FILENO);
    if (!directory.empty() && chdir(directory.c_str()) != 0)
      _exit(127);
    execvpe(exec.Argv()[0], exec.Argv(), exec.Envp());
    _exit(127);
  }
  if (pipes) {
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];
  }
}

Child::~Child() {
  End();
}

Child::Child(Child&& other) noexcept {
  *this = std::move(other);
}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    End();
    pid_ = std::exchange(other.pid_, -1);
    input_ = std::exchange(other.input_, -1);
    output_ = std::exchange(other.output_, -1);
    buffered_ = std::move(other.buffered_);
    transcript_ = std::move(other.transcript_);
  }
  return *this;
}

void Child::End() {
  if (input_ >= 0)
    close(std::exchange(input_, -1));
  if (pid_ > 0) {
    if (!Wait(milliseconds(0))) {
      kill(pid_, SIGTERM);
      if (!Wait(milliseconds(2000))) {
        kill(pid_, SIGKILL);
        Wait(milliseconds(2000));
      }
    }
    pid_ = -1;
  }
  if (output_ >= 0)
    close(std::exchange(output_, -1));
}

std::optional<int> Child::Wait(milliseconds timeout) {
  if (pid_ <= 0)
    return std::nullopt;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (Clock::now() >= deadline)
      return std::nullopt;
    std::this_thread::sleep_for(milliseconds(10));
  }
}

void Child::Send(const std::string& line) {
  const std::string text = line + "\n";
  if (input_ >= 0 && write(input_, text.data(), text.size()) < 0)
    close(std::exchange(input_, -1));
}

std::optional<std::string> Child::ReadLine(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const std::size_t end = buffered_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      transcript_ += line + "\n";
      return line;
    }
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    if (output_ < 0 || left <= 0)
      return std::nullopt;
    pollfd ready{output_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left)) <= 0)
      continue;
    char chunk[4096];
    const ssize_t count = read(output_, chunk, sizeof chunk);
    if (count <= 0) {
      close(std::exchange(output_, -1));
      continue;
    }
    buffered_.append(chunk, static_cast<std::size_t>(count));
  }
}

std::optional<std::string> Child::WaitForLine(const std::function<bool(const std::string&)>& wanted,
                                              milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (std::optional<std::string> line =
             ReadLine(std::chrono::duration_cast<milliseconds>(deadline - Clock::now()))) {
    if (wanted(*line))
      return line;
  }
  return std::nullopt;
}

bool Child::WaitForLine(const std::string& line, milliseconds timeout) {
  return WaitForLine([&](const std::string& text) { return text == line; }, timeout).has_value();
}

int RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            std::string* output, milliseconds timeout) {
  Child tool(argv, environment, "", true);
  std::string all;
  while (std::optional<std::string> line = tool.ReadLine(timeout))
    all += *line + "\n";
  if (output != nullptr)
    *output = all;
  return tool.Wait(timeout).value_or(-1);
}

std::string MissingTool(const std::vector<std::string>& tools) {
  for (const std::string& tool : tools) {
    if (RunTool({"sh", "-c", "command -v " + tool}, {}) != 0)
      return tool + " is not installed (scripts/install-deps.sh installs it)";
  }
  return "";
}

std::string StartBus(Child& bus, const std::vector<std::string>& options,
                     const std::vector<std::string>& environment,
                     const std::vector<std::string>& runAs) {
  std::vector<std::string> argv = runAs;
  for (const char* word : {"dbus-daemon", "--nofork", "--nopidfile", "--print-address"})
    argv.emplace_back(word);
  argv.insert(argv.end(), options.begin(), options.end());
  bus = Child(argv, environment, "", true);
  return bus.ReadLine(milliseconds(10000)).value_or("");
}

bool OnBus(const std::string& name, const std::vector<std::string>& environment,
           const std::vector<std::string>& runAs) {
  std::vector<std::string> argv = runAs;
  argv.insert(argv.end(),
              {"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
               "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name});
  std::string output;
  RunTool(argv, environment, &output);
  return output.find("boolean true") != std::string::npos;
}

std::string Ask(Child& program, const std::string& command, const std::string& prefix,
                milliseconds timeout) {
  program.Send(command);
  return program
      .WaitForLine([&](const std::string& line) { return line.starts_with(prefix); }, timeout)
      .value_or("");
}

bool AnswerBecomes(Child& program, const std::string& command, const std::string& prefix,
                   const std::string& wanted, milliseconds timeout) {
  return Eventually(
      [&] { return Ask(program, command, prefix, timeout).find(wanted) != std::string::npos; },
      timeout);
}

bool SwitchShows(Child& program, const std::string& wanted, milliseconds timeout) {
  return AnswerBecomes(program, "sim", "switch v", wanted, timeout);
}

bool SetHotKey(Child& program, int port, const std::string& key, milliseconds timeout) {
  program.Send("menu Preferences");
  program.Send("press HOTG:" + std::to_string(port + 1) + " " + key);
  program.Send("ok");
  return program.WaitForLine("window closed: \"Preferences\"", timeout);
}

void QuitsCleanly(Child& program, milliseconds timeout) {
  program.Send("quit");
  EXPECT_EQ(program.Wait(timeout), 0) << program.Transcript();
}

bool Eventually(const std::function<bool()>& condition, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (condition())
      return true;
    if (Clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(milliseconds(50));
  }
}

// A session bus as dbus-daemon's own session configuration makes it, less the folders of
// services it may start.
constexpr const char* kBusWithoutServices = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

DesktopSession::DesktopSession(const SessionSetup& setup) {
  std::vector<std::string> tools{"Xvfb", "dbus-daemon", "xdotool", "setxkbmap"};
  if (setup.tray == TrayHost::kTrayer)
    tools.emplace_back("trayer");
  if (setup.tray == TrayHost::kXfcePanel)
    tools.emplace_back("xfce4-panel");
  tools.insert(tools.end(), setup.tools.begin(), setup.tools.end());
  why_ = MissingTool(tools);
  if (!why_.empty())
    return;
  const std::string home = home_.path();
  if (home.empty()) {
    why_ = "no temporary folder";
    return;
  }
  std::vector<std::string> busEnvironment{"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                                          "XDG_DATA_HOME=" + home + "/.local/share",
                                          "XDG_CACHE_HOME=" + home + "/.cache",
                                          "XDG_RUNTIME_DIR=" + home + "/run"};
  std::filesystem::create_directories(home + "/run");
  std::filesystem::permissions(home + "/run", std::filesystem::perms::owner_all);
  busEnvironment.insert(busEnvironment.end(), setup.environment.begin(), setup.environment.end());

  // Xvfb tells its display number on its standard output.
  xvfb_ = Child(
      {"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
      {}, "", true);
  const std::string number = xvfb_.ReadLine(milliseconds(10000)).value_or("");
  if (number.empty()) {
    why_ = "Xvfb did not start";
    return;
  }
  display_ = ":" + number;
  busEnvironment.push_back("DISPLAY=" + display_);
  std::vector<std::string> busOptions{"--session"};
  if (setup.noActivation) {
    std::ofstream(home + "/bus.conf") << kBusWithoutServices;
    busOptions = {"--config-file=" + home + "/bus.conf"};
  }
  const std::string address = StartBus(bus_, busOptions, busEnvironment);
  if (address.empty()) {
    why_ = "dbus-daemon did not start";
    return;
  }
  environment_ = {"DISPLAY=" + display_, "DBUS_SESSION_BUS_ADDRESS=" + address,
                  "WAYLAND_DISPLAY=", "NO_AT_BRIDGE=1", "GTK_THEME=Adwaita"};
  environment_.insert(environment_.end(), busEnvironment.begin(), busEnvironment.end());
  // X servers switch virtual terminals on Control+Alt+F1..F12 (an action of the keymap), and
  // such a key then reaches no program; the tests use Control+Alt+F6 as a hot key.
  if (RunTool({"setxkbmap", "-option", "srvrkeys:none"}, environment_) != 0) {
    why_ = "setxkbmap failed";
    return;
  }
  StartTray(setup.tray);
}

void DesktopSession::StartTray(TrayHost tray) {
  if (tray == TrayHost::kXfcePanel) {
    const std::string channels = home_.path() / ".config/xfce4/xfconf/xfce-perchannel-xml";
    std::filesystem::create_directories(channels);
    std::filesystem::copy_file(TALLOWMERE_XFCE_PANEL_CONFIGURATION, channels + "/xfce4-panel.xml");
    tray_ = Child({"xfce4-panel", "--disable-wm-check"}, environment_, "", false);
    // Its status tray is up when it watches for StatusNotifierItems.
    if (!Eventually([&] { return OnBus("org.kde.StatusNotifierWatcher", environment_); },
                    milliseconds(15000)))
      why_ = "xfce4-panel's status tray did not start";
    return;
  }
  if (tray != TrayHost::kTrayer)
    return;
  tray_ = Child({"trayer", "--edge", "bottom", "--align", "right", "--height", "48", "--widthtype",
                 "request", "--SetDockType", "true"},
                environment_, "", false);
  // The tray is up when it owns the system tray selection of screen 0.
  ::Display* x = XOpenDisplay(display_.c_str());
  if (x == nullptr) {
    why_ = "cannot open " + display_;
    return;
  }
  const Atom selection = XInternAtom(x, "_NET_SYSTEM_TRAY_S0", False);
  if (!Eventually([&] { return XGetSelectionOwner(x, selection) != None; }, milliseconds(10000)))
    why_ = "trayer did not start";
  XCloseDisplay(x);
}

Picture WindowPicture(const std::string& display, unsigned long window) {
  ::Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr)
    return {};
  Picture picture;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(x, window, &attributes) != 0) {
    XImage* image = XGetImage(x, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image != nullptr) {
      picture.width = attributes.width;
      picture.height = attributes.height;
      for (int y = 0; y < attributes.height; ++y) {
        for (int x0 = 0; x0 < attributes.width; ++x0)
          picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x0, y) & 0xFFFFFF));
      }
      XDestroyImage(image);
    }
  }
  XCloseDisplay(x);
  return picture;
}

std::string DesktopSession::Xdotool(const std::vector<std::string>& arguments) const {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::string output;
  RunTool(argv, environment_, &output);
  return output;
}

}  // namespace desktop_test
