// tallowmere-sim on today's desktops, each made of Debian's own components on a private bus:
// - KDE's global shortcuts: xdg-desktop-portal with KDE's back end and kglobalaccel (on Xvfb; the
//   program on it as on XWayland in a Wayland session); each shortcut is fired through
//   kglobalaccel's own interface, as a key press on a Plasma desktop would fire it;
// - a Wayland session whose desktop has no global shortcuts, with XWayland (a bus that starts no
//   portal);
// - Xfce's panel hosting the StatusNotifierItem under Xvfb;
// - sway on its headless back end with no X server: the program on GDK's Wayland back end, its
//   item in swaybar, and no global shortcuts (wlroots has no portal for them).
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "tests/gtk/DesktopSession.h"
#include "tests/gtk/IconPixels.h"
#include "tests/gtk/WaylandSession.h"

namespace desktop_test {
namespace {

const milliseconds kPatience(15000);
// The polling timer shows a new port in the icon within a few seconds.
const milliseconds kPollPatience(20000);

// What the program says where the desktop offers no global shortcuts.
constexpr const char* kNoShortcuts =
    "tallowmere: this desktop offers no global shortcuts to programs; bind keys in its own "
    "settings to the command \"tallowmerectl switch N\" (N the port)";

bool SwitchShows(Child& program, const std::string& wanted) {
  return desktop_test::SwitchShows(program, wanted, kPatience);
}

// --- KDE's portal ---------------------------------------------------------------------------

constexpr const char* kPortal = "/usr/libexec/xdg-desktop-portal";
constexpr const char* kKdePortal = "/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde";

class KdePortal {
 public:
  explicit KdePortal(const DesktopSession& session) : session_(session) {}

  std::string Call(const std::string& path, const std::string& method,
                   const std::vector<std::string>& arguments, int* status = nullptr) const {
    std::vector<std::string> argv{
        "gdbus",         "call", "--session", "--dest", "org.kde.kglobalaccel",
        "--object-path", path,   "--method",  method};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::string output;
    const int result = RunTool(argv, session_.Environment(), &output);
    if (status != nullptr)
      *status = result;
    return output;
  }

  // The active kglobalaccel component that holds shortcut "pc1" (the program's), or "".
  std::string Component() const {
    const std::string all = Call("/kglobalaccel", "org.kde.KGlobalAccel.allComponents", {});
    const std::regex path("'(/component/[^']+)'");
    for (auto it = std::sregex_iterator(all.begin(), all.end(), path); it != std::sregex_iterator();
         ++it) {
      const std::string names = Call((*it)[1], "org.kde.kglobalaccel.Component.shortcutNames", {});
      const std::string active = Call((*it)[1], "org.kde.kglobalaccel.Component.isActive", {});
      if (names.find("'pc1'") != std::string::npos && active.find("true") != std::string::npos)
        return (*it)[1];
    }
    return {};
  }

  // The keys kglobalaccel holds for `shortcut` of `component`, as Qt's key numbers.
  std::string Keys(const std::string& component, const std::string& shortcut) const {
    const std::string unique = component.substr(component.rfind('/') + 1);
    return Call("/kglobalaccel", "org.kde.KGlobalAccel.shortcutKeys",
                {"['" + unique + "', '" + shortcut + "', '', '']"});
  }

  // Fires shortcut `name` as a key press would.
  bool Invoke(const std::string& component, const std::string& name) const {
    int status = -1;
    Call(component, "org.kde.kglobalaccel.Component.invokeShortcut", {name}, &status);
    return status == 0;
  }

