#include "tools/vm/emulators/GadgetDescriptors.h"

#include <dirent.h>
#include <linux/usb/ch9.h>

#include <algorithm>
#include <cstdlib>

namespace tallowmere::vm {

namespace {

// One 8-byte input report on a vendor page, so that the HID driver has something to bind.
const Bytes kReportDescriptorStart = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x08,        //   Report Count (8)
    0x09, 0x02,        //   Usage (2)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
};
// The 8-byte output report the command is written as, when the OUT endpoint is the HID one's.
const Bytes kOutputReport = {
    0x09, 0x03,  //   Usage (3)
    0x91, 0x02,  //   Output (Data, Variable, Absolute)
};
constexpr std::uint8_t kEndCollection = 0xC0;

void AddInterface(Bytes& bytes, std::uint8_t number, std::uint8_t endpoints, std::uint8_t kind) {
  bytes.insert(bytes.end(),
               {USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, number, 0, endpoints, kind, 0, 0, 0});
}

void Add16(Bytes& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

std::vector<Endpoint> Endpoints(Layout layout) {
  if (layout == Layout::kHidOut)
    return {{0x81, "in-bulk"}, {0x02, "out-bulk"}};
  return {{0x81, "in-bulk"}, {0x82, "in-bulk"}, {0x03, "out-bulk"}};
}

std::size_t OutEndpoint(Layout layout) {
  return layout == Layout::kHidOut ? 1 : 2;
}

Bytes ReportDescriptor(Layout layout) {
  Bytes descriptor = kReportDescriptorStart;
  if (layout == Layout::kHidOut)
    descriptor.insert(descriptor.end(), kOutputReport.begin(), kOutputReport.end());
  descriptor.push_back(kEndCollection);
  return descriptor;
}

Bytes EndpointDescriptor(std::uint8_t address, bool highSpeed) {
  Bytes bytes{USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, address, USB_ENDPOINT_XFER_INT};
  Add16(bytes, kPacketSize);
  bytes.push_back(highSpeed ? 7 : 8);
  return bytes;
}

Bytes ConfigurationDescriptor(Layout layout, bool highSpeed) {
  const std::vector<Endpoint> endpoints = Endpoints(layout);
  // Interface 0 (HID) has the first endpoint, and with kHidOut the OUT one too.
  const std::size_t hidEndpoints = layout == Layout::kHidOut ? endpoints.size() : 1;
  Bytes body;
  AddInterface(body, 0, static_cast<std::uint8_t>(hidEndpoints), USB_CLASS_HID);
  // Its HID descriptor comes before its endpoints.
  body.insert(body.end(), {9, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22});
  Add16(body, static_cast<unsigned>(ReportDescriptor(layout).size()));
  std::uint8_t interfaces = 1;
  for (std::size_t i = 0; i < endpoints.size(); ++i) {
    if (i == hidEndpoints) {
      // Interface 1: vendor class, with the rest.
      AddInterface(body, 1, static_cast<std::uint8_t>(endpoints.size() - i), USB_CLASS_VENDOR_SPEC);
      ++interfaces;
    }
    const Bytes endpoint = EndpointDescriptor(endpoints[i].address, highSpeed);
    body.insert(body.end(), endpoint.begin(), endpoint.end());
  }
  Bytes config{USB_DT_CONFIG_SIZE, USB_DT_CONFIG};
  Add16(config, static_cast<unsigned>(USB_DT_CONFIG_SIZE + body.size()));
  config.insert(config.end(), {interfaces, kConfigurationValue, 0, USB_CONFIG_ATT_ONE, 50});
  config.insert(config.end(), body.begin(), body.end());
  return config;
}

Bytes DeviceDescriptor(unsigned vendor, unsigned product) {
  Bytes bytes{USB_DT_DEVICE_SIZE, USB_DT_DEVICE};
  Add16(bytes, 0x0200);
  bytes.insert(bytes.end(), {0, 0, 0, 64});
  Add16(bytes, vendor);
  Add16(bytes, product);
  Add16(bytes, 0x0100);
  bytes.insert(bytes.end(), {kManufacturerIndex, kProductIndex, kSerialIndex, 1});
  return bytes;
}

Bytes StringDescriptor(std::string_view ascii) {
  Bytes bytes{static_cast<std::uint8_t>(2 + 2 * ascii.size()), USB_DT_STRING};
  for (char c : ascii)
    Add16(bytes, static_cast<unsigned char>(c));
  return bytes;
}

std::vector<std::string> EndpointFiles() {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(kGadgetDir)) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.starts_with("ep"))
        names.push_back(name);
    }
    ::closedir(dir);
  }
  // "ep2out-bulk" before "ep12out-bulk": by the number after "ep".
  std::ranges::sort(names, {}, [](const std::string& name) { return std::atoi(name.c_str() + 2); });
  return names;
}

std::string ControllerFile() {
  if (DIR* dir = ::opendir(kGadgetDir)) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != ".." && !name.starts_with("ep")) {
        ::closedir(dir);
        return std::string(kGadgetDir) + "/" + name;
      }
    }
    ::closedir(dir);
  }
  return {};
}

}  // namespace tallowmere::vm
