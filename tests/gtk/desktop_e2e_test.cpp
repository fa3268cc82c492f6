// tallowmere-sim on a desktop (Xvfb, a session bus, trayer): global hot keys pressed through
// xdotool, the tray icon's image and menu, the Preferences window used with the mouse and the
// keyboard, and a second start. The program's console commands on its standard input (`sim`,
// `window`) tell what it made of what was done on the desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "tests/gtk/DesktopSession.h"
#include "tests/gtk/IconPixels.h"

// Last: Xlib's macros (None, Status) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace desktop_test {
namespace {

const milliseconds kPatience(8000);

// The polling timer shows a new port in the icon within a few seconds.
const milliseconds kPollPatience(15000);

struct Point {
  int x;
  int y;
};

// Where a control of the Preferences window lies in the window, from its description in the nib
// (a group's controls are placed relative to the group).
class PreferencesLayout {
 public:
  PreferencesLayout() {
    std::ifstream file(TALLOWMERE_MAIN_NIB);
    const nlohmann::json nib = nlohmann::json::parse(file);
    Collect(nib["windows"]["Preferences"]["controls"], 0, 0);
  }
  // A point of the control with `key` ("OPTG:11", or a button's title), halfway down: its middle,
  // a checkbox's box (its left end), or the menu of a captioned popup (near its right end).
  enum class Part { kMiddle, kBox, kMenu };
  Point At(const std::string& key, Part part = Part::kMiddle) const {
    const auto& frame = frames_.at(key);
    const int x = part == Part::kBox ? 8 : part == Part::kMenu ? frame[2] - 30 : frame[2] / 2;
    return {frame[0] + x, frame[1] + frame[3] / 2};
  }

 private:
  void Collect(const nlohmann::json& controls, int x, int y) {
    for (const nlohmann::json& control : controls) {
      const std::vector<int> f = control["frame"].get<std::vector<int>>();
      const std::vector<int> frame{x + f[0], y + f[1], f[2], f[3]};
      if (control.contains("signature"))
        frames_[control["signature"].get<std::string>() + ":" +
                std::to_string(control["id"].get<int>())] = frame;
      else if (control.contains("title"))
        frames_[control["title"].get<std::string>()] = frame;
      if (control.contains("children"))
        Collect(control["children"], frame[0], frame[1]);
    }
  }
  std::map<std::string, std::vector<int>> frames_;
};

// Control + Alt + a key grabbed by another X client (the test), with Caps Lock and Num Lock as
// the program grabs it.
class HeldKey {
 public:
  HeldKey(const std::string& display, const std::string& key) : x_(XOpenDisplay(display.c_str())) {
    if (x_ == nullptr)
      return;
    keyCode_ = XKeysymToKeycode(x_, XStringToKeysym(key.c_str()));
    failed = false;
    XErrorHandler previous = XSetErrorHandler(&HeldKey::Refused);
    for (unsigned lock :
         {0u, unsigned{LockMask}, unsigned{Mod2Mask}, unsigned{LockMask | Mod2Mask}}) {
      XGrabKey(x_, keyCode_, ControlMask | Mod1Mask | lock, DefaultRootWindow(x_), False,
               GrabModeAsync, GrabModeAsync);
    }
    XSync(x_, False);
    XSetErrorHandler(previous);
    held_ = !failed;
  }
  ~HeldKey() {
    if (x_ != nullptr)
      XCloseDisplay(x_);
  }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

  bool Held() const { return held_; }
  // Whether the key has come to us.
  bool Pressed() {
    return Eventually(
        [&] {
          while (XPending(x_) > 0) {
            XEvent event;
            XNextEvent(x_, &event);
            if (event.type == KeyPress && event.xkey.keycode == keyCode_)
              return true;
          }
          return false;
        },
        kPatience);
  }

 private:
  static int Refused(::Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess)
      failed = true;
    return 0;
  }
  inline static bool failed = false;
  ::Display* x_;
  unsigned keyCode_ = 0;
  bool held_ = false;
};

