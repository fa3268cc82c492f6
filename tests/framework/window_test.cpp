#include "framework/TWindow.h"
#include "platform/FrontModel.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace framework_test {
namespace {

// Records each operation; the size requests answer `size`.
class RecordingWindow : public TWindow {
 public:
  RecordingWindow() : TWindow(CFSTR("Preferences"), CFSTR("main")) {}
  void Hide() override {
    calls.push_back("Hide");
    TWindow::Hide();
  }
  void Draw() override { calls.push_back("Draw"); }
  void Activated() override { calls.push_back("Activated"); }
  void Deactivated() override { calls.push_back("Deactivated"); }
  void Moved() override { calls.push_back("Moved"); }
  void Resized() override { calls.push_back("Resized"); }
  Point GetIdealSize() override { return Size("Ideal"); }
  Point GetMinimumSize() override { return Size("Minimum"); }
  Point GetMaximumSize() override { return Size("Maximum"); }
  bool HandleCommand(const HICommandExtended& command) override {
    calls.push_back("HandleCommand");
    return command.commandID == kHICommandOK;
  }
  void HandleItemHit(short id) override { calls.push_back("HandleItemHit " + std::to_string(id)); }
  bool CloseDialog() override {
    calls.push_back("CloseDialog");
    return true;
  }
  Point Size(const char* which) {
    calls.push_back(which);
    return size;
  }
  std::vector<std::string> calls;
  Point size{0, 0};
};

class WindowTest : public toolbox_test::ToolboxTest {
 protected:
  // Sends a window event with `window` as direct object; answers the status.
  OSStatus SendWindowEvent(UInt32 kind, EventRef* keep = nullptr) {
    EventRef event = toolbox_test::NewEvent(kEventClassWindow, kind);
    const WindowRef ref = subject.GetWindowRef();
    SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof ref, &ref);
    const OSStatus status = SendEventToEventTarget(event, GetWindowEventTarget(ref));
    if (keep != nullptr) {
      *keep = event;
    } else {
      ReleaseEvent(event);
    }
    return status;
  }
  OSStatus SendCommand(UInt32 kind, UInt32 command) {
    TCarbonEvent event(kEventClassCommand, kind);
    event.SetParameter(kEventParamDirectObject, HICommandExtended{0, command, {}});
    return SendEventToEventTarget(event, GetWindowEventTarget(subject.GetWindowRef()));
  }
  RecordingWindow subject;
};

TEST_F(WindowTest, EachWindowEventReachesItsOperation) {
  const WindowRef window = subject.GetWindowRef();
  ASSERT_TRUE(window);
  // Activation, deactivation and drawing run the next handler first.
  for (UInt32 kind : {kEventWindowActivated, kEventWindowDeactivated, kEventWindowDrawContent}) {
    Log(GetApplicationEventTarget(), kEventClassWindow, kind, "next");
    EXPECT_EQ(SendWindowEvent(kind), noErr);
  }
  EXPECT_EQ(subject.calls, (std::vector<std::string>{"Activated", "Deactivated", "Draw"}));
  EXPECT_EQ(log, (std::vector<std::string>{"next", "next", "next"}));

  subject.calls.clear();
  EXPECT_EQ(SendCommand(kEventCommandProcess, kHICommandOK), noErr);
  EXPECT_EQ(SendCommand(kEventCommandProcess, FourCC("xxxx")), eventNotHandledErr);
  EXPECT_EQ(SendCommand(kEventCommandUpdateStatus, kHICommandClose), noErr);
  EXPECT_EQ(SendCommand(kEventCommandUpdateStatus, kHICommandOK), eventNotHandledErr);
  EXPECT_EQ(SendWindowEvent(kEventWindowClose), noErr);
  EXPECT_EQ(SendWindowEvent(FourCC("what")), eventNotHandledErr);
  EXPECT_EQ(subject.calls,
            (std::vector<std::string>{"HandleCommand", "HandleCommand", "CloseDialog", "Hide"}));
}

TEST_F(WindowTest, BoundsChangesCallMovedOrResizedAndSizesNeedBothDimensions) {
  Rect bounds{};
  GetWindowBounds(subject.GetWindowRef(), kWindowStructureRgn, &bounds);
  bounds.left = static_cast<SInt16>(bounds.left + 5);
  bounds.right = static_cast<SInt16>(bounds.right + 5);
  EXPECT_EQ(subject.SetBounds(bounds), noErr);
  bounds.right = static_cast<SInt16>(bounds.right + 5);
  bounds.top = static_cast<SInt16>(bounds.top + 5);
  subject.SetBounds(bounds);
  EXPECT_EQ(SendWindowEvent(kEventWindowBoundsChanged), eventNotHandledErr);  // no attributes
  EXPECT_EQ(subject.calls, (std::vector<std::string>{"Moved", "Resized"}));

  const struct {
    Point size;
    OSStatus status;
  } answers[] = {{{0, 0}, eventNotHandledErr},
                 {{300, 0}, eventNotHandledErr},
                 {{0, 200}, eventNotHandledErr},
                 {{300, 200}, noErr}};
  for (const auto& answer : answers) {
    subject.size = answer.size;
    subject.calls.clear();
    for (UInt32 kind :
         {kEventWindowGetIdealSize, kEventWindowGetMinimumSize, kEventWindowGetMaximumSize}) {
      EventRef event = nullptr;
      EXPECT_EQ(SendWindowEvent(kind, &event), answer.status);
      Point dimensions{0, 0};
      const OSStatus stored = GetEventParameter(event, kEventParamDimensions, typeQDPoint, nullptr,
                                                sizeof dimensions, nullptr, &dimensions);
      EXPECT_EQ(stored == noErr, answer.status == noErr);
      EXPECT_EQ(dimensions.v, answer.status == noErr ? 300 : 0);
      ReleaseEvent(event);
    }
    EXPECT_EQ(subject.calls, (std::vector<std::string>{"Ideal", "Minimum", "Maximum"}));
  }
}

