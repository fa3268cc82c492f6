// The USB side of the emulated version-1 switch: its descriptors as gadgetfs takes them, and
// where gadgetfs keeps the controller's and the endpoints' files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmere::vm {

using Bytes = std::vector<std::uint8_t>;

inline constexpr const char* kGadgetDir = "/dev/gadget";
inline constexpr std::uint8_t kManufacturerIndex = 1;
inline constexpr std::uint8_t kProductIndex = 2;
inline constexpr std::uint8_t kSerialIndex = 3;
inline constexpr std::uint8_t kConfigurationValue = 1;
inline constexpr unsigned kPacketSize = 8;

struct Endpoint {
  std::uint8_t address;
  const char* kind;  // which of dummy_hcd's endpoint files serves it: "in-bulk" or "out-bulk"
};
// Interface 0's interrupt IN, then interface 1's interrupt IN and OUT. dummy_hcd takes interrupt
// transfers on its bulk endpoints.
inline constexpr std::array<Endpoint, 3> kEndpoints{
    {{0x81, "in-bulk"}, {0x82, "in-bulk"}, {0x03, "out-bulk"}}};
inline constexpr std::size_t kOutEndpoint = 2;

// Interface 0's report descriptor.
const Bytes& ReportDescriptor();
// Full speed counts the interval in frames, high speed as 2^(n-1) microframes: 8 ms both.
Bytes EndpointDescriptor(std::uint8_t address, bool highSpeed);
// Interface 0 (HID) and interface 1 (vendor class) with their endpoints.
Bytes ConfigurationDescriptor(bool highSpeed);
Bytes DeviceDescriptor(unsigned vendor, unsigned product);
Bytes StringDescriptor(std::string_view ascii);

// The endpoint files of the controller, in the order the kernel numbers its endpoints.
std::vector<std::string> EndpointFiles();
// The controller's own file (ep0), named after the controller; empty when gadgetfs is not there.
std::string ControllerFile();

}  // namespace tallowmere::vm
