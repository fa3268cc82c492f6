// A fresh toolbox on the virtual clock for every test, and handlers that run a lambda.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/CFBundle.h"
#include "platform/CarbonEvents.h"
#include "platform/Controls.h"
#include "platform/MacWindows.h"
#include "platform/Nibs.h"
#include "platform/RunLoop.h"
#include "platform/sim/VirtualClock.h"

namespace toolbox_test {

class ToolboxTest : public ::testing::Test {
 protected:
  // Before the members of derived fixtures are made, so that they may own windows.
  ToolboxTest() { Fresh(); }
  void TearDown() override {
    for (EventHandlerRef handler : handlers_)
      RemoveEventHandler(handler);
    Fresh();
  }
  static void Fresh() {
    plat::ResetToolbox();
    plat::RunLoop::Main().Reset();
    plat::TheVirtualClock().Reset();
    plat::SetMainBundleResourcesDirectory("");
  }

  using Reaction = std::function<OSStatus(EventHandlerCallRef, EventRef)>;
  // Installs `reaction` on `target` for one event type; removed at the end of the test.
  EventHandlerRef On(EventTargetRef target, UInt32 eventClass, UInt32 kind, Reaction reaction) {
    reactions_.push_back(std::make_unique<Reaction>(std::move(reaction)));
    const EventTypeSpec type{eventClass, kind};
    EventHandlerRef handler = nullptr;
    EXPECT_EQ(InstallEventHandler(target, Run, 1, &type, reactions_.back().get(), &handler), noErr);
    handlers_.push_back(handler);
    return handler;
  }
  // Records `name` and lets the event go on.
  EventHandlerRef Log(EventTargetRef target, UInt32 eventClass, UInt32 kind, std::string name) {
    return On(target, eventClass, kind, [this, name](EventHandlerCallRef, EventRef) {
      log.push_back(name);
      return eventNotHandledErr;
    });
  }

  // The Preferences window of the bundle's nib "main".
  static WindowRef PreferencesWindow() {
    IBNibRef nib = nullptr;
    EXPECT_EQ(CreateNibReference(CFSTR("main"), &nib), noErr);
    WindowRef window = nullptr;
    EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("Preferences"), &window), noErr);
    DisposeNibReference(nib);
    return window;
  }
  static ControlRef Find(WindowRef window, const char* signature, SInt32 id) {
    const ControlID controlID{FourCCFromText(signature), id};
    ControlRef control = nullptr;
    GetControlByID(window, &controlID, &control);
    return control;
  }

  std::vector<std::string> log;

 private:
  static OSStatus Run(EventHandlerCallRef call, EventRef event, void* reaction) {
    return (*static_cast<Reaction*>(reaction))(call, event);
  }
  std::vector<std::unique_ptr<Reaction>> reactions_;
  std::vector<EventHandlerRef> handlers_;
};

inline EventRef NewEvent(UInt32 eventClass, UInt32 kind) {
  EventRef event = nullptr;
  CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event);
  return event;
}

// The command an event carries (zeros when it has none).
inline HICommandExtended CommandOf(EventRef event) {
  HICommandExtended command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                    &command);
  return command;
}

// A four-character code as its text ('pref' -> "pref").
inline std::string FourCCText(UInt32 code) {
  return {static_cast<char>(code >> 24), static_cast<char>(code >> 16),
          static_cast<char>(code >> 8), static_cast<char>(code)};
}

// Sends an event of that class and kind with no parameters and gives it back.
inline OSStatus Send(EventTargetRef target, UInt32 eventClass, UInt32 kind) {
  EventRef event = NewEvent(eventClass, kind);
  const OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

}  // namespace toolbox_test
