#include "benchmarks/SimulatedProgram.h"

#include "app/ApplicationMain.h"
#include "hid/HIDRemovalAndPolling.h"
#include "platform/FrontModel.h"
#include "platform/Menus.h"
#include "platform/RunLoop.h"
#include "platform/sim/Bench.h"
#include "switch/KVMSwitch.h"

namespace bench {
namespace {

class MeasuringFront final : public plat::Front {
 public:
  explicit MeasuringFront(std::function<void()> inside) : inside_(std::move(inside)) {}
  void Start() override {
    plat::RunLoop::Main().Post([this] {
      inside_();
      MenuRef menu = nullptr;
      MenuItemIndex item = 0;
      if (GetIndMenuItemWithCommandID(nullptr, kHICommandQuit, 1, &menu, &item) == noErr)
        plat::ChooseMenuItem(menu, item);
    });
  }
  void Stop() override {}

 private:
  std::function<void()> inside_;
};

}  // namespace

int RunProgramWith(std::function<void()> inside) {
  MeasuringFront front(std::move(inside));
  plat::InstallFront(&front);
  const int result = ApplicationMain();
  plat::InstallFront(nullptr);
  return result;
}

std::shared_ptr<plat::sim::SimulatedSwitch> PlugOpenedSwitch(int generation) {
  plat::sim::Bench& desk = plat::sim::Bench::Shared();
  while (desk.UnplugNewest()) {
  }
  plat::RunLoop::Main().RunFor(plat::SecondsToNanos(1));
  plat::sim::SwitchConfig config;
  config.generation = generation;
  config.ports = 4;
  config.productID = 0x5500;  // a product id both generations use
  auto simulated = desk.PlugSwitch(config);
  // Discovery opens it at once; the first poll comes kFirstPollDelay later. Only a switch opened
  // on the HID route (generation 2) is polled.
  plat::RunLoop::Main().RunFor(plat::SecondsToNanos(kFirstPollDelay + 1));
  if (KVMSwitch.info.deviceState != 2 || (generation == 2) != (theTimer != nullptr))
    return nullptr;
  return simulated;
}

}  // namespace bench
