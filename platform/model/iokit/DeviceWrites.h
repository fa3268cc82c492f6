// What the device interfaces have sent to devices, counted for callers above the program's code:
// the program's commands keep their results to themselves (the next status read corrects the
// picture), so whoever must tell a caller whether a command reached the switch (the scripting
// interface, tallowmerectl) compares these figures before and after the command.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MacTypes.h"

namespace plat {

struct DeviceWrites {
  std::uint64_t count = 0;                 // writes tried: HID SetReport and USB WritePipe
  IOReturn lastStatus = kIOReturnSuccess;  // the last one's status
  std::uint64_t refusedOpens = 0;          // opens the system refused for want of permission
  std::string refusedNode;                 // the device node of the last such refusal, when known
};

const DeviceWrites& DeviceWritesSoFar();
void CountDeviceWrite(IOReturn status);
void CountDeviceOpen(IOReturn status);
// A backend names the node it could not open (called before the status reaches the caller).
void NoteAccessRefused(const std::string& node);

}  // namespace plat
