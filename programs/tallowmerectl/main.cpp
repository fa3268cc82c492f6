// tallowmerectl: the switch from scripts and key bindings, through the running tallowmere's
// scripting interface on the session bus, or directly when tallowmere does not run.
#include <cstdio>
#include <string>
#include <vector>

#include "programs/tallowmerectl/BusClient.h"
#include "programs/tallowmerectl/CommandLine.h"
#include "programs/tallowmerectl/DirectMode.h"
#include "programs/tallowmerectl/PortOrder.h"
#include "programs/tallowmerectl/StatusText.h"
#include "programs/tallowmerectl/Version.h"

namespace ctl {
namespace {

const Outcome kNotRunning = Failure(kNoSwitch, "tallowmere is not running");

Outcome PrintStatus(const plat::dbus::SwitchState& state, bool json) {
  const std::string out = json ? StatusJson(state) : StatusLines(state);
  std::fputs(out.c_str(), stdout);
  return state.connected ? Done() : Failure(kNoSwitch, "no switch is connected");
}

Outcome Run(const Request& request, BusClient& bus) {
  switch (request.verb) {
    case Verb::kHelp:
      std::fputs(UsageText(), stdout);
      return Done();
    case Verb::kVersion:
      std::printf("tallowmerectl %s\n", kTallowmereVersion);
      return Done();
    case Verb::kStatus:
      if (const auto state = bus.Properties())
        return PrintStatus(*state, request.json);
      return DirectStatus(request.json);
    case Verb::kSwitch:
      if (auto outcome = bus.Call("SwitchTo", g_variant_new("(u)", request.port)))
        return *outcome;
      return DirectSwitch(request.port);
    case Verb::kNext:
    case Verb::kPrevious: {
      const auto state = bus.Properties();
      if (!state)
        return kNotRunning;
      if (!state->connected)
        return Failure(kNoSwitch, "no switch is connected");
      const std::uint32_t port = NeighbourPort(*state, request.verb == Verb::kNext ? 1 : -1);
      if (port == 0)
        return Failure(kFailed, "no port of the switch can be selected now");
      return bus.Call("SwitchTo", g_variant_new("(u)", port)).value_or(kNotRunning);
    }
    case Verb::kAutoScan: {
      bool on = request.autoScan == AutoScanChange::kOn;
      if (request.autoScan == AutoScanChange::kToggle) {
        const auto state = bus.Properties();
        if (!state)
          return kNotRunning;
        on = !state->autoScan;
      }
      return bus.Call("SetAutoScan", g_variant_new("(b)", on)).value_or(kNotRunning);
    }
    case Verb::kPreferences:
      return bus.Call("ShowPreferences", nullptr).value_or(kNotRunning);
    case Verb::kQuit:
      return bus.Call("Quit", nullptr).value_or(kNotRunning);
    case Verb::kWatch:
      return bus.Watch(request.json);
  }
  return Failure(kUsage, "unknown command");
}

}  // namespace
}  // namespace ctl

int main(int argc, char** argv) {
  const ctl::Parsed parsed = ctl::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.ok) {
    std::fprintf(stderr, "tallowmerectl: %s\n", parsed.error.c_str());
    return ctl::kUsage;
  }
  ctl::BusClient bus;
  const ctl::Verb verb = parsed.request.verb;
  if (verb != ctl::Verb::kHelp && verb != ctl::Verb::kVersion)
    bus.Connect();
  const ctl::Outcome outcome = ctl::Run(parsed.request, bus);
  std::fflush(stdout);
  if (!outcome.error.empty())
    std::fprintf(stderr, "tallowmerectl: %s\n", outcome.error.c_str());
  return outcome.status;
}
