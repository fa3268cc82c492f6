#include "tests/gtk/WaylandSession.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/gtk/IconPixels.h"

namespace desktop_test {
namespace {

namespace fs = std::filesystem;

// The bar at the top, white and 48 pixels high, with its tray (and nothing else) at the right.
constexpr const char* kSwayConfiguration = R"(xwayland disable
output HEADLESS-1 resolution 1024x768 background #808080 solid_color
bar {
  position top
  height 48
  tray_output *
  tray_padding 4
  status_command true
  colors {
    background #ffffff
    statusline #ffffff
  }
}
)";

constexpr int kBarHeight = 48;
constexpr uid_t kNobody = 65534;

// Hands `path` and everything in it to the user the session runs as.
void HandOver(const fs::path& path, uid_t user, gid_t group) {
  if (chown(path.c_str(), user, group) != 0)
    return;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path))
    [[maybe_unused]] const int ignored = lchown(entry.path().c_str(), user, group);
}

}  // namespace

WaylandSession::WaylandSession(const std::string& program) {
  why_ = MissingTool({"sway", "swaybar", "swaymsg", "grim", "dbus-daemon", "setpriv"});
  if (!why_.empty())
    return;
  if (folder_.path().empty()) {
    why_ = "no temporary folder";
    return;
  }
  const fs::path& folder = folder_.path();
  for (const char* sub : {"bin", "run", "home", "work", "share"})
    fs::create_directories(folder / sub);
  const fs::path executable(program);
  program_ = (folder / "bin" / executable.filename()).string();
  fs::copy_file(executable, program_);
  fs::copy(executable.parent_path().parent_path() / "share" / "tallowmere",
           folder / "share" / "tallowmere", fs::copy_options::recursive);
  std::ofstream(folder / "sway.config") << kSwayConfiguration;
  fs::permissions(folder / "run", fs::perms::owner_all);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  dropPrivileges_ = geteuid() == 0;
  if (dropPrivileges_)
    HandOver(folder, kNobody, kNobody);

  environment_ = {"HOME=" + (folder / "home").string(),
                  "XDG_RUNTIME_DIR=" + (folder / "run").string(),
                  "XDG_CONFIG_HOME=" + (folder / "home").string(),
                  "DISPLAY=",
                  "WAYLAND_DISPLAY=",
                  "XDG_SESSION_TYPE=wayland",
                  "XDG_CURRENT_DESKTOP=sway",
                  "WLR_BACKENDS=headless",
                  "WLR_LIBINPUT_NO_DEVICES=1",
                  "WLR_RENDERER=pixman",
                  "NO_AT_BRIDGE=1",
                  "GTK_THEME=Adwaita"};
  const std::string address = StartBus(bus_, {"--session"}, environment_, AsUser({}));
  if (address.empty()) {
    why_ = "dbus-daemon did not start";
    return;
  }
  environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
  sway_ = Child(AsUser({"sway", "--config", (folder / "sway.config").string()}), environment_,
                folder_.path(), false);
  // sway is up when its Wayland socket is there, and swaybar's tray when the watcher is.
  if (!Eventually([&] { return fs::exists(folder / "run" / "wayland-1"); }, milliseconds(15000))) {
    why_ = "sway did not start";
    return;
  }
  environment_.emplace_back("WAYLAND_DISPLAY=wayland-1");
  if (!Eventually([&] { return OnBus("org.kde.StatusNotifierWatcher", environment_, AsUser({})); },
                  milliseconds(15000)))
    why_ = "swaybar's tray did not start";
}

std::vector<std::string> WaylandSession::AsUser(std::vector<std::string> argv) const {
  if (!dropPrivileges_)
    return argv;
  std::vector<std::string> wrapped{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                   "--"};
  wrapped.insert(wrapped.end(), argv.begin(), argv.end());
  return wrapped;
}

Child WaylandSession::StartProgram() const {
  return Child(AsUser({program_}), environment_, folder_.path() / "work", true, true);
}

std::string WaylandSession::Swaymsg(const std::vector<std::string>& arguments) const {
  // swaymsg finds sway through its socket in the runtime folder.
  std::string socket;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_.path() / "run")) {
    if (entry.path().filename().string().starts_with("sway-ipc."))
      socket = entry.path().string();
  }
  std::vector<std::string> argv{"swaymsg", "--socket", socket};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::string output;
  RunTool(AsUser(argv), environment_, &output);
  return output;
}

std::string WaylandSession::Tree() const {
  return Swaymsg({"-t", "get_tree"});
}

bool WaylandSession::HasWindow(const std::string& title) const {
  return Tree().find("\"name\": \"" + title + "\"") != std::string::npos;
}

int WaylandSession::BarPort() const {
  const std::string shot = folder_.path() / "work/shot.ppm";
  if (RunTool(AsUser({"grim", "-t", "ppm", shot}), environment_) != 0)
    return -1;
  const Picture picture = ReadPpm(shot);
  std::error_code ignored;
  fs::remove(shot, ignored);
  if (picture.height < kBarHeight)
    return -1;
  return LitSquare(picture, 0, 0, picture.width, kBarHeight);
}

}  // namespace desktop_test
