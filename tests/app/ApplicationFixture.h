// The whole program over the simulated platform: each test runs the real start-up (the one main
// runs) in a working directory of its own, with a person acting inside the event loop, and
// starts from a fresh process state.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/CarbonEvents.h"
#include "platform/FrontModel.h"
#include "platform/sim/Bench.h"
#include "platform/sim/SimulatedSwitch.h"
#include "switch/KVMSwitch.h"
#include "tests/bundle/DockTiles.h"
#include "tests/discovery/ScenarioFixture.h"
#include "tests/hotkeys/WorkingDirectory.h"

class ApplicationTest : public testing::Test {
 public:
  using Bytes = std::vector<UInt8>;

  ApplicationTest() { Fresh(); }
  ~ApplicationTest() override { Fresh(); }

  // Runs the program. `person` acts inside its event loop; then the menu bar's Quit ends it.
  // Answers what the program returns.
  int RunProgram(std::function<void()> person);

  // A version-2 switch with every capability (or a version-1 switch), plugged in.
  std::shared_ptr<plat::sim::SimulatedSwitch> Plug(int generation = 2, int ports = 4,
                                                   std::optional<UInt8> available = {});
  // The command reports (or packets) the switch was sent since the last call, with the tick each
  // was sent at.
  static std::vector<Bytes> Sent(plat::sim::SimulatedSwitch& simulated,
                                 std::vector<UInt32>* ticks = nullptr);
  static int Reads(const plat::sim::SimulatedSwitch& simulated);

  // What a person or the system does, as the events the application receives.
  static OSStatus Command(const char* command);
  static OSStatus HotKey(UInt32 id);
  static OSStatus PressHotKeyOfPort(int port);

  // Starts from a fresh process state, as each test does (a test of several runs between them).
  static void Fresh();

  WorkingDirectory folder;
  _KVM_INFO& info = KVMSwitch.info;
};
