#include "tools/vm/emulators/GadgetDescriptors.h"

#include <dirent.h>
#include <linux/usb/ch9.h>

#include <algorithm>
#include <cstdlib>

namespace tallowmere::vm {

namespace {

// Interface 0's report descriptor: one 8-byte input report on a vendor page, so that the HID
// driver has something to bind.
const std::uint8_t kReportDescriptor[] = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x08,        //   Report Count (8)
    0x09, 0x02,        //   Usage (2)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0xC0,              // End Collection
};

void Add16(Bytes& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

const Bytes& ReportDescriptor() {
  static const Bytes descriptor(std::begin(kReportDescriptor), std::end(kReportDescriptor));
  return descriptor;
}

Bytes EndpointDescriptor(std::uint8_t address, bool highSpeed) {
  Bytes bytes{USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, address, USB_ENDPOINT_XFER_INT};
  Add16(bytes, kPacketSize);
  bytes.push_back(highSpeed ? 7 : 8);
  return bytes;
}

Bytes ConfigurationDescriptor(bool highSpeed) {
  Bytes body;
  // Interface 0: HID, with its HID descriptor before its endpoint.
  body.insert(body.end(),
              {USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, 0, 0, 1, USB_CLASS_HID, 0, 0, 0});
  body.insert(body.end(), {9, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22});
  Add16(body, static_cast<unsigned>(ReportDescriptor().size()));
  const Bytes hidIn = EndpointDescriptor(kEndpoints[0].address, highSpeed);
  body.insert(body.end(), hidIn.begin(), hidIn.end());
  // Interface 1: vendor class, IN then OUT.
  body.insert(body.end(),
              {USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, 1, 0, 2, USB_CLASS_VENDOR_SPEC, 0, 0, 0});
  for (std::size_t i = 1; i < kEndpoints.size(); ++i) {
    const Bytes endpoint = EndpointDescriptor(kEndpoints[i].address, highSpeed);
    body.insert(body.end(), endpoint.begin(), endpoint.end());
  }
  Bytes config{USB_DT_CONFIG_SIZE, USB_DT_CONFIG};
  Add16(config, static_cast<unsigned>(USB_DT_CONFIG_SIZE + body.size()));
  config.insert(config.end(), {2, kConfigurationValue, 0, USB_CONFIG_ATT_ONE, 50});
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
