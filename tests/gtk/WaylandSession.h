// A Wayland desktop with no X server for end-to-end tests: sway on wlroots' headless back end with
// swaybar (which hosts StatusNotifierItems), on a private session bus. sway will not run as root,
// so when the tests do, sway, the bus and the program run as the unprivileged user "nobody", the
// program copied with its bundle into a folder of the session (the build tree may be closed to
// others).
#pragma once

#include <string>
#include <vector>

#include "tests/gtk/DesktopSession.h"

namespace desktop_test {

class WaylandSession {
 public:
  // `program`: the executable to copy (its bundle is share/tallowmere beside its folder).
  explicit WaylandSession(const std::string& program);
  WaylandSession(const WaylandSession&) = delete;
  WaylandSession& operator=(const WaylandSession&) = delete;

  bool Ready() const { return why_.empty(); }
  const std::string& Why() const { return why_; }

  // The program on this desktop, its standard error with its output, commands on its input.
  Child StartProgram() const;
  // The port lit in swaybar's item (0 none lit, -1 no picture).
  int BarPort() const;
  // sway's window tree (swaymsg -t get_tree) and whether a window titled `title` is in it.
  std::string Tree() const;
  bool HasWindow(const std::string& title) const;

 private:
  std::vector<std::string> AsUser(std::vector<std::string> argv) const;
  std::string Swaymsg(const std::vector<std::string>& arguments) const;

  ScratchFolder folder_{"tallowmere-wayland-"};
  std::string program_;
  std::vector<std::string> environment_;
  bool dropPrivileges_ = false;
  // Ended in the reverse order: sway, then the bus.
  Child bus_;
  Child sway_;
  std::string why_;
};

}  // namespace desktop_test
