// tallowmere-sim's desk: the simulated switches a person plugs in and out, and their front-panel
// buttons, as console commands. A 4-port version-2 switch with every capability is on the desk
// when the program comes up.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/console/Arguments.h"
#include "platform/console/Console.h"
#include "platform/sim/Bench.h"

namespace {

using plat::console::Console;
using plat::console::ParseNumber;
using plat::console::Quoted;
using plat::console::SplitFirstWord;
using plat::console::Words;
using plat::sim::Bench;
using plat::sim::SwitchConfig;

constexpr UInt32 kVendor = 0x10D5;
constexpr UInt32 kVersion2Product = 0x5500;
constexpr UInt32 kVersion1Product = 0x000D;

// A switch of `generation` with every capability that generation can report.
SwitchConfig DeskSwitch(int generation) {
  SwitchConfig config;
  config.generation = generation;
  config.ports = 4;
  config.vendorID = kVendor;
  config.productID = generation == 2 ? kVersion2Product : kVersion1Product;
  if (generation == 2) {
    // Buzzer, fixable audio, both hubs fixable, the auto-scan period and the trigger key.
    config.capabilities = plat::sim::Capabilities{};
  }
  // A version-1 switch reports its generation's own set: no hubs and no trigger key.
  return config;
}

// plug v1|v2 [ports=N] [available=0xHH] [vid=0xVVVV] [pid=0xPPPP]
void Plug(Console& console, std::string_view arguments) {
  const auto [kind, options] = SplitFirstWord(arguments);
  if (kind != "v1" && kind != "v2") {
    console.Print(
        "plug: say plug v1 or plug v2, then any of ports=N available=0xHH vid=0xVVVV "
        "pid=0xPPPP");
    return;
  }
  SwitchConfig config = DeskSwitch(kind == "v1" ? 1 : 2);
  std::optional<UInt8> available;
  for (std::string_view option : Words(options)) {
    const std::size_t equals = option.find('=');
    const std::string_view name = option.substr(0, equals);
    const std::string_view text = equals == std::string_view::npos ? "" : option.substr(equals + 1);
    std::optional<long> value;
    if (name == "ports" && (value = ParseNumber(text, 2, 4))) {
      config.ports = static_cast<int>(*value);
    } else if (name == "available" && (value = ParseNumber(text, 0, 0xFF))) {
      available = static_cast<UInt8>(*value);
    } else if (name == "vid" && (value = ParseNumber(text, 0, 0xFFFF))) {
      config.vendorID = static_cast<UInt32>(*value);
    } else if (name == "pid" && (value = ParseNumber(text, 0, 0xFFFF))) {
      config.productID = static_cast<UInt32>(*value);
    } else {
      console.Print("plug: " + Quoted(option) +
                    " is not one of ports=2..4 available=0x00..0xFF vid=0xVVVV pid=0xPPPP");
      return;
    }
  }
  if (config.generation == 1 && config.ports == 3) {
    console.Print("plug: a version-1 switch has 2 or 4 ports");
    return;
  }
  Bench::Shared().PlugSwitch(config, available);
}

void Unplug(Console& console, std::string_view arguments) {
  if (!arguments.empty()) {
    console.Print("unplug: takes no arguments");
  } else if (!Bench::Shared().UnplugNewest()) {
    console.Print("unplug: nothing is plugged in");
  }
}

// The cable pulled out before the program hears of it: the switch answers nothing from now on,
// and its removal is announced at `unplug`.
void Disconnect(Console& console, std::string_view arguments) {
  const auto simulated = Bench::Shared().NewestSwitch();
  if (!arguments.empty()) {
    console.Print("disconnect: takes no arguments");
  } else if (simulated == nullptr) {
    console.Print("disconnect: nothing is plugged in");
  } else {
    simulated->SetConnected(false);
  }
}

void Button(Console& console, std::string_view arguments) {
  const auto simulated = Bench::Shared().NewestSwitch();
  if (simulated == nullptr) {
    console.Print("button: no switch is plugged in");
    return;
  }
  if (arguments.empty()) {
    console.Print("button: usage: button N");
    return;
  }
  const std::optional<long> port = ParseNumber(arguments, 1, simulated->PortCount());
  if (!port) {
    console.Print("button: the switch has no button " + Quoted(arguments) +
                  " (its buttons are 1 to " + std::to_string(simulated->PortCount()) + ")");
    return;
  }
  simulated->PressButton(static_cast<int>(*port - 1));
}

// "PC3" for a binding fixed to port index 2, "follows" for one that follows the active port.
std::string Binding(bool fixed, int port) {
  return fixed ? "PC" + std::to_string(port + 1) : "follows";
}

// The switch's own state, ports counted from 1 as on its front panel; only what it has.
void Sim(Console& console, std::string_view arguments) {
  if (!arguments.empty()) {
    console.Print("sim: takes no arguments");
    return;
  }
  const auto simulated = Bench::Shared().NewestSwitch();
  if (simulated == nullptr) {
    console.Print("sim: no switch is plugged in");
    return;
  }
  const plat::sim::Capabilities& offers = simulated->Offers();
  char head[128];
  std::snprintf(head, sizeof head, "switch v%d %04X:%04X ports=%d available=0x%02X port=%d",
                simulated->Generation(), simulated->VendorID(), simulated->ProductID(),
                simulated->PortCount(), simulated->AvailablePorts(), simulated->CurrentPort() + 1);
  std::string line = head;
  if (offers.buzzer)
    line += std::string(" buzzer=") + (simulated->BuzzerOn() ? "on" : "off");
  if (offers.audio)
    line += " audio=" + Binding(simulated->AudioFixed(), simulated->AudioPort());
  for (int hub = 0; hub < 2; ++hub) {
    if (offers.hub[static_cast<std::size_t>(hub)]) {
      line += " hub" + std::to_string(hub + 1) + "=" +
              Binding(simulated->HubFixed(hub), simulated->HubPort(hub));
    }
  }
  line += std::string(" autoscan=") + (simulated->AutoScanOn() ? "on" : "off");
  if (offers.autoScanPeriod)
    line += " every " + std::to_string(simulated->AutoScanSeconds()) + "s";
  if (offers.universalHotKey) {
    char trigger[16];
    std::snprintf(trigger, sizeof trigger, " trigger=0x%02X", simulated->TriggerKey());
    line += trigger;
  }
  console.Print(line);
}

[[maybe_unused]] const bool onTheDesk = [] {
  plat::console::AddProgramStart([] { Bench::Shared().PlugSwitch(DeskSwitch(2)); });
  plat::console::AddProgramCommand(
      {"plug", "plug v1|v2 [ports=N] [available=0xHH] [vid=0xVVVV] [pid=0xPPPP]",
       "plug in a switch (4 ports, all available, 10D5:5500 v2, 10D5:000D v1)", Plug});
  plat::console::AddProgramCommand(
      {"unplug", "unplug", "unplug the switch plugged in last", Unplug});
  plat::console::AddProgramCommand(
      {"disconnect", "disconnect",
       "the switch plugged in last stops answering; its removal comes at unplug", Disconnect});
  plat::console::AddProgramCommand(
      {"button", "button N", "press the switch's own button for port N", Button});
  plat::console::AddProgramCommand({"sim", "sim", "the simulated switch's own state", Sim});
  return true;
}();

}  // namespace
