// HID devices that are not switches: a keyboard or mouse of a supported vendor, or a device that
// looks like a switch but whose properties cannot be read. They hang in the service tree the way
// a switch does (a HID device below a USB interface below a USB device) and make no plug-ins.
#pragma once

#include <optional>
#include <string>

#include "platform/sim/SimulatedSwitch.h"

namespace plat::sim {

struct HIDDeviceConfig {
  UInt32 vendorID = 0x10D5;
  UInt32 productID = 0x5504;
  std::optional<std::string> serialNumber = std::nullopt;  // UTF-8
  std::optional<long> maxFeatureReportSize = 64;
  // Reading the HID device's properties fails with this status (0: it yields no dictionary).
  std::optional<IOReturn> propertiesFault = std::nullopt;
};

SwitchServices CreateOtherHIDDeviceServices(const HIDDeviceConfig& config);

}  // namespace plat::sim
