// The switch as the running program sees it, in the terms of the scripting interface: the
// properties of org.tallowmere.Switch1, with ports numbered from 1.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat::dbus {

struct SwitchState {
  bool connected = false;
  std::uint32_t generation = 0;  // 1 or 2; 0 with no switch
  std::uint32_t portCount = 0;
  std::vector<std::uint32_t> availablePorts;  // ascending, from 1
  std::uint32_t activePort = 0;               // 0: not known
  bool autoScan = false;
  std::uint32_t autoScanPeriod = 0;  // seconds
  bool buzzer = false;

  bool operator==(const SwitchState&) const = default;
  bool Offers(std::uint32_t port) const;
};

// The property names, in the order the interface lists them.
inline constexpr std::array<const char*, 8> kPropertyNames{
    "Connected",  "Generation", "PortCount",      "AvailablePorts",
    "ActivePort", "AutoScan",   "AutoScanPeriod", "Buzzer"};

// Where the program's view of the switch comes from: the program registers a source (it knows
// its switch record; the platform does not) while its static objects are made.
using SwitchStateSource = std::function<SwitchState()>;
void SetSwitchStateSource(SwitchStateSource source);
// The current view; all defaults when no source is registered.
SwitchState CurrentSwitchState();

}  // namespace plat::dbus
