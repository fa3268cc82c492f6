#include "platform/console/Console.h"

#include <unistd.h>

#include <sstream>

#include "platform/console/Arguments.h"
#include "platform/console/InputReader.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace toolbox_test {
namespace {

using plat::console::Console;

// The program's menu bar and Dock menu from the bundle, and an application that records the
// commands it gets.
class ConsoleTest : public ToolboxTest {
 protected:
  ConsoleTest() {
    IBNibRef nib = nullptr;
    CreateNibReference(CFSTR("main"), &nib);
    SetMenuBarFromNib(nib, CFSTR("MenuBar"));
    DisposeNibReference(nib);
    CreateNibReference(CFSTR("USBMENUDOCK"), &nib);
    MenuRef dock = nullptr;
    CreateMenuFromNib(nib, CFSTR("DockMenu"), &dock);
    SetApplicationDockTileMenu(dock);
    ReleaseMenu(dock);
    DisposeNibReference(nib);
    On(GetApplicationEventTarget(), kEventClassCommand, kEventCommandProcess,
       [this](EventHandlerCallRef, EventRef event) {
         const UInt32 command = CommandOf(event).commandID;
         log.push_back(FourCCText(command));
         return command == kHICommandQuit ? eventNotHandledErr : noErr;
       });
  }

  // What the console prints for `lines`.
  std::string Run(std::initializer_list<const char*> lines) {
    out.str("");
    for (const char* line : lines)
      console.Execute(line);
    return out.str();
  }

  std::ostringstream out;
  Console console{[this](std::string_view text) { out << text; }};
};

TEST_F(ConsoleTest, TheDockMenuIsListedAsShownAndChosenByItsNumberInTheListing) {
  const MenuRef dock = GetApplicationDockTileMenu();
  ChangeMenuItemAttributes(dock, 3, kMenuItemAttrHidden | kMenuItemAttrDisabled, 0);
  SetItemMark(dock, 4, checkMark);
  EXPECT_EQ(Run({"dock"}),
            "Dock menu:\n"
            "   1   Preferences\u2026\n"
            "     ----\n"
            "   2 \u2713 Switch to PC 2\n"
            "   3   Switch to PC 3\n"
            "   4   Switch to PC 4\n"
            "     ----\n"
            "   5   Start Auto-Scan\n");
  EXPECT_EQ(Run({"dock 2", "dock 5"}), "");
  EXPECT_EQ(log, (std::vector<std::string>{"SPC2", "Auto"}));

  // Mistakes change nothing (more of them are in the mistakes transcript).
  EXPECT_EQ(Run({"dock 0"}), "dock: \"0\" is not an item number\n");
  ChangeMenuItemAttributes(dock, 5, kMenuItemAttrDisabled, 0);
  EXPECT_EQ(Run({"dock 3"}), "dock: item 3 is disabled\n");
  EXPECT_EQ(log.size(), 2u);
}

// The mistakes a person makes are shown in the mistakes transcript; here, what no person should
// be able to do with the console's output.
TEST_F(ConsoleTest, WhatIsTypedComesBackWithoutControlCharactersAndCut) {
  EXPECT_EQ(Run({"\x1b[2Jclear", std::string(70, 'x').c_str(), "wait 1e3", "wait nan"}),
            "unknown command \"?[2Jclear\" (help lists the commands)\n"
            "unknown command \"" +
                std::string(60, 'x') +
                "...\" (help lists the commands)\n"
                "wait: \"1e3\" is not a number of seconds (0 to 86400, decimals allowed)\n"
                "wait: \"nan\" is not a number of seconds (0 to 86400, decimals allowed)\n");
  EXPECT_EQ(plat::TheVirtualClock().Now(), 0);
  EXPECT_EQ(plat::console::ParseControlID("HOTG:0x2")->id, 2);
  EXPECT_FALSE(plat::console::ParseControlID("HOT:2"));
}

// Lines from a pipe, as from a file: each runs in turn, `wait` lets the program's timers run
// without reading ahead, and quit ends the reading.
TEST_F(ConsoleTest, InputIsReadLineByLineUntilQuit) {
  std::vector<double> ticks;
  plat::RunLoop::Main().AddTimer(plat::SecondsToNanos(1), plat::SecondsToNanos(1),
                                 [&] { ticks.push_back(plat::NanosToSeconds(plat::Now())); });
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string input =
      "menu preferences...\n# nothing\n\nwait 2.5\r\ndock 1\nmenu Prefer\nquit\ndock 1\n";
  ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(fds[1]);
  plat::console::InputReader reader(fds[0], console);
  reader.Start();
  RunApplicationEventLoop();
  close(fds[0]);
  EXPECT_EQ(ticks, (std::vector<double>{1, 2}));
  EXPECT_EQ(log, (std::vector<std::string>{"pref", "pref", "quit"}));
  // Nothing runs after quit.
  EXPECT_EQ(out.str(), "menu: the menu bar has no item \"Prefer\"\n");
}

}  // namespace
}  // namespace toolbox_test
