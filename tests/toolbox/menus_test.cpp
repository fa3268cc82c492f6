#include "platform/Menus.h"
#include "platform/FrontModel.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace toolbox_test {
namespace {

using MenusTest = ToolboxTest;

MenuRef MenuWith(std::initializer_list<std::pair<const char*, const char*>> items) {
  MenuRef menu = nullptr;
  CreateNewMenu(0, 0, &menu);
  for (const auto& [text, command] : items) {
    AppendMenuItemTextWithCFString(menu, CFSTR(text), 0, FourCCFromText(command), nullptr);
  }
  return menu;
}

TEST_F(MenusTest, ItemsAreFoundByCommandMarkedHiddenRenamedAndReplaced) {
  const MenuRef menu = MenuWith({{"One", "SPC1"}, {"Two", "SPC2"}, {"Again", "SPC1"}});
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  EXPECT_EQ(GetIndMenuItemWithCommandID(menu, FourCC("SPC1"), 2, &found, &index), noErr);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(found, menu);
  EXPECT_EQ(GetIndMenuItemWithCommandID(menu, FourCC("Auto"), 1, &found, &index),
            menuItemNotFoundErr);

  SetItemMark(menu, 2, checkMark);
  EXPECT_EQ(ChangeMenuItemAttributes(menu, 2, 0x21, 0), noErr);
  EXPECT_EQ(ChangeMenuItemAttributes(menu, 9, 0x21, 0), menuItemNotFoundErr);
  const auto view = plat::DescribeMenu(menu);
  EXPECT_EQ(view->items[1].mark, checkMark);
  EXPECT_TRUE(view->items[1].hidden);
  EXPECT_FALSE(view->items[1].enabled);
  ChangeMenuItemAttributes(menu, 2, 0, 0x21);
  EXPECT_TRUE(IsMenuItemEnabled(menu, 2));

  SetMenuItemTextWithCFString(menu, 1, CFSTR("Renamed"));
  EXPECT_EQ(plat::DescribeMenu(menu)->items[0].text, "Renamed");
  EXPECT_EQ(DeleteMenuItems(menu, 1, CountMenuItems(menu)), noErr);
  EXPECT_EQ(CountMenuItems(menu), 0);
  ReleaseMenu(menu);
}

TEST_F(MenusTest, TheDockMenuHoldsItsOwnReference) {
  const int menus = plat::LiveMenus();
  const MenuRef dock = MenuWith({{"Port 1", "SPC1"}, {"Start Auto-Scan", "Auto"}});
  EXPECT_EQ(SetApplicationDockTileMenu(dock), noErr);
  ReleaseMenu(dock);
  EXPECT_EQ(plat::LiveMenus(), menus + 1);
  EXPECT_EQ(GetApplicationDockTileMenu(), dock);

  // (Its populate event, which the application answers by changing it, is in the application's
  // Dock menu tests.)
  SetApplicationDockTileMenu(nullptr);
  EXPECT_EQ(plat::LiveMenus(), menus);
  EXPECT_FALSE(plat::OpenDockMenu().has_value());
}

TEST_F(MenusTest, ChoosingAnItemSendsItsCommandThroughTheActiveWindowToTheApplication) {
  const MenuRef dock = MenuWith({{"Port 2", "SPC2"}, {"Off", "SPC3"}});
  const MenuRef bar = MenuWith({{"Preferences", "pref"}});
  SetApplicationDockTileMenu(dock);
  WindowRef window = nullptr;
  const Rect bounds{40, 40, 80, 80};
  CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window);
  ShowWindow(window);
  Log(GetWindowEventTarget(window), kEventClassCommand, kEventCommandProcess, "window");
  On(GetApplicationEventTarget(), kEventClassCommand, kEventCommandProcess,
     [&](EventHandlerCallRef, EventRef event) {
       const HICommandExtended command = CommandOf(event);
       EXPECT_EQ(command.attributes, kHICommandFromMenu);
       log.push_back(
           "application " + std::to_string(command.source.menu.menuItemIndex) +
           (command.source.menu.menuRef == dock ? " of the Dock menu" : " of the menu bar"));
       return noErr;
     });
  DisableMenuCommand(dock, FourCC("SPC3"));
  EXPECT_EQ(plat::ChooseMenuItem(dock, 1), noErr);
  EXPECT_EQ(plat::ChooseMenuItem(dock, 2), eventNotHandledErr);
  EXPECT_EQ(plat::ChooseMenuItem(bar, 1), noErr);
  EXPECT_EQ(log, (std::vector<std::string>{"application 1 of the Dock menu", "window",
                                           "application 1 of the menu bar"}));
  ReleaseMenu(dock);
  ReleaseMenu(bar);
}

TEST_F(MenusTest, ObserversHearOfChangesUntilRemoved) {
  std::vector<plat::ModelChange::What> heard;
  const plat::ObserverId observer = plat::AddModelObserver(
      [&heard](const plat::ModelChange& change) { heard.push_back(change.what); });
  const MenuRef menu = MenuWith({{"One", "SPC1"}});
  SetApplicationDockTileMenu(menu);
  plat::RemoveModelObserver(observer);
  SetItemMark(menu, 1, checkMark);
  EXPECT_EQ(heard, (std::vector<plat::ModelChange::What>{plat::ModelChange::kMenu,
                                                         plat::ModelChange::kDockMenu}));
  ReleaseMenu(menu);
}

}  // namespace
}  // namespace toolbox_test