 private:
  const DesktopSession& session_;
};

TEST(ModernDesktopTest, HotKeysComeThroughKdesGlobalShortcutsPortal) {
  ASSERT_EQ(access(kPortal, X_OK), 0) << kPortal << " is not installed (xdg-desktop-portal)";
  ASSERT_EQ(access(kKdePortal, X_OK), 0) << kKdePortal << " is not installed";
  // KDE's portal and kglobalaccel are Qt programs; Qt's offscreen platform has no global
  // shortcuts (kglobalaccel needs its xcb plugin), so they run on the Xvfb display too.
  DesktopSession session({TrayHost::kNone,
                          {"XDG_CURRENT_DESKTOP=KDE", "QT_QPA_PLATFORM=xcb"},
                          {"kglobalaccel5", "gdbus"}});
  ASSERT_TRUE(session.Ready()) << session.Why();
  const ScratchFolder work("tallowmere-kde-");
  std::vector<std::string> environment = session.Environment();
  // The program's session is a Wayland one (the display standing for XWayland).
  environment.emplace_back("XDG_SESSION_TYPE=wayland");
  Child program({TALLOWMERE_SIM}, environment, work.path(), true, true);

  const std::string bound =
      "tallowmere: the desktop holds the hot keys: PC 1 Ctrl+Alt+1, PC 2 Ctrl+Alt+2, "
      "PC 3 Ctrl+Alt+3, PC 4 Ctrl+Alt+4";
  ASSERT_TRUE(program.WaitForLine(bound, kPatience)) << program.Transcript();
  KdePortal portal(session);
  const std::string component = portal.Component();
  ASSERT_FALSE(component.empty()) << "kglobalaccel holds no shortcut pc1";
  for (const std::string port : {"2", "4", "3", "1"}) {
    ASSERT_TRUE(portal.Invoke(component, "pc" + port));
    EXPECT_TRUE(SwitchShows(program, "port=" + port)) << program.Transcript();
  }

  // PC 2's key becomes F6 in Preferences: the shortcuts are bound again in a new session. KDE
  // keeps the key it holds for a shortcut it knows (a person's own choice in its settings would
  // win the same way), and the program names the keys the desktop holds, not the stored ones.
  ASSERT_TRUE(SetHotKey(program, 2, "F6", kPatience));
  ASSERT_TRUE(program.WaitForLine(bound, kPatience)) << program.Transcript();
  const std::string rebound = portal.Component();
  ASSERT_FALSE(rebound.empty()) << "no active component after the new binding";
  // What kglobalaccel holds, in Qt's numbers: Control 0x04000000 + Alt 0x08000000 + the key.
  EXPECT_NE(portal.Keys(rebound, "pc1").find(std::to_string(0x0C000031)), std::string::npos);
  EXPECT_NE(portal.Keys(rebound, "pc2").find(std::to_string(0x0C000032)), std::string::npos);
  for (const std::string port : {"2", "4", "1"}) {
    ASSERT_TRUE(portal.Invoke(rebound, "pc" + port));
    EXPECT_TRUE(SwitchShows(program, "port=" + port)) << program.Transcript();
  }
  QuitsCleanly(program, kPatience);
}

// A Wayland session whose desktop offers no global shortcuts (no portal at all here), with
// XWayland: the one line, and the keys grabbed through XWayland still work while the program's
// windows have the keyboard (here, with no window manager, always).
TEST(ModernDesktopTest, WithoutGlobalShortcutsXWaylandGrabsAndTheUserIsTold) {
  DesktopSession session({TrayHost::kNone, {}, {}, true});
  ASSERT_TRUE(session.Ready()) << session.Why();
  const ScratchFolder work("tallowmere-xwayland-");
  std::vector<std::string> environment = session.Environment();
  environment.emplace_back("XDG_SESSION_TYPE=wayland");
  Child program({TALLOWMERE_SIM}, environment, work.path(), true, true);
  EXPECT_TRUE(program.WaitForLine(kNoShortcuts, kPatience)) << program.Transcript();
  session.Xdotool({"key", "ctrl+alt+3"});
  EXPECT_TRUE(SwitchShows(program, "port=3")) << program.Transcript();
  // The note under the hot keys makes the Preferences window taller (440 x 424 without it), not
  // wider.
  program.Send("menu Preferences");
  std::string geometry;
  EXPECT_TRUE(Eventually(
      [&] {
        const std::string found =
            session.Xdotool({"search", "--onlyvisible", "--name", "^Preferences$"});
        if (found.empty())
          return false;
        geometry = session.Xdotool({"getwindowgeometry", found.substr(0, found.find('\n'))});
        return geometry.find("Geometry: 440x") != std::string::npos;
      },
      kPatience))
      << geometry;
  const std::size_t height = geometry.find("Geometry: 440x");
  EXPECT_GT(std::stoi(geometry.substr(height + 14)), 424) << geometry;
  QuitsCleanly(program, kPatience);
}

// --- Xfce's panel: the StatusNotifierItem -------------------------------------------------------

class XfcePanel {
 public:
  explicit XfcePanel(const DesktopSession& session) : session_(session) {}

  // The panel's picture, from its window on the display; empty when not found.
  Picture Shot() {
    if (window_.empty()) {
      const std::string found =
          session_.Xdotool({"search", "--onlyvisible", "--class", "xfce4-panel"});
      window_ = found.substr(0, found.find('\n'));
    }
    return window_.empty() ? Picture{} : WindowPicture(session_.Display(), std::stoul(window_));
  }

