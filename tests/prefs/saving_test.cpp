#include <algorithm>

#include "platform/KeyCodes.h"
#include "tests/prefs/PreferencesFixture.h"

namespace {

class PreferencesSavingTest : public PreferencesTest {
 protected:
  static void Check(const ControlID& checkbox, bool checked) {
    if ((View(checkbox).value == 1) != checked)
      plat::ClickControl(Control(checkbox));
  }
  static void Choose(const ControlID& popup, const std::string& item) {
    const auto items = View(popup).popupItems;
    const auto at = std::find(items.begin(), items.end(), item) - items.begin() + 1;
    ASSERT_EQ(plat::ChoosePopupItem(Control(popup), static_cast<MenuItemIndex>(at)), noErr);
  }
  static Bytes Command(std::initializer_list<UInt8> bytes) {
    Bytes command(bytes);
    command.resize(8);
    return command;
  }
  // Opens the window on a switch that has carried out `commands`; nothing sent yet.
  void OpenOn(int generation, const std::vector<Bytes>& commands = {}) {
    Plug({.generation = generation}, commands);
    Open();
    Sent();
  }
  const std::filesystem::path file = cwd.path() / "HOTKEY.CFG";
};

TEST_F(PreferencesSavingTest, OKSendsEveryChangedSettingInItsFixedOrder) {
  OpenOn(2);
  Choose(kUniversalHotKeyID, "Esc");
  Choose(kAutoScanPeriodID, "20");
  Check(kFixHUBPortIDs[1], true);
  Choose(kHUBPortNumberIDs[1], "4");
  Check(kFixHUBPortIDs[0], true);
  Choose(kHUBPortNumberIDs[0], "2");
  Check(kFixAudioPortID, true);
  Choose(kAudioPortNumberID, "3");
  Check(kBuzzerID, false);
  plat::TypeKey(kVK_F6);  // the first field's new key
  Press("OK");
  EXPECT_EQ(Sent(), (std::vector<Bytes>{
                        Command({4, 0x86, 0}), Command({4, 0x85}), Command({4, 0x8C, 2}),
                        Command({4, 0x8E}), Command({4, 0x8A, 1}), Command({4, 0x90}),
                        Command({4, 0x8B, 3}), Command({4, 0x87, 20}), Command({4, 0x91, 0x29})}));
  EXPECT_FALSE(plat::DescribeWindow(Window())->visible);
  const Bytes stored = WorkingDirectory::Read(file);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 7), (Bytes{0x61, 0, 0, 0, 'F', '6', 0}));
  EXPECT_EQ(plat::RegisteredHotKeys().at(0).keyCode, 0x61u);
}

TEST_F(PreferencesSavingTest, AMovedFixedPortIsUnboundAndFixedAndUncheckingBindsOnce) {
  OpenOn(2, {Command({4, 0x85}), Command({4, 0x8C, 1})});  // the audio is fixed to port "2"
  Choose(kAudioPortNumberID, "3");
  Press("OK");
  EXPECT_EQ(Sent(), (std::vector<Bytes>{Command({4, 0x85}), Command({4, 0x8C, 2})}));
  Open();
  Sent();
  Choose(kAudioPortNumberID, "1");
  Check(kFixAudioPortID, false);
  Press("OK");
  EXPECT_EQ(Sent(), std::vector<Bytes>{Command({4, 0x84})});
  EXPECT_EQ(KVMSwitch.info.audioPort, 0);
}

TEST_F(PreferencesSavingTest, UncheckingAHubFixBindsThatHub) {
  OpenOn(2, {Command({4, 0x8A, 1}), Command({4, 0x8B, 2})});
  for (int hub : {1, 0}) {
    Check(kFixHUBPortIDs[hub], false);
    Press("OK");
    EXPECT_EQ(Sent(), std::vector<Bytes>{Command({4, static_cast<UInt8>(0x8D + 2 * hub)})});
    EXPECT_FALSE(link->simulated->HubFixed(hub));
    Open();
  }
}

// The trigger keys as the switch knows them: USB usages of the keyboard page.
TEST_F(PreferencesSavingTest, EachTriggerKeyIsSentAsItsUsage) {
  OpenOn(2);
  const std::pair<std::string, UInt8> keys[] = {
      {"Num Lock", 0x53}, {"Caps Lock", 0x39}, {"F12", 0x45}, {"Esc", 0x29}, {"Scroll Lock", 0x47}};
  for (const auto& [name, usage] : keys) {
    Choose(kUniversalHotKeyID, name);
    Press("OK");
    EXPECT_EQ(link->simulated->TriggerKey(), usage) << name;
    Open();
  }
}

// Without a switch, or with one removed while the window is open, OK stores and registers the
// hot keys and sends nothing.
TEST_F(PreferencesSavingTest, OKWithoutASwitchStoresOnlyTheHotKeys) {
  Open();
  TypeInto(0, kVK_F6);
  Press("OK");
  EXPECT_EQ(WorkingDirectory::Read(file).at(0), 0x61);
  EXPECT_EQ(plat::RegisteredHotKeys().at(0).keyCode, 0x61u);
  OpenOn(2);
  Check(kBuzzerID, false);
  KVMSwitch.info.deviceState = 0;
  Press("OK");
  EXPECT_TRUE(Sent().empty());
}

// The window answers OK and Cancel itself; a command it does not know goes on to the
// application (none here) and leaves the window open.
TEST_F(PreferencesSavingTest, CommandsNotTheWindowsArePassedOn) {
  for (const auto& [id, answer] :
       {std::pair{"SPC2", eventNotHandledErr}, {"ok  ", noErr}, {"not!", noErr}}) {
    OpenOn(2);
    HICommand command{};
    command.commandID = FourCCFromText(id);
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    EXPECT_EQ(SendEventToEventTarget(event, GetWindowEventTarget(Window())), answer) << id;
    ReleaseEvent(event);
    EXPECT_EQ(plat::DescribeWindow(Window())->visible, answer != noErr) << id;
  }
}

TEST_F(PreferencesSavingTest, TheUSBLinksPeriodsStartAtTwoUnits) {
  OpenOn(1, {Command({6, 6})});  // 30 seconds
  Choose(kAutoScanPeriodID, "10");
  Press("OK");
  EXPECT_EQ(Sent(), std::vector<Bytes>{Command({6, 2})});
}

TEST_F(PreferencesSavingTest, CancelAppliesNothingAndOKWithNothingChangedSendsNothing) {
  OpenOn(2);
  Check(kBuzzerID, false);
  Check(kFixAudioPortID, true);
  Choose(kAutoScanPeriodID, "60");
  plat::TypeKey(kVK_F6);
  Press("Cancel");
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(std::filesystem::exists(file));
  Open();  // the switch's status again
  EXPECT_EQ(View(kBuzzerID).value, 1);
  EXPECT_EQ(Selected(kAutoScanPeriodID), "10");
  EXPECT_EQ(View(kHotKeyIDs[0]).text, "1");
  Press("OK");
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(WorkingDirectory::Read(file), WorkingDirectory::DefaultFile());
  EXPECT_EQ(plat::RegisteredHotKeys().size(), 4u);
}

}  // namespace
