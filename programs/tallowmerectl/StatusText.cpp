#include "programs/tallowmerectl/StatusText.h"

#include <cstring>
#include <nlohmann/json.hpp>

namespace ctl {
namespace {

const char* YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

std::string PropertyLine(const plat::dbus::SwitchState& state, const char* name) {
  std::string value;
  if (std::strcmp(name, "Connected") == 0) {
    value = YesNo(state.connected);
  } else if (std::strcmp(name, "Generation") == 0) {
    value = std::to_string(state.generation);
  } else if (std::strcmp(name, "PortCount") == 0) {
    value = std::to_string(state.portCount);
  } else if (std::strcmp(name, "AvailablePorts") == 0) {
    for (std::uint32_t port : state.availablePorts)
      value += (value.empty() ? "" : " ") + std::to_string(port);
  } else if (std::strcmp(name, "ActivePort") == 0) {
    value = std::to_string(state.activePort);
  } else if (std::strcmp(name, "AutoScan") == 0) {
    value = YesNo(state.autoScan);
  } else if (std::strcmp(name, "AutoScanPeriod") == 0) {
    value = std::to_string(state.autoScanPeriod);
  } else if (std::strcmp(name, "Buzzer") == 0) {
    value = YesNo(state.buzzer);
  } else {
    return "";
  }
  return std::string(name) + (value.empty() ? ":" : ": ") + value + "\n";
}

std::string StatusLines(const plat::dbus::SwitchState& state) {
  std::string lines;
  for (const char* name : plat::dbus::kPropertyNames)
    lines += PropertyLine(state, name);
  return lines;
}

std::string StatusJson(const plat::dbus::SwitchState& state) {
  nlohmann::ordered_json object;
  object["Connected"] = state.connected;
  object["Generation"] = state.generation;
  object["PortCount"] = state.portCount;
  object["AvailablePorts"] = state.availablePorts;
  object["ActivePort"] = state.activePort;
  object["AutoScan"] = state.autoScan;
  object["AutoScanPeriod"] = state.autoScanPeriod;
  object["Buzzer"] = state.buzzer;
  return object.dump() + "\n";
}

}  // namespace ctl
