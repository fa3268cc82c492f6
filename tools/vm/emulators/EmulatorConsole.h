// What the two switch emulators share: commands read line by line from standard input while the
// run loop serves the device, and a log of every exchange on standard output, one line each, so
// that a scenario can wait for a line and compare what the switch received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/RunLoop.h"
#include "platform/sim/SimulatedSwitch.h"

namespace tallowmere::vm {

// "04 81 01 00 00 00 00 00": bytes as the log shows them.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

// Prints one line of the log and flushes it at once: the scenario reads it while we run.
void Log(std::string_view line);

class EmulatorConsole {
 public:
  using Handler = std::function<void(std::string_view argument)>;

  // `name` and its argument, e.g. "button 2"; "quit" and the end of the input stop the loop.
  void On(std::string name, Handler handler) { handlers_[std::move(name)] = std::move(handler); }
  // Serves the commands until "quit" or the end of the input.
  void Start();

 private:
  void Ready();
  void Execute(std::string_view line);

  std::map<std::string, Handler, std::less<>> handlers_;
  std::string pending_;
  plat::RunLoop::Id source_ = 0;
};

// "10D5:5504": vendor and product ids in hexadecimal; false when the text is not that.
bool ParseIds(std::string_view text, unsigned& vendor, unsigned& product);

// "button N" takes a port number from 1 to 4 as a person reads it on the panel; 0-based result,
// or -1 when the text is not such a number.
int PanelPort(std::string_view argument);

// What both emulators do with a device of their kind (one with Plug() and Unplug()) and the
// switch state behind it: plug it in, serve "button N", "unplug" and "plug" (and the device's own
// commands, where it has AddCommands) until "quit" or the end of the input, and unplug it on the
// way out. Answers the exit status of the program.
template <typename Device>
int ServeSwitch(Device& device, plat::sim::SimulatedSwitch& state) {
  EmulatorConsole console;
  console.On("button", [&](std::string_view argument) {
    const int port = PanelPort(argument);
    if (port < 0) {
      Log("button: say button 1 to button 4");
      return;
    }
    state.PressButton(port);
    Log("button " + std::string(argument) + ": port " + std::to_string(state.CurrentPort() + 1));
  });
  console.On("unplug", [&](std::string_view) { device.Unplug(); });
  console.On("plug", [&](std::string_view) { device.Plug(); });
  if constexpr (requires { device.AddCommands(console); })
    device.AddCommands(console);
  console.Start();
  if (!device.Plug())
    return 1;
  plat::RunLoop::Main().RunUntil(plat::kForever);
  device.Unplug();
  return 0;
}

}  // namespace tallowmere::vm