class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { session_ = new DesktopSession; }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(session_->Ready()) << "no desktop for the end-to-end tests: " << session_->Why();
    program_ = Start();
    // Up with its switch and icon, its tray icon embedded.
    ASSERT_TRUE(program_.WaitForLine("dock icon: velbrook1.icns", kPatience))
        << program_.Transcript();
    ASSERT_TRUE(Eventually([&] { return TrayIcon() != 0; }, kPatience)) << "no tray icon";
  }

  void TearDown() override {
    if (!session_->Ready())
      return;
    QuitsCleanly(program_, kPatience);
  }

  Child Start() const {
    return Child({TALLOWMERE_SIM}, session_->Environment(), work_.path(), true);
  }

  // The first window whose name is exactly `name` that is shown, or 0.
  unsigned long FindWindow(const std::string& name) const {
    const std::string found =
        session_->Xdotool({"search", "--onlyvisible", "--name", "^" + name + "$"});
    return found.empty() ? 0 : std::stoul(found);
  }
  unsigned long TrayIcon() const { return FindWindow("Tallowmere"); }

  void ClickIn(unsigned long window, Point point, int button = 1) const {
    session_->Xdotool({"mousemove", "--window", std::to_string(window), std::to_string(point.x),
                       std::to_string(point.y), "click", std::to_string(button)});
  }
  void Keys(const std::vector<std::string>& keys) const {
    std::vector<std::string> arguments{"key", "--delay", "30"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    session_->Xdotool(arguments);
  }

  bool SwitchShows(const std::string& wanted) {
    return desktop_test::SwitchShows(program_, wanted, kPatience);
  }
  bool ControlShows(const std::string& id, const std::string& wanted) {
    return AnswerBecomes(program_, "window", "  " + id + " ", wanted, kPatience);
  }
  void WaitForIcon(const std::string& file) {
    ASSERT_TRUE(program_.WaitForLine("dock icon: " + file, kPollPatience)) << program_.Transcript();
  }

  // The port the tray icon shows: the icons light one of four squares along their bottom edge
  // green. 0 when no square is lit.
  int TrayIconPort() const {
    const unsigned long icon = TrayIcon();
    return icon == 0 ? 0 : LitSquare(WindowPicture(session_->Display(), icon));
  }

  // How many of the program's windows are shown (its menus are windows of their own).
  std::size_t ShownWindows() const {
    const std::string found =
        session_->Xdotool({"search", "--onlyvisible", "--classname", "tallowmere-sim"});
    return static_cast<std::size_t>(std::count(found.begin(), found.end(), '\n'));
  }

  // Clicks `button` at `point` of `window`, which opens a menu, and waits until it is up (it
  // takes the keyboard then).
  void OpenMenuAt(unsigned long window, Point point, int button) const {
    const std::size_t before = ShownWindows();
    ClickIn(window, point, button);
    EXPECT_TRUE(Eventually([&] { return ShownWindows() > before; }, kPatience)) << "no menu";
  }

  // Opens the tray icon's menu and chooses its `n`th usable item with the keyboard.
  void ChooseTrayMenuItem(int n) const {
    OpenMenuAt(TrayIcon(), {10, 10}, 3);
    std::vector<std::string> keys(static_cast<std::size_t>(n), "Down");
    keys.push_back("Return");
    Keys(keys);
  }

  unsigned long OpenPreferences() {
    // A click on the tray icon is the application shown again: the Preferences window opens.
    ClickIn(TrayIcon(), {10, 10});
    EXPECT_TRUE(program_.WaitForLine("window opened: \"Preferences\"", kPatience))
        << program_.Transcript();
    unsigned long window = 0;
    EXPECT_TRUE(Eventually([&] { return (window = FindWindow("Preferences")) != 0; }, kPatience));
    return window;
  }

  static DesktopSession* session_;
  ScratchFolder work_{"tallowmere-desktop-"};
  Child program_;
  PreferencesLayout layout_;
};

DesktopSession* DesktopTest::session_ = nullptr;

TEST_F(DesktopTest, AHotKeySwitchesThePortAndTheTrayIconFollows) {
  EXPECT_EQ(TrayIconPort(), 1);
  Keys({"ctrl+alt+2"});
  EXPECT_TRUE(SwitchShows("port=2")) << program_.Transcript();
  WaitForIcon("velbrook2.icns");
  EXPECT_TRUE(Eventually([&] { return TrayIconPort() == 2; }, kPatience));
}

