#include "tests/gtk/DesktopSession.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

extern char** environ;

namespace desktop_test {
namespace {

using Clock = std::chrono::steady_clock;

// Whether `program` is found on PATH.
bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path == nullptr ? "/usr/bin:/bin" : path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

// Reads one line a child wrote to `fd` (a display number, a bus address).
std::string ReadOneLine(int fd, milliseconds timeout) {
  std::string line;
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    if (poll(&ready, 1, static_cast<int>(std::max<long>(left, 0))) <= 0)
      break;
    char c = 0;
    if (read(fd, &c, 1) != 1)
      break;
    if (c == '\n')
      return line;
    line += c;
  }
  return line;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             const std::string& directory, bool pipes) {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  if (pipes && (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0))
    return;
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable)
    variables.emplace_back(*variable);
  for (const std::string& added : environment) {
    const std::string name = added.substr(0, added.find('=') + 1);
    std::erase_if(variables, [&](const std::string& known) { return known.starts_with(name); });
    variables.push_back(added);
  }
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& variable : variables)
    env.push_back(const_cast<char*>(variable.c_str()));
  env.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(pipes ? in[0] : null, STDIN_FILENO);
    dup2(pipes ? out[1] : null, STDOUT_FILENO);
    if (!directory.empty() && chdir(directory.c_str()) != 0)
      _exit(127);
    execvpe(args[0], args.data(), env.data());
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
  while (Clock::now() < deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    std::optional<std::string> line = ReadLine(left);
    if (!line)
      return std::nullopt;
    if (wanted(*line))
      return line;
  }
  return std::nullopt;
}

int RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            std::string* output, milliseconds timeout) {
  Child tool(argv, environment, "", true);
  if (!tool.Started())
    return -1;
  std::string all;
  while (std::optional<std::string> line = tool.ReadLine(timeout))
    all += *line + "\n";
  if (output != nullptr)
    *output = all;
  return tool.Wait(timeout).value_or(-1);
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

DesktopSession::DesktopSession() {
  for (const char* tool : {"Xvfb", "dbus-daemon", "trayer", "xdotool", "setxkbmap"}) {
    if (!OnPath(tool)) {
      missing_ = std::string(tool) + " is not installed (scripts/install-deps.sh installs it)";
      return;
    }
  }
  // Xvfb and dbus-daemon tell their display number and address on a descriptor of ours.
  int displayPipe[2];
  int busPipe[2];
  if (pipe(displayPipe) != 0 || pipe(busPipe) != 0) {
    why_ = "no pipes";
    return;
  }
  xvfb_ = Child({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0",
                 "1024x768x24", "-nolisten", "tcp", "-noreset"},
                {}, "", false);
  close(displayPipe[1]);
  const std::string number = ReadOneLine(displayPipe[0], milliseconds(10000));
  close(displayPipe[0]);
  if (number.empty()) {
    why_ = "Xvfb did not start";
    close(busPipe[0]);
    close(busPipe[1]);
    return;
  }
  display_ = ":" + number;
  bus_ = Child({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                "--print-address=" + std::to_string(busPipe[1])},
               {}, "", false);
  close(busPipe[1]);
  const std::string address = ReadOneLine(busPipe[0], milliseconds(10000));
  close(busPipe[0]);
  if (address.empty()) {
    why_ = "dbus-daemon did not start";
    return;
  }
  environment_ = {"DISPLAY=" + display_, "DBUS_SESSION_BUS_ADDRESS=" + address,
                  "WAYLAND_DISPLAY=", "NO_AT_BRIDGE=1", "GTK_THEME=Adwaita"};
  // X servers switch virtual terminals on Control+Alt+F1..F12 (an action of the keymap), and
  // such a key then reaches no program; the tests use Control+Alt+F6 as a hot key.
  if (RunTool({"setxkbmap", "-option", "srvrkeys:none"}, environment_) != 0) {
    why_ = "setxkbmap failed";
    return;
  }
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

std::string DesktopSession::Xdotool(const std::vector<std::string>& arguments, int* status) const {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::string output;
  const int result = RunTool(argv, environment_, &output);
  if (status != nullptr)
    *status = result;
  return output;
}

}  // namespace desktop_test
