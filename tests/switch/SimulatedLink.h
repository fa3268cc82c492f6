// A simulated switch reached the way discovery leaves it: a _KVM_INFO of its link kind holding
// its device interface. Starts the virtual clock and the run loop afresh and gives back every
// handle at the end.
#pragma once

#include <string>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/sim/DeviceHandles.h"
#include "platform/sim/SimulatedSwitch.h"
#include "platform/sim/VirtualClock.h"
#include "switch/KVMSwitch.h"

class SimulatedLink {
 public:
  explicit SimulatedLink(plat::sim::SwitchConfig config = {}) {
    plat::TheVirtualClock().Reset();
    plat::RunLoop::Main().Reset();
    simulated = plat::sim::SimulatedSwitch::Create(std::move(config));
    services = simulated->CreateServices();
    info.linkKind = simulated->Generation();
    info.deviceState = 2;
    if (simulated->Generation() == 2) {
      info.device.hidDevice = plat::sim::CreateHIDDeviceInterface(services.hidDevice);
    } else {
      info.device.deviceInterface = plat::sim::CreateUSBDeviceInterface(services.usbDevice);
    }
  }
  ~SimulatedLink() {
    DEVICE_DATA& device = info.device;
    if (device.hidDevice != nullptr)
      (*device.hidDevice)->Release(device.hidDevice);
    if (device.deviceInterface != nullptr) {
      (*device.deviceInterface)->Release(device.deviceInterface);
    }
    if (device.interfaceInterface != nullptr) {
      (*device.interfaceInterface)->Release(device.interfaceInterface);
    }
    plat::RunLoop::Main().Reset();
  }
  SimulatedLink(const SimulatedLink&) = delete;
  SimulatedLink& operator=(const SimulatedLink&) = delete;

  // The bytes of every command the switch was sent (report or packet), in order.
  std::vector<std::vector<UInt8>> Commands() const {
    std::vector<std::vector<UInt8>> sent;
    for (const auto& exchange : simulated->Exchanges()) {
      if (exchange.kind == Kind::kSetReport || exchange.kind == Kind::kWritePipe) {
        sent.push_back(exchange.bytes);
      }
    }
    return sent;
  }
  // The kinds of the exchanges, as letters: o/c open/close, g/s get/set report, O/C device
  // open/close, R request, K configuration, i/I interface open/close, w write.
  std::string Trace() const {
    std::string trace;
    for (const auto& exchange : simulated->Exchanges()) {
      trace += "ocgsOCRKiIw"[static_cast<int>(exchange.kind)];
    }
    return trace;
  }
  UInt32 Ticks() const { return TickCount(); }

  using Kind = plat::sim::Exchange::Kind;
  std::shared_ptr<plat::sim::SimulatedSwitch> simulated;
  plat::sim::SwitchServices services;
  _KVM_INFO info{};
};
