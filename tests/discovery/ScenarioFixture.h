// Scenarios over the simulated bench: each starts as the process does (a cleared switch record
// with its lock, the application's own Dock icon, no devices) on a fresh run loop and clock.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "hid/HIDDiscovery.h"
#include "hid/HIDRemovalAndPolling.h"
#include "platform/RunLoop.h"
#include "platform/sim/Bench.h"
#include "switch/KVMSwitch.h"

// Gives back what the system keeps for the whole process (as the operating system would at its
// exit) and starts the platform afresh: registry, handles, run loop, clock, Dock tile.
void ResetSystemAndPlatform();

// The file the Dock tile's image came from ("" while it shows the application's own icon).
std::string ShownIcon();

class ScenarioTest : public testing::Test {
 protected:
  void SetUp() override { ResetSystemAndPlatform(); }
  void TearDown() override { ResetSystemAndPlatform(); }

  static void StartDiscovery() {
    ASSERT_EQ(HIDSetMatchingDevices(&KVMSwitch, DeviceList, VendorCount), KERN_SUCCESS);
  }
  // Delivers what is due now (arrivals, removals), without letting time pass.
  static void Deliver() { plat::RunLoop::Main().RunPending(); }
  static void Wait(double seconds) { plat::RunLoop::Main().RunFor(plat::SecondsToNanos(seconds)); }
  // What `action` writes to standard error.
  template <typename Action>
  static std::string StderrOf(Action action) {
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
  }

  plat::sim::Bench& bench = plat::sim::Bench::Shared();
  _KVM_INFO& info = KVMSwitch.info;
};
