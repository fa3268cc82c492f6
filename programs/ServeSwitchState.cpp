// Linked into a program: the scripting interface shows the program's own switch record.
#include "programs/SwitchStateOfRecord.h"

namespace {

[[maybe_unused]] const bool registered =
    (plat::dbus::SetSwitchStateSource([] { return SwitchStateOfRecord(KVMSwitch.info); }), true);

}  // namespace