// The menu lists the ports to switch to (not the active one) and auto-scan, after the
// Preferences item: walking it with the keyboard reaches them in that order.
TEST_F(DesktopTest, TheTrayMenuListsTheOtherPortsAndAutoScan) {
  // Preferences..., Switch to PC 2, Switch to PC 3, Switch to PC 4, Start Auto-Scan.
  ChooseTrayMenuItem(3);
  EXPECT_TRUE(SwitchShows("port=3")) << program_.Transcript();
  WaitForIcon("velbrook3.icns");
  // Now PC 1 and PC 2 are offered, PC 2 where PC 3 was.
  ChooseTrayMenuItem(3);
  EXPECT_TRUE(SwitchShows("port=2"));
  WaitForIcon("velbrook2.icns");
  ChooseTrayMenuItem(5);
  EXPECT_TRUE(SwitchShows("autoscan=on")) << program_.Transcript();
}

TEST_F(DesktopTest, APreferencesEditSavedWithOkReachesTheSwitch) {
  const unsigned long window = OpenPreferences();
  ASSERT_NE(window, 0u);
  ClickIn(window, layout_.At("OPTG:11", PreferencesLayout::Part::kBox));
  EXPECT_TRUE(ControlShows("OPTG:11", "unchecked")) << program_.Transcript();
  // The auto-scan period's menu opens on its item "10"; the next one is "15".
  OpenMenuAt(window, layout_.At("OPTG:18", PreferencesLayout::Part::kMenu), 1);
  Keys({"Down", "Return"});
  EXPECT_TRUE(ControlShows("OPTG:18", "item 3 \"15\"")) << program_.Transcript();
  // Nothing is sent before OK: the switch still has its buzzer on, as it starts.
  EXPECT_TRUE(SwitchShows("buzzer=on"));
  ClickIn(window, layout_.At("OK"));
  EXPECT_TRUE(program_.WaitForLine("window closed: \"Preferences\"", kPatience));
  EXPECT_TRUE(SwitchShows("buzzer=off")) << program_.Transcript();
  EXPECT_TRUE(SwitchShows("every 15s")) << program_.Transcript();
}

TEST_F(DesktopTest, AKeyPressedInAHotKeyFieldBecomesThePortsHotKey) {
  Keys({"ctrl+alt+2"});
  ASSERT_TRUE(SwitchShows("port=2"));
  const unsigned long window = OpenPreferences();
  ASSERT_NE(window, 0u);
  // PC 1's field.
  ClickIn(window, layout_.At("HOTG:2"));
  Keys({"F6"});
  EXPECT_TRUE(ControlShows("HOTG:2", "field \"F6\"")) << program_.Transcript();
  ClickIn(window, layout_.At("OK"));
  ASSERT_TRUE(program_.WaitForLine("window closed: \"Preferences\"", kPatience));
  Keys({"ctrl+alt+F6"});
  EXPECT_TRUE(SwitchShows("port=1")) << program_.Transcript();
  // The old key is let go: another program can have it now.
  HeldKey other(session_->Display(), "1");
  EXPECT_TRUE(other.Held());
}

// A combination another program holds cannot be the program's: it says so, and its other hot
// keys work.
TEST_F(DesktopTest, AHotKeyHeldByAnotherProgramLeavesTheOthersWorking) {
  HeldKey early(session_->Display(), "3");
  EXPECT_FALSE(early.Held());  // the program has it
  // PC 3's hot key becomes F7: the program lets 3 go, and another program takes it.
  ASSERT_TRUE(SetHotKey(program_, 3, "F7", kPatience));
  HeldKey other(session_->Display(), "3");
  ASSERT_TRUE(other.Held());
  // Back to 3, which the program cannot have now.
  ASSERT_TRUE(SetHotKey(program_, 3, "3", kPatience));
  Keys({"ctrl+alt+3"});
  EXPECT_TRUE(other.Pressed());
  Keys({"ctrl+alt+4"});
  EXPECT_TRUE(SwitchShows("port=4")) << program_.Transcript();
}

TEST_F(DesktopTest, ASecondStartShowsTheRunningProgramAndEnds) {
  Child second = Start();
  EXPECT_EQ(second.Wait(kPatience), 0);
  EXPECT_TRUE(program_.WaitForLine("window opened: \"Preferences\"", kPatience))
      << program_.Transcript();
  EXPECT_TRUE(Eventually([&] { return FindWindow("Preferences") != 0; }, kPatience));
}

}  // namespace
}  // namespace desktop_test
