#include "platform/HIView.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace toolbox_test {
namespace {

using EventDispatchTest = ToolboxTest;
constexpr UInt32 kTestClass = FourCC("test");

TEST_F(EventDispatchTest, ParametersKeepTheirTypeAndAreReadAsStored) {
  const long live = plat::LiveEvents();
  EventRef event = NewEvent(kEventClassCommand, kEventCommandProcess);
  EXPECT_EQ(plat::LiveEvents(), live + 1);
  HICommand command{0, FourCC("pref"), {MenuRef(7u), 3}};
  ASSERT_EQ(
      SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command),
      noErr);
  // (The type code and size a value is stored with are read back in the framework's tests.)
  HICommandExtended read{};
  EXPECT_EQ(GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof read,
                              nullptr, &read),
            noErr);
  EXPECT_EQ(read.commandID, FourCC("pref"));
  EXPECT_EQ(read.source.menu.menuRef, MenuRef(7u));
  EXPECT_EQ(read.source.menu.menuItemIndex, 3);

  UInt32 number = 0;
  EXPECT_EQ(
      GetEventParameter(event, kEventParamDirectObject, typeUInt32, nullptr, 4, nullptr, &number),
      errAECoercionFail);
  EXPECT_EQ(GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, 4, nullptr, &number),
            eventParameterNotFoundErr);
  // A short buffer takes the first bytes (one character of a key's character codes).
  const char codes[] = "ab";
  SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 2, codes);
  char first = 0;
  EXPECT_EQ(
      GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &first),
      noErr);
  EXPECT_EQ(first, 'a');

  ReleaseEvent(event);
  ReleaseEvent(nullptr);
  EXPECT_EQ(plat::LiveEvents(), live);
}

TEST_F(EventDispatchTest, EventsTravelControlWindowApplicationMostRecentHandlerFirst) {
  WindowRef window = nullptr;
  const Rect bounds{100, 100, 300, 400};
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window), noErr);
  const ControlRef control = HIViewGetRoot(window);
  Log(GetApplicationEventTarget(), kTestClass, 1, "application");
  Log(GetWindowEventTarget(window), kTestClass, 1, "window");
  Log(GetControlEventTarget(control), kTestClass, 1, "control, first");
  Log(GetControlEventTarget(control), kTestClass, 1, "control, second");
  Log(GetControlEventTarget(control), kTestClass, 2, "other kind");

  EXPECT_EQ(Send(GetControlEventTarget(control), kTestClass, 1), eventNotHandledErr);
  EXPECT_EQ(log, (std::vector<std::string>{"control, second", "control, first", "window",
                                           "application"}));

  // A handler that runs the rest of the chain itself ends the dispatch with its own answer.
  log.clear();
  On(GetWindowEventTarget(window), kTestClass, 1, [this](EventHandlerCallRef call, EventRef e) {
    log.push_back("window, before");
    EXPECT_EQ(CallNextEventHandler(call, e), eventNotHandledErr);
    log.push_back("window, after");
    return noErr;
  });
  EXPECT_EQ(Send(GetControlEventTarget(control), kTestClass, 1), noErr);
  EXPECT_EQ(log, (std::vector<std::string>{"control, second", "control, first", "window, before",
                                           "window", "application", "window, after"}));
  DisposeWindow(window);
}

TEST_F(EventDispatchTest, HandlersMayBeRemovedOrNarrowedWhileAnEventRuns) {
  EventTargetRef application = GetApplicationEventTarget();
  const long live = plat::LiveEventHandlers();
  EventHandlerRef older = Log(application, kTestClass, 1, "older");
  EventHandlerRef self = nullptr;
  self = On(application, kTestClass, 1, [&](EventHandlerCallRef, EventRef) {
    log.push_back("removing");
    EXPECT_EQ(RemoveEventHandler(older), noErr);
    EXPECT_EQ(RemoveEventHandler(self), noErr);
    return eventNotHandledErr;
  });
  EXPECT_EQ(plat::LiveEventHandlers(), live + 2);
  Send(application, kTestClass, 1);
  Send(application, kTestClass, 1);
  EXPECT_EQ(log, std::vector<std::string>{"removing"});
  EXPECT_EQ(plat::LiveEventHandlers(), live);
  EXPECT_EQ(RemoveEventHandler(older), paramErr);

  // Installed for nothing, then for one type, then for none again.
  EventHandlerRef plain = Log(application, kTestClass, 2, "plain");
  const EventTypeSpec three{kTestClass, 3};
  RemoveEventTypesFromHandler(plain, 1, std::vector<EventTypeSpec>{{kTestClass, 2}}.data());
  Send(application, kTestClass, 2);
  AddEventTypesToHandler(plain, 1, &three);
  Send(application, kTestClass, 3);
  EXPECT_EQ(log, (std::vector<std::string>{"removing", "plain"}));
  EXPECT_EQ(AddEventTypesToHandler(nullptr, 1, &three), paramErr);
}

TEST_F(EventDispatchTest, AWindowDisposedUnderItsHandlersLeavesThemValidUntilRemoved) {
  WindowRef window = PreferencesWindow();
  EventTargetRef target = GetWindowEventTarget(window);
  // Disposing of it again from its own disposal notice does nothing more.
  EventHandlerRef disposed =
      On(target, kEventClassWindow, kEventWindowDisposed, [&](EventHandlerCallRef, EventRef) {
        log.push_back("disposed");
        DisposeWindow(window);
        return eventNotHandledErr;
      });
  On(target, kTestClass, 1, [&](EventHandlerCallRef, EventRef) {
    DisposeWindow(window);
    return eventNotHandledErr;
  });
  const int windows = plat::LiveWindows();
  EXPECT_EQ(Send(target, kTestClass, 1), eventNotHandledErr);
  EXPECT_EQ(log, std::vector<std::string>{"disposed"});
  EXPECT_EQ(plat::LiveWindows(), windows - 1);
  EXPECT_EQ(GetWindowEventTarget(window), nullptr);
  EXPECT_EQ(InstallEventHandler(
                target, [](EventHandlerCallRef, EventRef, void*) { return noErr; }, 0, nullptr,
                nullptr, nullptr),
            paramErr);
  EXPECT_EQ(RemoveEventHandler(disposed), noErr);
}

}  // namespace
}  // namespace toolbox_test
