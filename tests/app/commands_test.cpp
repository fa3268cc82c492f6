#include "platform/Processes.h"
#include "prefs/MainWindow.h"
#include "tests/app/ApplicationFixture.h"

namespace {

using CommandsTest = ApplicationTest;
using Bytes = ApplicationTest::Bytes;

Bytes PortReport(UInt8 index) {
  return {0x04, 0x81, index, 0, 0, 0, 0, 0};
}

TEST_F(CommandsTest, TheHotKeyOfPort2SendsItsReportAfterTenTicksAndThePollShowsItsIcon) {
  const auto simulated = Plug();
  DockTileRecorder tile;
  RunProgram([&] {
    EXPECT_EQ(tile.shown, std::vector<std::string>{"velbrook1.icns"});
    tile.shown.clear();
    simulated->ClearExchanges();
    const UInt32 pressed = TickCount();
    EXPECT_EQ(PressHotKeyOfPort(2), noErr);
    std::vector<UInt32> ticks;
    EXPECT_EQ(Sent(*simulated, &ticks), std::vector<Bytes>{PortReport(1)});
    EXPECT_EQ(ticks, std::vector<UInt32>{pressed + 10});
    EXPECT_TRUE(tile.shown.empty());
    // The first poll comes 5 seconds after the switch was opened.
    plat::RunLoop::Main().RunFor(plat::SecondsToNanos(5));
    EXPECT_EQ(tile.shown, std::vector<std::string>{"velbrook2.icns"});
  });
}

TEST_F(CommandsTest, HotKeysOutsidePorts1To4OrWithoutASwitchAreNotHandled) {
  KVMSwitch.info.deviceState = 2;  // whatever the record held, the program starts without a switch
  RunProgram([&] {
    EXPECT_EQ(HotKey(1), eventNotHandledErr);
    const auto simulated = Plug(2, 2);
    plat::RunLoop::Main().RunPending();
    ASSERT_EQ(info.deviceState, 2);
    simulated->ClearExchanges();
    EXPECT_EQ(HotKey(0), eventNotHandledErr);
    EXPECT_EQ(HotKey(5), eventNotHandledErr);
    EXPECT_TRUE(Sent(*simulated).empty());
    // A port the switch lacks is asked for all the same, by the hot key and by the commands
    // 'SPC1' to 'SPC8'; their neighbours are not the application's.
    EXPECT_EQ(HotKey(4), noErr);
    for (const char* command : {"SPC3", "SPC5", "SPC8"})
      EXPECT_EQ(Command(command), noErr);
    EXPECT_EQ(Command("SPC0"), eventNotHandledErr);
    EXPECT_EQ(Command("SPC9"), eventNotHandledErr);
    EXPECT_EQ(Sent(*simulated),
              (std::vector<Bytes>{PortReport(3), PortReport(2), PortReport(4), PortReport(7)}));
  });
}

TEST_F(CommandsTest, AHeldSwitchTakesTheHotKeyCommand) {
  RunProgram([&] {
    plat::SwitchUserSession(false);
    const auto simulated = Plug();
    plat::RunLoop::Main().RunPending();
    ASSERT_EQ(info.deviceState, 1);
    // Handled: the command goes to the switch's link, which is not open yet.
    EXPECT_EQ(HotKey(2), noErr);
    EXPECT_TRUE(Sent(*simulated).empty());
  });
}

TEST_F(CommandsTest, PortAndAutoScanCommandsGoToTheSwitchWhateverTheyAnswer) {
  RunProgram([&] {
    // No switch: handled, and nothing is sent anywhere.
    EXPECT_EQ(Command("SPC1"), noErr);
    const auto simulated = Plug();
    plat::RunLoop::Main().RunPending();
    simulated->FailNextWrites(100, kIOReturnNotResponding);
    EXPECT_EQ(Command("Auto"), noErr);
    EXPECT_EQ(info.autoScanOn, 1);
    EXPECT_EQ(Command("Auto"), noErr);
    EXPECT_EQ(info.autoScanOn, 0);
    EXPECT_FALSE(simulated->AutoScanOn());
    // Not the application's: on to the standard handler, which does not know it either.
    EXPECT_EQ(Command("xyzw"), eventNotHandledErr);
  });
}

TEST_F(CommandsTest, ThePreferencesCommandBringsTheApplicationToTheFrontOnlyWhenItIsNot) {
  RunProgram([&] {
    EXPECT_EQ(Command("pref"), noErr);
    EXPECT_EQ(plat::FrontProcessChanges(), 0);
    EXPECT_TRUE(pOurWindow->IsVisible());

    plat::BringOtherApplicationToFront();
    EXPECT_EQ(Command("pref"), noErr);
    EXPECT_EQ(plat::FrontProcessChanges(), 1);
    EXPECT_TRUE(plat::IsFrontProcess());

    // When a process cannot be found the front is left alone; the window still opens.
    plat::BringOtherApplicationToFront();
    plat::FailNextProcessLookups(1);
    pOurWindow->Hide();
    EXPECT_EQ(Command("pref"), noErr);
    EXPECT_FALSE(plat::IsFrontProcess());
    EXPECT_TRUE(pOurWindow->IsVisible());

    // Shown again (the Dock icon clicked): the Preferences command comes back to the
    // application, nested in the first event.
    pOurWindow->Hide();
    EXPECT_EQ(plat::ShowApplication(), noErr);
    EXPECT_TRUE(pOurWindow->IsVisible());
  });
}

}  // namespace
