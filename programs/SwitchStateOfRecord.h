// The switch record as the scripting interface shows it: ports from 1, the auto-scan period in
// seconds, and the active port only when the switch's last report confirmed it (as the icon does).
#pragma once

#include "platform/dbus/SwitchState.h"
#include "switch/KVMSwitch.h"

plat::dbus::SwitchState SwitchStateOfRecord(const _KVM_INFO& info);
