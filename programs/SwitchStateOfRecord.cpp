#include "programs/SwitchStateOfRecord.h"

namespace {
constexpr SInt32 kOpen = 2;
constexpr std::uint32_t kSecondsPerPeriodUnit = 5;
}  // namespace

plat::dbus::SwitchState SwitchStateOfRecord(const _KVM_INFO& info) {
  plat::dbus::SwitchState state;
  if (info.deviceState != kOpen)
    return state;
  state.connected = true;
  state.generation =
      info.linkKind == 1 || info.linkKind == 2 ? static_cast<std::uint32_t>(info.linkKind) : 0;
  state.portCount = info.portCount > 0 ? static_cast<std::uint32_t>(info.portCount) : 0;
  for (std::uint32_t k = 0; k < state.portCount && k < 8; ++k) {
    if ((info.availablePorts >> k) & 1)
      state.availablePorts.push_back(k + 1);
  }
  if (info.currentPort == info.confirmedPort && info.currentPort >= 0 &&
      static_cast<std::uint32_t>(info.currentPort) < state.portCount) {
    state.activePort = static_cast<std::uint32_t>(info.currentPort) + 1;
  }
  state.autoScan = info.autoScanOn == 1;
  state.autoScanPeriod = info.autoScanPeriod > 0 ? static_cast<std::uint32_t>(info.autoScanPeriod) *
                                                       kSecondsPerPeriodUnit
                                                 : 0;
  state.buzzer = info.buzzerOn == 1;
  return state;
}