TEST_F(WindowTest, TheCloseBoxEndsTheDialogOnceAndHidesAWindowThatSurvives) {
  const WindowRef window = subject.GetWindowRef();
  subject.Show();
  subject.calls.clear();
  EXPECT_EQ(plat::ClickCloseBox(window), noErr);
  EXPECT_EQ(subject.calls, (std::vector<std::string>{"CloseDialog", "Hide", "Deactivated"}));
  EXPECT_FALSE(subject.IsVisible());
  EXPECT_TRUE(IsValidWindowPtr(window));
  EXPECT_EQ(subject.GetWindowRef(), window);
}

TEST_F(WindowTest, OnlyOptionControlsReachHandleItemHit) {
  subject.Show();  // active: the keyboard focus goes to the first field
  ControlRef focus = nullptr;
  GetKeyboardFocus(subject.GetWindowRef(), &focus);
  EXPECT_EQ(focus, subject.GetView(FourCC("HOTG"), 2));
  subject.calls.clear();
  plat::ClickControl(subject.GetView(FourCC("OPTG"), 12));
  plat::ClickControl(subject.GetView(FourCC("HOTG"), 3));  // an edit field: no hit
  ControlRef hotKeyField = subject.GetView(FourCC("HOTG"), 2);
  TCarbonEvent hit(kEventClassControl, kEventControlHit);
  hit.SetParameter(kEventParamDirectObject, hotKeyField);
  EXPECT_EQ(SendEventToEventTarget(hit, GetControlEventTarget(hotKeyField)), eventNotHandledErr);
  EXPECT_EQ(subject.calls, std::vector<std::string>{"HandleItemHit 12"});
}

TEST_F(WindowTest, ViewOperationsFindControlsByID) {
  EXPECT_EQ(subject.ShowView(FourCC("OPTG"), 99), errUnknownControl);
  EXPECT_EQ(subject.HideView(FourCC("OPTG"), 11), noErr);
  EXPECT_FALSE(IsControlVisible(subject.GetView(FourCC("OPTG"), 11)));
  EXPECT_EQ(subject.ShowView(ControlID{FourCC("OPTG"), 11}), noErr);
  EXPECT_TRUE(IsControlVisible(subject.GetView(FourCC("OPTG"), 11)));
  EXPECT_EQ(subject.DisableView(FourCC("OPTG"), 10), noErr);
  EXPECT_FALSE(IsControlEnabled(subject.GetView(FourCC("OPTG"), 11)));
  EXPECT_EQ(subject.EnableView(FourCC("HOTG"), 99), errUnknownControl);
  EXPECT_FALSE(subject.GetView(FourCC("HOTG"), 99));
}

TEST_F(WindowTest, TheWindowLeadsBackToItsObjectOnly) {
  EXPECT_EQ(TWindow::GetTWindowFromWindowRef(subject.GetWindowRef()), &subject);
  WindowRef foreign = nullptr;
  const Rect bounds{10, 10, 50, 50};
  CreateNewWindow(kDocumentWindowClass, 0, &bounds, &foreign);
  EXPECT_EQ(TWindow::GetTWindowFromWindowRef(foreign), nullptr);
  EXPECT_EQ(TWindow::GetTWindowFromWindowRef(nullptr), nullptr);
  DisposeWindow(foreign);

  EXPECT_EQ(subject.SetTitle(CFSTR("Settings")), noErr);
  const plat::CFHolder title(subject.CopyTitle());
  EXPECT_EQ(plat::ToStdString(static_cast<CFStringRef>(title.get())), "Settings");
  EXPECT_EQ(subject.SetAlternateTitle(CFSTR("Tallowmere Settings")), noErr);
  const plat::CFHolder alternate(subject.CopyAlternateTitle());
  EXPECT_EQ(plat::ToStdString(static_cast<CFStringRef>(alternate.get())), "Tallowmere Settings");
}

TEST_F(WindowTest, AttachingAndLettingGoOfWindows) {
  const int windows = plat::LiveWindows();
  {
    TWindow empty(nullptr);
    EXPECT_EQ(empty.Init(WindowRef(nullptr)), paramErr);
    EXPECT_EQ(empty.CopyTitle(), nullptr);
    const Rect bounds{10, 10, 50, 50};
    EXPECT_EQ(empty.Init(kDocumentWindowClass, kWindowCloseBoxAttribute, bounds), noErr);
    EXPECT_EQ(plat::LiveWindows(), windows + 1);
  }
  EXPECT_EQ(plat::LiveWindows(), windows);  // the destructor disposed of it
  {
    TWindow handedOver(nullptr);
    const Rect bounds{10, 10, 50, 50};
    handedOver.Init(kDocumentWindowClass, 0, bounds);
    const WindowRef window = handedOver.GetWindowRef();
    handedOver.SourceWindowDispose();  // its source disposes of it: the object only lets go
    EXPECT_FALSE(handedOver.GetWindowRef());
    EXPECT_TRUE(IsValidWindowPtr(window));
    DisposeWindow(window);
  }

  auto* closing = new RecordingWindow;
  const WindowRef window = closing->GetWindowRef();
  closing->Close();  // hides, then deletes the object and its window
  EXPECT_FALSE(IsValidWindowPtr(window));

  // A window disposed of by its source is forgotten, not disposed of twice.
  DisposeWindow(subject.GetWindowRef());
  EXPECT_FALSE(subject.GetWindowRef());
  EXPECT_EQ(plat::LiveWindows(), windows - 1);
}

}  // namespace
}  // namespace framework_test
