// The Preferences window over a simulated switch: a fresh toolbox, hot-key registry and switch
// record, a working directory of its own for "HOTKEY.CFG", and a person's view and actions.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/HotKeyFile.h"
#include "app/StartupChecks.h"
#include "platform/CFBundle.h"
#include "platform/FrontModel.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "prefs/ControlIDs.h"
#include "prefs/HotKeyCapture.h"
#include "prefs/MainWindow.h"
#include "tests/hotkeys/WorkingDirectory.h"
#include "tests/switch/SimulatedLink.h"

class PreferencesTest : public ::testing::Test {
 protected:
  using Bytes = std::vector<UInt8>;
  PreferencesTest() {
    Fresh();
    ClearSwitchRecord();
    CreateSwitchRegion();
    std::memcpy(KVMSwitch.hotKeys, DefaultKeys, sizeof KVMSwitch.hotKeys);
  }
  ~PreferencesTest() override {
    if (pOurWindow != nullptr && pOurWindow->CloseDialog())
      delete pOurWindow;
    if (link)
      std::swap(KVMSwitch.info, link->info);  // the link gives its handles back
    DeleteSwitchRegion();
    Fresh();
  }
  static void Fresh() {
    plat::ResetToolbox();
    plat::SetMainBundleResourcesDirectory("");
  }
  // The switch as discovery leaves it in the switch record: open, of its link kind, after it
  // carried out `commands` (reports or packets of 8 bytes, zeros after those given). It takes
  // the place of the switch plugged before.
  void Plug(plat::sim::SwitchConfig config, const std::vector<Bytes>& commands = {}) {
    if (link)
      std::swap(KVMSwitch.info, link->info);
    link = std::make_unique<SimulatedLink>(std::move(config));
    std::swap(KVMSwitch.info, link->info);
    for (Bytes command : commands) {
      command.resize(8);
      if (link->simulated->Generation() == 2)
        link->simulated->ExecuteCommandReport(command.data(), command.size());
      else
        link->simulated->ExecuteCommandPacket(command.data(), command.size());
    }
  }
  // The bytes of every command the switch was sent since the last call.
  std::vector<Bytes> Sent() {
    std::vector<Bytes> sent = link->Commands();
    link->simulated->ClearExchanges();
    return sent;
  }

  static void Open() { MainWindow::Create(true, CFSTR("Preferences"), CFSTR("main")); }
  static WindowRef Window() { return pOurWindow->GetWindowRef(); }
  static ControlRef Control(const ControlID& id) { return pOurWindow->GetView(id); }
  // What a person sees of the control with `id`, or of the button with `title`.
  static plat::ControlView View(const ControlID& id, const std::string& title = "") {
    const auto window = plat::DescribeWindow(Window());
    for (const plat::ControlView& view : window ? window->controls : decltype(window->controls){}) {
      if (title.empty() ? view.ref == Control(id) : view.title == title)
        return view;
    }
    ADD_FAILURE() << "no control " << id.id << title;
    return {};
  }
  static std::string Selected(const ControlID& popup) {
    const plat::ControlView view = View(popup);
    return view.value < 1 ? "" : view.popupItems.at(static_cast<std::size_t>(view.value - 1));
  }
  static void Press(const std::string& button) { plat::ClickControl(View({}, button).ref); }
  // A key pressed in hot-key field `field`, whose handler listens even while it is hidden.
  static void TypeInto(int field, UInt32 keyCode) {
    TCarbonEvent event(kEventClassKeyboard, kEventRawKeyDown);
    const char character = plat::KeyCharacter(keyCode, 0);
    event.SetParameter(kEventParamKeyCode, keyCode);
    event.SetParameter(kEventParamKeyMacCharCodes, typeChar, 1, &character);
    SendEventToEventTarget(event, GetControlEventTarget(Control(kHotKeyIDs[field])));
  }

  WorkingDirectory cwd;
  std::unique_ptr<SimulatedLink> link;
};
