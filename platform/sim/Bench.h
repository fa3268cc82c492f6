// The simulation's workbench: what a person does with the cables and the switches' front panels.
//
// Plugging a device in attaches its services to the registry (the USB device, its interfaces,
// then the HID device), whose notifications tell the program from the run loop; unplugging
// disconnects the device and terminates its services. Switches of both generations can be
// plugged, several at once, and HID devices that are not switches.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/sim/OtherHIDDevice.h"
#include "platform/sim/SimulatedSwitch.h"

namespace plat::sim {

class Bench {
 public:
  static Bench& Shared();

  // A new switch, plugged in. `available` chooses the ports that can be selected (bit k: port
  // index k); all of them when not given.
  std::shared_ptr<SimulatedSwitch> PlugSwitch(SwitchConfig config = {},
                                              std::optional<UInt8> available = std::nullopt);
  // A HID device that is not a switch, plugged in. Its services may still be changed until the
  // run loop delivers its arrival.
  SwitchServices PlugHIDDevice(const HIDDeviceConfig& config = {});

  // False when the device is not plugged in.
  bool Unplug(const std::shared_ptr<SimulatedSwitch>& simulated);
  bool Unplug(const SwitchServices& device);
  // The device plugged in last of those still plugged in; false when there is none.
  bool UnplugNewest();

  // The switch plugged in last of those still plugged in, or null.
  std::shared_ptr<SimulatedSwitch> NewestSwitch() const;
  // The services of a switch that is plugged in, or null.
  const SwitchServices* ServicesOf(const std::shared_ptr<SimulatedSwitch>& simulated) const;
  std::size_t PluggedCount() const { return devices_.size(); }

  // Forgets every device without telling anyone, for the next test (the registry is reset on
  // its own).
  void Reset() { devices_.clear(); }

 private:
  struct Plugged {
    std::shared_ptr<SimulatedSwitch> simulated;  // null for other HID devices
    SwitchServices services;
  };
  void Attach(Plugged device);
  void Detach(std::vector<Plugged>::iterator device);

  std::vector<Plugged> devices_;
};

}  // namespace plat::sim