  int Port() {
    const Picture shot = Shot();
    return shot.width == 0 ? -1 : LitSquare(shot);
  }
  // A click on the item, where its pixels are (the panel is white).
  void Click(int button) {
    const Picture shot = Shot();
    const Box item = NotBackground(shot, 0xFFFFFF, 0, 0, shot.width, shot.height);
    session_.Xdotool(
        {"mousemove", "--window", window_, std::to_string((item.left + item.right) / 2),
         std::to_string((item.top + item.bottom) / 2), "click", std::to_string(button)});
  }

 private:
  const DesktopSession& session_;
  std::string window_;
};

TEST(ModernDesktopTest, XfcesPanelHostsTheStatusNotifierItem) {
  DesktopSession session({TrayHost::kXfcePanel, {}, {}});
  ASSERT_TRUE(session.Ready()) << session.Why();
  const ScratchFolder work("tallowmere-xfce-");
  Child program({TALLOWMERE_SIM}, session.Environment(), work.path(), true, true);
  ASSERT_TRUE(program.WaitForLine("dock icon: velbrook1.icns", kPatience)) << program.Transcript();
  XfcePanel panel(session);
  EXPECT_TRUE(Eventually([&] { return panel.Port() == 1; }, kPatience)) << "no item in the panel";

  program.Send("hotkey 2");
  ASSERT_TRUE(program.WaitForLine("dock icon: velbrook2.icns", kPollPatience))
      << program.Transcript();
  EXPECT_TRUE(Eventually([&] { return panel.Port() == 2; }, kPatience));

  // Its menu: Preferences..., Switch to PC 1, Switch to PC 3, Switch to PC 4, Start Auto-Scan,
  // Quit Tallowmere. The keyboard walks it from the top.
  const auto choose = [&](int n) {
    panel.Click(3);
    std::this_thread::sleep_for(milliseconds(700));
    std::vector<std::string> keys{"key", "--delay", "60"};
    for (int i = 0; i < n; ++i)
      keys.emplace_back("Down");
    keys.emplace_back("Return");
    session.Xdotool(keys);
  };
  choose(3);
  EXPECT_TRUE(SwitchShows(program, "port=3")) << program.Transcript();
  // The next poll shows it in the icon.
  EXPECT_TRUE(Eventually([&] { return panel.Port() == 3; }, kPollPatience));
  choose(5);
  EXPECT_TRUE(SwitchShows(program, "autoscan=on")) << program.Transcript();

  // A click on the item is the application shown again: Preferences opens.
  panel.Click(1);
  EXPECT_TRUE(program.WaitForLine("window opened: \"Preferences\"", kPatience))
      << program.Transcript();
  QuitsCleanly(program, kPatience);
}

// --- sway, headless, no X server ----------------------------------------------------------------

TEST(ModernDesktopTest, UnderSwayTheDesktopRunsOnWaylandAndSaysHowToBindKeys) {
  WaylandSession session(TALLOWMERE_SIM);
  ASSERT_TRUE(session.Ready()) << session.Why();
  Child program = session.StartProgram();
  ASSERT_TRUE(program.WaitForLine("dock icon: velbrook1.icns", kPatience)) << program.Transcript();
  // The one line, on a desktop without global shortcuts and without X.
  EXPECT_TRUE(program.WaitForLine(kNoShortcuts, kPatience)) << program.Transcript();
  EXPECT_TRUE(Eventually([&] { return session.BarPort() == 1; }, kPatience))
      << "no item in swaybar";
  program.Send("hotkey 3");
  ASSERT_TRUE(program.WaitForLine("dock icon: velbrook3.icns", kPollPatience))
      << program.Transcript();
  EXPECT_TRUE(Eventually([&] { return session.BarPort() == 3; }, kPatience));

  // Preferences is a window of sway's own (a Wayland client, not an X one).
  program.Send("show");
  EXPECT_TRUE(Eventually([&] { return session.HasWindow("Preferences"); }, kPatience))
      << session.Tree();
  const std::string tree = session.Tree();
  EXPECT_NE(tree.find("\"app_id\": \"tallowmere-sim\""), std::string::npos) << tree;
  EXPECT_EQ(tree.find("\"shell\": \"xwayland\""), std::string::npos) << tree;
  QuitsCleanly(program, kPatience);
}

}  // namespace
}  // namespace desktop_test
