#include "tests/app/ApplicationFixture.h"

#include <filesystem>

#include "app/ApplicationMain.h"
#include "app/StartupChecks.h"
#include "platform/DockTile.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/Menus.h"
#include "platform/RunLoop.h"
#include "prefs/MainWindow.h"

namespace {

using Kind = plat::sim::Exchange::Kind;

// Runs the person's part as the event loop's first work, then quits as the menu bar does.
class PersonFront final : public plat::Front {
 public:
  explicit PersonFront(std::function<void()> person) : person_(std::move(person)) {}
  void Start() override {
    plat::RunLoop::Main().Post([this] {
      person_();
      MenuRef menu = nullptr;
      MenuItemIndex item = 0;
      ASSERT_EQ(GetIndMenuItemWithCommandID(nullptr, kHICommandQuit, 1, &menu, &item), noErr);
      plat::ChooseMenuItem(menu, item);
    });
  }
  void Stop() override {}

 private:
  std::function<void()> person_;
};

}  // namespace

void ApplicationTest::Fresh() {
  // The Preferences window lives as long as the process; so does everything else reset here.
  if (pOurWindow != nullptr) {
    pOurWindow->CloseDialog();
    delete pOurWindow;
  }
  plat::InstallFront(nullptr);
  plat::ResetToolbox();
  ResetSystemAndPlatform();
  DeleteSwitchRegion();
}

int ApplicationTest::RunProgram(std::function<void()> person) {
  PersonFront front(std::move(person));
  plat::InstallFront(&front);
  testing::internal::CaptureStderr();
  const int result = ApplicationMain();
  testing::internal::GetCapturedStderr();
  plat::InstallFront(nullptr);
  return result;
}

std::shared_ptr<plat::sim::SimulatedSwitch> ApplicationTest::Plug(int generation, int ports,
                                                                  std::optional<UInt8> available) {
  plat::sim::SwitchConfig config;
  config.generation = generation;
  config.ports = ports;
  config.productID = 0x5500;
  return plat::sim::Bench::Shared().PlugSwitch(config, available);
}

std::vector<ApplicationTest::Bytes> ApplicationTest::Sent(plat::sim::SimulatedSwitch& simulated,
                                                          std::vector<UInt32>* ticks) {
  std::vector<Bytes> sent;
  for (const auto& exchange : simulated.Exchanges()) {
    if (exchange.kind == Kind::kSetReport || exchange.kind == Kind::kWritePipe) {
      sent.push_back(exchange.bytes);
      if (ticks != nullptr)
        ticks->push_back(exchange.tick);
    }
  }
  simulated.ClearExchanges();
  return sent;
}

int ApplicationTest::Reads(const plat::sim::SimulatedSwitch& simulated) {
  int reads = 0;
  for (const auto& exchange : simulated.Exchanges())
    reads += exchange.kind == Kind::kGetReport || exchange.kind == Kind::kDeviceRequest ? 1 : 0;
  return reads;
}

OSStatus ApplicationTest::Command(const char* command) {
  HICommand record{};
  record.commandID = FourCCFromText(command);
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeUserEvent,
              &event);
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof record, &record);
  const OSStatus status = SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return status;
}

OSStatus ApplicationTest::HotKey(UInt32 id) {
  const EventHotKeyID hotKey{FourCC("PCH1") + id - 1, id};
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassKeyboard, kEventHotKeyPressed, 0, 0, &event);
  SetEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, sizeof hotKey, &hotKey);
  const OSStatus status = SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return status;
}

OSStatus ApplicationTest::PressHotKeyOfPort(int port) {
  // The default keys: the number keys of the main keyboard.
  const UInt16 keys[] = {kVK_ANSI_1, kVK_ANSI_2, kVK_ANSI_3, kVK_ANSI_4};
  return plat::PressHotKey(keys[port - 1], controlKey | optionKey);
}
