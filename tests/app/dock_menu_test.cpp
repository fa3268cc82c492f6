#include <cstdlib>
#include <optional>
#include <string>

#include "platform/FrontModel.h"
#include "platform/Menus.h"
#include "platform/sim/Bench.h"
#include "tests/app/ApplicationFixture.h"

namespace {

using DockMenuTest = ApplicationTest;

// Ports 1 to 4 as the opened Dock menu shows them: "-" hidden, "+" shown, "v" checked and hidden.
std::string PortItems(const plat::MenuView& menu) {
  std::string items;
  for (MenuItemIndex index = 3; index <= 6; ++index) {
    const plat::MenuItemView& item = menu.items.at(index - 1u);
    EXPECT_EQ(item.hidden, !item.enabled);
    items += item.mark == checkMark ? (item.hidden ? "v" : "?") : (item.hidden ? "-" : "+");
  }
  return items;
}

std::string AutoScanItem(const plat::MenuView& menu) {
  return menu.items.back().hidden ? "(hidden)" : menu.items.back().text;
}

TEST_F(DockMenuTest, TheOtherPortsTheSwitchOffersAreShownEachTimeItOpens) {
  RunProgram([&] {
    // No switch since start: every port item hidden.
    std::optional<plat::MenuView> menu = plat::OpenDockMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(PortItems(*menu), "----");
    EXPECT_EQ(AutoScanItem(*menu), "Start Auto-Scan");

    const auto simulated = Plug();
    plat::RunLoop::Main().RunPending();
    simulated->PressButton(1);
    menu = plat::OpenDockMenu();
    EXPECT_EQ(PortItems(*menu), "+v++");
    simulated->SetPortAvailable(3, false);
    EXPECT_EQ(PortItems(*plat::OpenDockMenu()), "+v+-");
    simulated->PressButton(0);  // the check mark moves with the port
    EXPECT_EQ(PortItems(*plat::OpenDockMenu()), "v++-");

    // The Dock menu's populate event is the application's; another menu is left as it is.
    EXPECT_EQ(plat::OpenMenu(plat::DockMenu()->ref), noErr);
    const plat::MenuView bar = plat::MenuBarMenus().at(0);
    EXPECT_EQ(plat::OpenMenu(bar.ref), noErr);
    EXPECT_EQ(plat::DescribeMenu(bar.ref)->items.size(), bar.items.size());
  });
}

// Without an auto-scan item the ports are still brought up to date, and nothing else is touched
// (the item's place is not guessed).
TEST_F(DockMenuTest, ADockMenuWithoutAnAutoScanItemStillShowsThePorts) {
  Plug();
  RunProgram([&] {
    MenuRef menu = nullptr;
    CreateNewMenu(0, 0, &menu);
    for (const char* command : {"pref", "SPC0", "SPC1", "SPC2", "SPC3", "SPC4", "none"}) {
      AppendMenuItemTextWithCFString(menu, CFSTR("item"), kMenuItemAttrHidden,
                                     FourCCFromText(command), nullptr);
    }
    SetApplicationDockTileMenu(menu);
    ReleaseMenu(menu);
    const plat::MenuView shown = *plat::OpenDockMenu();
    EXPECT_EQ(PortItems(shown), "v+++");
    EXPECT_TRUE(shown.items.back().hidden);
    EXPECT_EQ(shown.items.back().text, "item");
  });
}

// After a four-port switch on port 4, a two-port one: the items it lacks lose their mark too.
TEST_F(DockMenuTest, ATwoPortSwitchShowsOnlyItsOtherPort) {
  const auto four = Plug();
  four->PressButton(3);
  RunProgram([&] {
    EXPECT_EQ(PortItems(*plat::OpenDockMenu()), "+++v");
    plat::sim::Bench::Shared().Unplug(four);
    Plug(2, 2);
    plat::RunLoop::Main().RunPending();
    EXPECT_EQ(PortItems(*plat::OpenDockMenu()), "v+--");
  });
}

TEST_F(DockMenuTest, TheAutoScanItemFollowsTheSwitchInTheUsersLanguage) {
  const char* language = std::getenv("LANGUAGE");
  const std::string saved = language == nullptr ? "" : language;
  setenv("LANGUAGE", "de", 1);
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  Plug();
  RunProgram([&] {
    EXPECT_EQ(AutoScanItem(*plat::OpenDockMenu()), "Auto-Scan starten");
    const plat::MenuView menu = *plat::DockMenu();
    plat::ChooseMenuItem(menu.ref, static_cast<MenuItemIndex>(menu.items.size()));
    EXPECT_EQ(info.autoScanOn, 1);
    EXPECT_EQ(AutoScanItem(*plat::OpenDockMenu()), "Auto-Scan beenden");
    unsetenv("LC_ALL");
    setenv("LANGUAGE", "", 1);
    setenv("LANG", "C", 1);
    EXPECT_EQ(AutoScanItem(*plat::OpenDockMenu()), "Stop Auto-Scan");
  });
  setenv("LANGUAGE", saved.c_str(), 1);
  unsetenv("LANG");
}

}  // namespace
