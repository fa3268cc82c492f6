#include "platform/FrontModel.h"
#include "platform/HIView.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace toolbox_test {
namespace {

class StandardHandlerTest : public ToolboxTest {
 protected:
  void SetUp() override {
    ToolboxTest::SetUp();
    window = PreferencesWindow();
    // Records every hit with the value the control had at that moment, and every command.
    On(GetWindowEventTarget(window), kEventClassControl, kEventControlHit,
       [this](EventHandlerCallRef, EventRef event) {
         ControlRef control = nullptr;
         GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                           nullptr, &control);
         log.push_back("hit " + std::to_string(GetControl32BitValue(control)));
         return eventNotHandledErr;
       });
    On(GetApplicationEventTarget(), kEventClassCommand, kEventCommandProcess,
       [this](EventHandlerCallRef, EventRef event) {
         const HICommandExtended command = CommandOf(event);
         log.push_back("command " + FourCCText(command.commandID));
         EXPECT_EQ(command.attributes, kHICommandFromControl);
         return noErr;
       });
  }
  WindowRef window = nullptr;
};

TEST_F(StandardHandlerTest, ClicksFlipCheckboxesPressButtonsAndChoosePopupItems) {
  const ControlRef buzzer = Find(window, "OPTG", 11);
  EXPECT_EQ(plat::ClickControl(buzzer), noErr);
  EXPECT_EQ(plat::ClickControl(buzzer), noErr);
  EXPECT_EQ(plat::ClickControl(Find(window, "HOTG", 1)), eventNotHandledErr);  // a group box
  EXPECT_EQ(plat::ClickControl(Find(window, "OPTG", 0)), paramErr);
  ControlRef ok = nullptr;
  GetWindowDefaultButton(window, &ok);
  EXPECT_EQ(plat::ClickControl(ok), noErr);
  const ControlRef period = Find(window, "OPTG", 18);
  EXPECT_EQ(plat::ChoosePopupItem(period, 3), noErr);
  EXPECT_EQ(plat::ChoosePopupItem(period, 21), eventNotHandledErr);
  EXPECT_EQ(GetControl32BitValue(period), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"hit 1", "hit 0", "hit 0", "command ok  ", "hit 3"}));
}

TEST_F(StandardHandlerTest, OnlyAControlThatIsShownEnabledAndActiveCanBeUsed) {
  const ControlRef buzzer = Find(window, "OPTG", 11);
  const ControlRef options = Find(window, "OPTG", 10);
  DisableControl(options);
  EXPECT_FALSE(IsControlEnabled(buzzer));  // through its group box
  EXPECT_TRUE(IsControlActive(buzzer));
  EXPECT_EQ(plat::ClickControl(buzzer), eventNotHandledErr);
  EnableControl(options);
  DeactivateControl(buzzer);
  EXPECT_TRUE(IsControlEnabled(buzzer));
  EXPECT_EQ(plat::ClickControl(buzzer), eventNotHandledErr);
  ActivateControl(buzzer);
  HideControl(buzzer);
  EXPECT_EQ(plat::ClickControl(buzzer), eventNotHandledErr);
  EXPECT_EQ(GetControl32BitValue(buzzer), 0);
  EXPECT_TRUE(log.empty());
}

TEST_F(StandardHandlerTest, KeysTypeIntoTheFocusedFieldUnlessAHandlerTakesThem) {
  ShowWindow(window);
  HideControl(Find(window, "HOTG", 3));
  EXPECT_EQ(AdvanceKeyboardFocus(window), noErr);
  plat::PressKey(0x00, 'a');
  plat::PressKey(0x0B, 'b');
  plat::PressKey(0x33, 0x08);
  plat::PressKey(0x30, '\t');  // skips the hidden field
  plat::PressKey(0x00, 'x');
  ControlRef focus = nullptr;
  GetKeyboardFocus(window, &focus);
  EXPECT_EQ(focus, Find(window, "HOTG", 4));
  EXPECT_EQ(plat::DescribeWindow(window)->controls[3].text, "a");  // root, group, caption, field
  Size length = 0;
  GetControlData(focus, 0, kControlEditTextTextTag, 0, nullptr, &length);
  EXPECT_EQ(length, 1);

  EventHandlerRef taker = On(GetControlEventTarget(focus), kEventClassKeyboard, kEventRawKeyDown,
                             [](EventHandlerCallRef, EventRef) { return noErr; });
  plat::PressKey(0x00, 'y');
  char text[8] = {};
  GetControlData(focus, 0, kControlEditTextTextTag, sizeof text, text, nullptr);
  EXPECT_STREQ(text, "x");
  RemoveEventHandler(taker);

  // Return presses the default button, Escape the cancel button.
  plat::PressKey(0x24, '\r');
  plat::PressKey(0x35, 0x1B);
  EXPECT_EQ(log, (std::vector<std::string>{"hit 0", "command ok  ", "hit 0", "command not!"}));
}

