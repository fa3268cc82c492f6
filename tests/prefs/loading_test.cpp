#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/prefs/PreferencesFixture.h"

namespace {

using plat::sim::SwitchConfig;
using Items = std::vector<std::string>;

Items Numbers(int first, int last, int step = 1) {
  Items items;
  for (int n = first; n <= last; n += step)
    items.push_back(std::to_string(n));
  return items;
}

class EverySwitchTest : public PreferencesTest,
                        public ::testing::WithParamInterface<SwitchConfig> {};
using PreferencesLoadingTest = PreferencesTest;

TEST_P(EverySwitchTest, ShowsExactlyWhatTheSwitchOffers) {
  Plug(GetParam());
  const int ports = GetParam().ports;
  const bool hid = GetParam().generation == 2;
  Open();
  EXPECT_TRUE(View(kHotKeyGroupID).shown);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(View(kHotKeyIDs[i]).shown, i < ports) << i;
    EXPECT_EQ(View(kPCKeyIDs[i]).shown, i < ports) << i;
    EXPECT_EQ(View(kHotKeyIDs[i]).text, std::to_string(i + 1));
  }
  EXPECT_TRUE(View(kOptionGroupId).usable);
  EXPECT_EQ(View(kBuzzerID).value, 1);
  EXPECT_EQ(View(kAudioPortNumberID).popupItems, Numbers(1, ports));
  EXPECT_EQ(View(kAudioPortNumberID).maximum, ports);
  EXPECT_FALSE(View(kAudioPortNumberID).usable);  // the audio follows the active port
  EXPECT_EQ(View(kFixHUBPortIDs[1]).shown, hid);
  EXPECT_EQ(View(kHUBPortNumberIDs[1]).popupItems, Numbers(1, hid ? ports : 4));
  EXPECT_EQ(View(kAutoScanPeriodID).popupItems, hid ? Numbers(5, 100, 5) : Numbers(10, 60, 5));
  EXPECT_EQ(Selected(kAutoScanPeriodID), "10");               // the switch scans every 10 seconds
  EXPECT_EQ(View(kAutoScanPeriodID).maximum, hid ? 20 : 11);  // one value per item
  MenuRef periods = nullptr;
  GetControlData(Control(kAutoScanPeriodID), 0, kControlPopupButtonMenuHandleTag, sizeof periods,
                 &periods, nullptr);
  const auto menu = plat::DescribeMenu(periods);
  for (const plat::MenuItemView& item : menu->items)
    EXPECT_TRUE(item.enabled) << item.text;
  EXPECT_EQ(View(kUniversalHotKeyID).shown, hid);
}

INSTANTIATE_TEST_SUITE_P(Preferences, EverySwitchTest,
                         ::testing::Values(SwitchConfig{.generation = 1, .ports = 2},
                                           SwitchConfig{.generation = 1, .ports = 4},
                                           SwitchConfig{.generation = 2, .ports = 2},
                                           SwitchConfig{.generation = 2, .ports = 3},
                                           SwitchConfig{.generation = 2, .ports = 4}));

TEST_F(PreferencesLoadingTest, SettingsTheSwitchLacksOrCannotFixAreHiddenOrInactive) {
  plat::sim::Capabilities offers;
  offers.buzzer = offers.audioFixable = offers.hub[1] = false;
  Plug({.generation = 2, .capabilities = offers}, {{4, 0x91, 0x29}, {4, 0x87, 100}});  // Esc, 100 s
  Open();
  EXPECT_FALSE(View(kBuzzerID).shown);
  EXPECT_TRUE(View(kFixAudioPortID).shown);
  EXPECT_FALSE(View(kFixAudioPortID).active || View(kAudioPortNumberID).active);
  EXPECT_TRUE(View(kFixHUBPortIDs[0]).shown);
  EXPECT_FALSE(View(kFixHUBPortIDs[1]).shown || View(kHUBPortNumberIDs[1]).shown);
  EXPECT_EQ(Selected(kUniversalHotKeyID), "Esc");
  EXPECT_EQ(Selected(kAutoScanPeriodID), "100");
  pOurWindow->CloseDialog();
  KVMSwitch.info.universalHotKey = 0x04;  // a key outside the list selects nothing
  pOurWindow->InitSettings();
  EXPECT_EQ(View(kUniversalHotKeyID).value, 0);
  Sent();
  Press("OK");  // and nothing is sent for it
  EXPECT_TRUE(Sent().empty());
  Plug({.generation = 2});  // the next switch can fix its audio port
  Open();
  EXPECT_TRUE(View(kFixAudioPortID).usable);
}

TEST_F(PreferencesLoadingTest, TheBuzzerOffTheShortestPeriodAndNoAudioAreShown) {
  plat::sim::Capabilities offers;
  offers.audio = offers.universalHotKey = false;
  Plug({.generation = 2, .capabilities = offers}, {{4, 0x86, 0}, {4, 0x87, 5}});  // quiet, 5 s
  Open();
  EXPECT_EQ(View(kBuzzerID).value, 0);
  EXPECT_EQ(Selected(kAutoScanPeriodID), "5");
  EXPECT_FALSE(View(kFixAudioPortID).shown || View(kAudioPortNumberID).shown);
  EXPECT_FALSE(View(kUniversalHotKeyID).shown);
  Sent();
  Press("OK");  // nothing is sent for what the switch lacks
  EXPECT_TRUE(Sent().empty());
}

