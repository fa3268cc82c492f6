// The USB side of the emulated version-1 switch: its descriptors as gadgetfs takes them, and
// where gadgetfs keeps the controller's and the endpoints' files.
#pragma once

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

// Where a switch's command pipe is. Both are built:
//   kVendorOut: interface 0 is HID with an interrupt IN; interface 1 (vendor class) has an
//               interrupt IN and the interrupt OUT that takes the commands;
//   kHidOut:    one HID interface with an interrupt IN and the interrupt OUT; the HID driver
//               keeps it, and the host writes a command as an output report.
enum class Layout { kVendorOut, kHidOut };

// The endpoints in the order they are configured; dummy_hcd takes interrupt transfers on its
// bulk endpoints.
std::vector<Endpoint> Endpoints(Layout layout);
// Which of Endpoints(layout) takes the command packets.
std::size_t OutEndpoint(Layout layout);

// Interface 0's report descriptor: an 8-byte input report, and with kHidOut an 8-byte output
// report too.
Bytes ReportDescriptor(Layout layout);
// Full speed counts the interval in frames, high speed as 2^(n-1) microframes: 8 ms both.
Bytes EndpointDescriptor(std::uint8_t address, bool highSpeed);
// The interfaces of the layout with their endpoints.
Bytes ConfigurationDescriptor(Layout layout, bool highSpeed);
Bytes DeviceDescriptor(unsigned vendor, unsigned product);
Bytes StringDescriptor(std::string_view ascii);

// The endpoint files of the controller, in the order the kernel numbers its endpoints.
std::vector<std::string> EndpointFiles();
// The controller's own file (ep0), named after the controller; empty when gadgetfs is not there.
std::string ControllerFile();

}  // namespace tallowmere::vm
