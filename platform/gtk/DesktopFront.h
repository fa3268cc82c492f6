// The desktop as the program's front: GTK windows for the program's windows, a tray icon for its
// Dock tile and Dock menu (a StatusNotifierItem or an XEmbed icon), global hot keys (the desktop's
// global shortcuts portal or X11 grabs), logind for its session events, and one instance per
// login session. Everything runs on the main thread, GLib's main context served
// from the platform's run loop; on the simulated platform the clock follows the wall clock.
//
// When standard input is a pipe or a file, it also reads the console's commands from it and
// prints what the console prints (tests drive and watch the program so); the end of that input
// does not end the program.
#pragma once

#include <memory>

#include "platform/FrontModel.h"

namespace plat::console {
class Console;
class InputReader;
class WallClockFollower;
}  // namespace plat::console

namespace plat::gtk {

class GLibLoop;
class DesktopWindows;
class Tray;
class HotKeyPath;
class SessionWatch;
class SingleInstance;

class DesktopFront final : public Front {
 public:
  DesktopFront();
  ~DesktopFront() override;

  // Whether a desktop can be shown: a display is named (X11 or Wayland) and GTK can open it.
  // Opens it for the front; asked once, before the first Start.
  static bool OpenDisplay();

  void Start() override;
  void Stop() override;

  // The running front, if any (screenshots, tests).
  static DesktopFront* Running();
  DesktopWindows* Windows() const { return windows_.get(); }
  gtk::Tray* Tray() const { return tray_.get(); }

 private:
  void ReadCommandsFromInput();

  std::unique_ptr<GLibLoop> loop_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<console::Console> console_;
  std::unique_ptr<console::InputReader> reader_;
  std::unique_ptr<console::WallClockFollower> follower_;
  std::unique_ptr<DesktopWindows> windows_;
  std::unique_ptr<gtk::Tray> tray_;
  std::unique_ptr<HotKeyPath> hotKeys_;
  std::unique_ptr<SessionWatch> session_;
};

}  // namespace plat::gtk