TEST_F(StandardHandlerTest, ActivationFollowsShowHideAndSelect) {
  WindowRef other = nullptr;
  const Rect bounds{50, 50, 150, 250};
  CreateNewWindow(kDocumentWindowClass, kWindowCloseBoxAttribute, &bounds, &other);
  for (WindowRef w : {window, other}) {
    const std::string name = w == window ? "prefs" : "other";
    Log(GetWindowEventTarget(w), kEventClassWindow, kEventWindowActivated, name + " on");
    Log(GetWindowEventTarget(w), kEventClassWindow, kEventWindowDeactivated, name + " off");
  }
  ShowWindow(window);  // behind the newer window, which is still hidden
  ShowWindow(other);
  SelectWindow(window);
  HideWindow(window);
  EXPECT_EQ(ActiveNonFloatingWindow(), other);
  EXPECT_EQ(log, (std::vector<std::string>{"prefs on", "prefs off", "other on", "other off",
                                           "prefs on", "prefs off", "other on"}));

  // An unhandled close box disposes of the window.
  log.clear();
  Log(GetWindowEventTarget(other), kEventClassWindow, kEventWindowDisposed, "disposed");
  EXPECT_EQ(plat::ClickCloseBox(other), noErr);
  EXPECT_FALSE(IsValidWindowPtr(other));
  EXPECT_EQ(ActiveNonFloatingWindow(), nullptr);
  EXPECT_EQ(log, std::vector<std::string>{"disposed"});
}

TEST_F(StandardHandlerTest, BoundsChangesTellWhatChangedAndWindowsCentreOnTheScreen) {
  std::vector<UInt32> changes;
  On(GetWindowEventTarget(window), kEventClassWindow, kEventWindowBoundsChanged,
     [&changes](EventHandlerCallRef, EventRef event) {
       UInt32 attributes = 0;
       GetEventParameter(event, kEventParamAttributes, typeUInt32, nullptr, 4, nullptr,
                         &attributes);
       changes.push_back(attributes);
       return noErr;
     });
  Rect content{};
  GetWindowBounds(window, kWindowContentRgn, &content);
  Rect moved{static_cast<SInt16>(content.top + 10), content.left,
             static_cast<SInt16>(content.bottom + 10), content.right};
  SetWindowBounds(window, kWindowContentRgn, &moved);
  SetWindowBounds(window, kWindowContentRgn, &moved);  // no change, no event
  plat::DragWindowTo(window, Rect{moved.top, moved.left, moved.bottom, 1000});
  plat::SetMainScreenBounds(Rect{0, 0, 822, 1000});
  RepositionWindow(window, nullptr, kWindowCenterOnMainScreen);
  GetWindowBounds(window, kWindowStructureRgn, &content);
  EXPECT_EQ(changes,
            (std::vector<UInt32>{kWindowBoundsChangeOriginChanged,
                                 kWindowBoundsChangeSizeChanged | kWindowBoundsChangeUserResize,
                                 kWindowBoundsChangeOriginChanged}));
  // 822 - 22 points of menu bar below the top; the structure is 424 + 22 high.
  EXPECT_EQ(content.top, 22 + (800 - 446) / 2);
  EXPECT_EQ(content.left + content.right, 1000);
}

TEST_F(StandardHandlerTest, ValuesStayWithinTheirRange) {
  const ControlRef popup = Find(window, "OPTG", 13);
  SetControl32BitValue(popup, 9);
  EXPECT_EQ(GetControl32BitValue(popup), 4);
  SetControl32BitMaximum(popup, 2);
  EXPECT_EQ(GetControlValue(popup), 2);
  SetControl32BitValue(popup, 0);  // a popup may show no item
  EXPECT_EQ(GetControl32BitValue(popup), 0);
  MenuRef menu = nullptr;
  EXPECT_EQ(GetControlData(popup, 0, kControlPopupButtonMenuHandleTag, 4, &menu, nullptr), noErr);
  EXPECT_EQ(CountMenuItems(menu), 4);
  EXPECT_EQ(GetControlData(Find(window, "OPTG", 11), 0, kControlPopupButtonMenuHandleTag, 4, &menu,
                           nullptr),
            errDataNotSupported);
}

}  // namespace
}  // namespace toolbox_test