// The window is loaded afresh each time it opens: each switch's settings, and what a switch lacks
// hidden again after a switch that had it (and nothing sent for it).
TEST_F(PreferencesLoadingTest, ReopenedOnAnotherSwitchItShowsWhatThatOneOffersAndHolds) {
  const ControlID settings[] = {kBuzzerID,         kFixAudioPortID,      kAudioPortNumberID,
                                kFixHUBPortIDs[0], kHUBPortNumberIDs[0], kAutoScanPeriodID,
                                kUniversalHotKeyID};
  plat::sim::Capabilities none{false, false, false, false, {}, {}, false};
  for (const auto& offers : {none, plat::sim::Capabilities{}, none}) {
    Plug({.generation = 2, .capabilities = offers},
         {{4, 0x85}, {4, 0x8C, 2}, {4, 0x8A, 3}, {4, 0x87, 30}});
    Open();
    for (const ControlID& id : settings)
      EXPECT_EQ(View(id).shown, offers.buzzer) << id.id;
    Sent();
    Press("OK");
    EXPECT_TRUE(Sent().empty());
  }
  Plug({.generation = 2}, {{4, 0x85}, {4, 0x8C, 2}, {4, 0x8A, 3}, {4, 0x87, 30}});
  Open();
  EXPECT_EQ(Selected(kAudioPortNumberID), "3");
  EXPECT_EQ(Selected(kHUBPortNumberIDs[0]), "4");
  EXPECT_EQ(Selected(kAutoScanPeriodID), "30");
  Press("Cancel");
  Plug({.generation = 1}, {{6, 6}});  // the USB link's period is in units of 5 seconds
  Open();
  EXPECT_EQ(Selected(kAutoScanPeriodID), "30");
  Press("Cancel");
  Plug({.generation = 2});  // after the USB link's list, the other link's again
  Open();
  EXPECT_EQ(View(kAutoScanPeriodID).popupItems, Numbers(5, 100, 5));
  EXPECT_EQ(View(kAutoScanPeriodID).maximum, 20);
}

TEST_F(PreferencesLoadingTest, WithoutASwitchOnlyTheHotKeysAreLoaded) {
  const long handlers = plat::LiveEventHandlers();
  Open();
  EXPECT_FALSE(View(kHotKeyGroupID).shown);
  EXPECT_FALSE(View(kOptionGroupId).enabled);
  EXPECT_EQ(plat::LiveEventHandlers(), handlers + 4 + 1);  // the fields' and the window's
  TypeInto(2, 0x61);
  EXPECT_EQ(View(kHotKeyIDs[2]).text, "F6");
  Open();  // open already: nothing is loaded again
  EXPECT_EQ(plat::LiveEventHandlers(), handlers + 4 + 1);
  EXPECT_EQ(View(kHotKeyIDs[2]).text, "F6");
  MainWindow::Create(false, CFSTR("Preferences"), CFSTR("main"));  // closed by the program
  EXPECT_FALSE(plat::DescribeWindow(Window())->visible);
  EXPECT_EQ(plat::LiveEventHandlers(), handlers + 1);
  // Closed again once others' handlers may have taken the fields' places: none of theirs goes.
  EventHandlerRef others[4] = {};
  for (EventHandlerRef& other : others)
    InstallEventHandler(GetApplicationEventTarget(), Handle_EventRawKeyDown, 0, nullptr, nullptr,
                        &other);
  MainWindow::Create(false, CFSTR("Preferences"), CFSTR("main"));
  EXPECT_EQ(plat::LiveEventHandlers(), handlers + 1 + 4);
  for (EventHandlerRef other : others)
    RemoveEventHandler(other);
  Plug({.generation = 2});  // opened on a switch, the hot keys show again
  Open();
  EXPECT_TRUE(View(kHotKeyGroupID).shown);
}

// Points the bundle at a copy of its nib "main" with each edit {from, to} made (the fixture goes
// back to the bundle).
void EditMainNib(const std::filesystem::path& folder, const std::vector<Items>& edits) {
  std::stringstream text;
  text << std::ifstream(std::filesystem::path(plat::MainBundleResourcesDirectory()) / "main.nib")
              .rdbuf();
  std::string nib = text.str();
  for (const Items& edit : edits) {
    ASSERT_NE(nib.find(edit[0]), std::string::npos) << edit[0];
    nib.replace(nib.find(edit[0]), edit[0].size(), edit[1]);
  }
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "main.nib") << nib;
  plat::SetMainBundleResourcesDirectory(folder.string());
}

TEST_F(PreferencesLoadingTest, AWindowOrControlsMissingFromTheDescriptionAreLeftAlone) {
  Plug({.generation = 2}, {{4, 0x85}, {4, 0x8C, 1}});  // the audio fixed to port 2
  EditMainNib(cwd.path() / "without", {{"\"Preferences\": {", "\"Other\": {"}});
  testing::internal::CaptureStderr();
  Open();
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(Window());
  EXPECT_TRUE(link->simulated->Exchanges().empty());
  delete pOurWindow;

  plat::SetMainBundleResourcesDirectory("");
  EditMainNib(cwd.path() / "lacking", {{"\"HOTG\", \"id\": 3,", "\"HOTG\", \"id\": 33,"},
                                       {"\"id\": 11,", "\"id\": 31,"},
                                       {"\"id\": 12,", "\"id\": 32,"}});
  const long handlers = plat::LiveEventHandlers();
  Open();
  EXPECT_EQ(plat::LiveEventHandlers(), handlers + 3 + 1);
  EXPECT_EQ(View(kHotKeyIDs[3]).text, "4");  // loading went on past the missing field
  EXPECT_EQ(Selected(kUniversalHotKeyID), "Scroll Lock");
  Sent();
  Press("OK");  // the missing buzzer and audio boxes are not taken for unchecked ones
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
