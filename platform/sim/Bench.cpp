#include "platform/sim/Bench.h"

#include <algorithm>

#include "platform/model/iokit/IORegistry.h"

namespace plat::sim {

Bench& Bench::Shared() {
  static Bench bench;
  return bench;
}

std::shared_ptr<SimulatedSwitch> Bench::PlugSwitch(SwitchConfig config,
                                                   std::optional<UInt8> available) {
  auto simulated = SimulatedSwitch::Create(std::move(config));
  if (available) {
    for (int port = 0; port < simulated->PortCount(); ++port)
      simulated->SetPortAvailable(port, (*available & (1u << port)) != 0);
  }
  Attach({simulated, simulated->CreateServices()});
  return simulated;
}

SwitchServices Bench::PlugHIDDevice(const HIDDeviceConfig& config) {
  SwitchServices services = CreateOtherHIDDeviceServices(config);
  Attach({nullptr, services});
  return services;
}

void Bench::Attach(Plugged device) {
  IORegistry& registry = IORegistry::Shared();
  registry.Register(device.services.usbDevice);
  for (const auto& usbInterface : device.services.usbInterfaces)
    registry.Register(usbInterface);
  registry.Register(device.services.hidDevice);
  devices_.push_back(std::move(device));
}

void Bench::Detach(std::vector<Plugged>::iterator device) {
  Plugged gone = std::move(*device);
  devices_.erase(device);
  if (gone.simulated != nullptr)
    gone.simulated->SetConnected(false);
  IORegistry::Shared().Terminate(gone.services.usbDevice);
}

bool Bench::Unplug(const std::shared_ptr<SimulatedSwitch>& simulated) {
  auto found = std::ranges::find(devices_, simulated, &Plugged::simulated);
  if (simulated == nullptr || found == devices_.end())
    return false;
  Detach(found);
  return true;
}

bool Bench::Unplug(const SwitchServices& device) {
  auto found = std::ranges::find_if(devices_, [&device](const Plugged& plugged) {
    return plugged.services.usbDevice == device.usbDevice;
  });
  if (device.usbDevice == nullptr || found == devices_.end())
    return false;
  Detach(found);
  return true;
}

bool Bench::UnplugNewest() {
  if (devices_.empty())
    return false;
  Detach(devices_.end() - 1);
  return true;
}

std::shared_ptr<SimulatedSwitch> Bench::NewestSwitch() const {
  for (auto device = devices_.rbegin(); device != devices_.rend(); ++device) {
    if (device->simulated != nullptr)
      return device->simulated;
  }
  return nullptr;
}

const SwitchServices* Bench::ServicesOf(const std::shared_ptr<SimulatedSwitch>& simulated) const {
  auto found = std::ranges::find(devices_, simulated, &Plugged::simulated);
  return simulated == nullptr || found == devices_.end() ? nullptr : &found->services;
}

}  // namespace plat::sim
