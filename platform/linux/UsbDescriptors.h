// A USB device's descriptors as sysfs gives them in its `descriptors` file: the device descriptor,
// then every configuration's descriptors as the device sent them. Read without asking the device
// and without claiming anything, so looking at a switch's endpoints never disturbs the driver
// that holds an interface. Pure byte handling, for tests and fuzzing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plat::linux_dev {

struct UsbDeviceDescriptor {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint8_t serialIndex = 0;
  std::uint8_t configurations = 0;
};

struct UsbEndpoint {
  std::uint8_t address = 0;
  std::uint8_t attributes = 0;
  std::uint16_t maxPacketSize = 0;
  std::uint8_t interval = 0;
};

// An interface's alternate setting 0, with its endpoints in descriptor order.
struct UsbInterfaceDescriptor {
  std::uint8_t number = 0;
  std::uint8_t alternate = 0;
  std::uint8_t interfaceClass = 0;
  std::uint8_t subClass = 0;
  std::uint8_t protocol = 0;
  std::vector<UsbEndpoint> endpoints;
};

std::optional<UsbDeviceDescriptor> ParseDeviceDescriptor(std::span<const std::uint8_t> bytes);

// The interfaces of the configuration whose bConfigurationValue is `value`; nothing when the
// file holds no such configuration or its descriptors are malformed.
std::optional<std::vector<UsbInterfaceDescriptor>> InterfacesOfConfiguration(
    std::span<const std::uint8_t> bytes, std::uint8_t value);

// A string descriptor's characters as UTF-8: every UTF-16 unit the descriptor holds (a U+0000
// among them included), unpaired surrogates as U+FFFD. Nothing when it is not a string
// descriptor.
std::optional<std::string> StringDescriptorText(std::span<const std::uint8_t> bytes);

}  // namespace plat::linux_dev
