#include "framework/TApplication.h"
#include "platform/FrontModel.h"
#include "platform/Menus.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace framework_test {
namespace {

using toolbox_test::Send;

// Records each operation with what it was given, and answers `answer`.
class RecordingApplication : public TApplication {
 public:
  RecordingApplication() : TApplication(CFSTR("MenuBar"), CFSTR("main")) {}
  bool UpdateCommandStatus(const HICommandExtended&) override { return Note("status"); }
  bool HandleCommand(const HICommandExtended& command) override {
    return Note("command " + std::to_string(command.commandID));
  }
  bool UpdateDockMenu(MenuRef& menu) override {
    return Note("dock menu " + std::to_string(menu.value));
  }
  bool OpenSettingsDialog() override { return Note("shown"); }
  bool HandleHotKey(EventHotKeyID& id) override {
    return Note("hot key " + std::to_string(id.signature) + "/" + std::to_string(id.id));
  }
  bool HandleUserLogin(unsigned long kind) override {
    return Note("session " + std::to_string(kind));
  }
  bool Note(const std::string& call) {
    calls.push_back(call);
    return answer;
  }
  std::vector<std::string> calls;
  bool answer = true;
};

class ApplicationTest : public toolbox_test::ToolboxTest {
 protected:
  // Sends each of the application's six events with its parameter; answers the statuses.
  static std::vector<OSStatus> SendAllSix() {
    std::vector<OSStatus> statuses;
    auto send = [&statuses](UInt32 eventClass, UInt32 kind, EventParamType type, const void* data,
                            ByteCount size) {
      EventRef event = toolbox_test::NewEvent(eventClass, kind);
      if (data != nullptr)
        SetEventParameter(event, kEventParamDirectObject, type, size, data);
      statuses.push_back(SendEventToEventTarget(event, GetApplicationEventTarget()));
      ReleaseEvent(event);
    };
    const HICommand command{0, FourCC("SPC2"), {nullptr, 0}};
    const MenuRef menu(42u);
    const EventHotKeyID hotKey{FourCC("PCH3"), 3};
    send(kEventClassCommand, kEventCommandProcess, typeHICommand, &command, sizeof command);
    send(kEventClassMenu, kEventMenuPopulate, typeMenuRef, &menu, sizeof menu);
    send(kEventClassApplication, kEventAppShown, 0, nullptr, 0);
    send(kEventClassKeyboard, kEventHotKeyPressed, typeEventHotKeyID, &hotKey, sizeof hotKey);
    send(kEventClassSystem, kEventSystemUserSessionActivated, 0, nullptr, 0);
    send(kEventClassSystem, kEventSystemUserSessionDeactivated, 0, nullptr, 0);
    return statuses;
  }
};

TEST_F(ApplicationTest, EachApplicationEventReachesItsOperation) {
  RecordingApplication application;
  EXPECT_EQ(SendAllSix(), std::vector<OSStatus>(6, noErr));
  EXPECT_EQ(application.calls,
            (std::vector<std::string>{"command " + std::to_string(FourCC("SPC2")), "dock menu 42",
                                      "shown", "hot key " + std::to_string(FourCC("PCH3")) + "/3",
                                      "session 10", "session 11"}));
  application.answer = false;
  EXPECT_EQ(SendAllSix(), std::vector<OSStatus>(6, eventNotHandledErr));

  // Only the subscribed kinds arrive; a command without its record is command 0.
  application.calls.clear();
  EXPECT_EQ(Send(GetApplicationEventTarget(), kEventClassCommand, kEventCommandUpdateStatus),
            eventNotHandledErr);
  Send(GetApplicationEventTarget(), kEventClassCommand, kEventCommandProcess);
  EXPECT_EQ(application.calls, std::vector<std::string>{"command 0"});
}

TEST_F(ApplicationTest, TheBaseClassAnswersEverySubscribedEventNotHandledAndLoadsTheMenuBar) {
  TApplication application(CFSTR("MenuBar"), CFSTR("main"));
  EXPECT_EQ(SendAllSix(), std::vector<OSStatus>(6, eventNotHandledErr));
  EXPECT_EQ(plat::MenuBarMenus().size(), 1u);
}

TEST_F(ApplicationTest, AFailedNibLeavesNoMenuBarButTheEventsStillArrive) {
  struct Unnibbed : TApplication {
    Unnibbed() : TApplication(CFSTR("MenuBar"), CFSTR("absent")) {}
    bool OpenSettingsDialog() override { return true; }
  };
  testing::internal::CaptureStderr();
  Unnibbed application;
  EXPECT_EQ(application.Init(CFSTR("MenuBar"), CFSTR("absent")), kIBCarbonRuntimeCantFindNibFile);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(plat::MenuBarMenus().empty());
  EXPECT_EQ(Send(GetApplicationEventTarget(), kEventClassApplication, kEventAppShown), noErr);
}

// An object that counts the calls of its own target.
class Counted : public TEventHandler {
 public:
  OSStatus HandleEvent(EventHandlerCallRef, TCarbonEvent&) override {
    ++events;
    return noErr;
  }
  EventTargetRef GetEventTarget() override {
    ++targetCalls;
    return GetApplicationEventTarget();
  }
  int events = 0;
  int targetCalls = 0;
};

TEST_F(ApplicationTest, OneHandlerPerObjectInstalledOnlyWhenItRegisters) {
  const long handlers = plat::LiveEventHandlers();
  {
    Counted silent;
    EXPECT_EQ(plat::LiveEventHandlers(), handlers);
    EXPECT_EQ(silent.targetCalls, 0);
  }
  Counted twice;
  const EventTypeSpec first{FourCC("test"), 1};
  const EventTypeSpec second{FourCC("test"), 2};
  EXPECT_EQ(twice.RegisterForEvents(1, &first), noErr);
  EXPECT_EQ(twice.RegisterForEvents(1, &second), noErr);
  EXPECT_EQ(plat::LiveEventHandlers(), handlers + 1);
  EXPECT_EQ(twice.targetCalls, 1);
  Send(GetApplicationEventTarget(), FourCC("test"), 1);
  Send(GetApplicationEventTarget(), FourCC("test"), 2);
  EXPECT_EQ(twice.events, 2);
}

TEST_F(ApplicationTest, AnEventSentFromAHandlerRunsNestedAndBothAreHandled) {
  struct Shown : RecordingApplication {
    bool OpenSettingsDialog() override {
      Note("shown");
      TCarbonEvent command(kEventClassCommand, kEventCommandProcess);
      command.SetParameter(kEventParamDirectObject, HICommand{1, FourCC("pref"), {nullptr, 0}});
      nested = SendEventToEventTarget(command, GetApplicationEventTarget());
      Note("shown ends");
      return true;
    }
    OSStatus nested = -1;
  } application;
  EXPECT_EQ(Send(GetApplicationEventTarget(), kEventClassApplication, kEventAppShown), noErr);
  EXPECT_EQ(application.nested, noErr);
  EXPECT_EQ(application.calls,
            (std::vector<std::string>{"shown", "command " + std::to_string(FourCC("pref")),
                                      "shown ends"}));
}

TEST_F(ApplicationTest, RunDeliversQueuedEventsUntilTheQuitCommand) {
  RecordingApplication application;
  TCarbonEvent hotKey(kEventClassKeyboard, kEventHotKeyPressed);
  const EventHotKeyID id{FourCC("PCH1"), 1};
  hotKey.SetParameter(kEventParamDirectObject, typeEventHotKeyID, sizeof id, &id);
  hotKey.PostToQueue(GetMainEventQueue(), kEventPriorityStandard);
  MenuRef menu = nullptr;
  MenuItemIndex quit = 0;
  ASSERT_EQ(GetIndMenuItemWithCommandID(nullptr, kHICommandQuit, 1, &menu, &quit), noErr);
  application.answer = false;  // the quit command goes on to the standard handler
  plat::RunLoop::Main().Post([menu, quit] { plat::ChooseMenuItem(menu, quit); });
  application.Run();
  EXPECT_EQ(application.calls.front(), "hot key " + std::to_string(FourCC("PCH1")) + "/1");
  EXPECT_EQ(application.calls.back(), "command " + std::to_string(kHICommandQuit));
}

}  // namespace
}  // namespace framework_test
