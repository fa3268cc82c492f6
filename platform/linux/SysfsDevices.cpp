#include "platform/linux/SysfsDevices.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <system_error>

#include <sys/sysmacros.h>

#include "platform/linux/ReportDescriptor.h"
#include "platform/linux/UsbDescriptors.h"
#include "platform/model/core/FileContents.h"

namespace plat::linux_dev {

namespace fs = std::filesystem;

namespace {

// Sysfs attribute files are small; anything larger than this is not one of ours.
constexpr std::size_t kMaxAttributeSize = 64 * 1024;

std::optional<std::string> ReadFile(const fs::path& path) {
  return plat::FileContents(path.string(), kMaxAttributeSize);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::optional<std::uint32_t> ReadHexAttribute(const fs::path& path) {
  const auto text = ReadFile(path);
  if (!text)
    return std::nullopt;
  const std::string value = Trimmed(*text);
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number, 16);
  if (value.empty() || error != std::errc{} || end != value.data() + value.size())
    return std::nullopt;
  return number;
}

fs::path Canonical(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::canonical(path, error);
  return error ? path.lexically_normal() : resolved;
}

// The node a device's uevent names (DEVNAME), below root/dev.
fs::path DevNode(const fs::path& root, const fs::path& syspath) {
  const auto text = ReadFile(syspath / "uevent");
  if (!text)
    return {};
  const auto values = ParseUevent(*text);
  const auto name = values.find("DEVNAME");
  if (name == values.end() || name->second.empty())
    return {};
  return root / "dev" / name->second;
}

// sysfs `dev` ("MAJ:MIN") as a device number.
std::optional<dev_t> ReadDeviceNumber(const fs::path& syspath) {
  const auto text = ReadFile(syspath / "dev");
  if (!text)
    return std::nullopt;
  const std::string value = Trimmed(*text);
  unsigned major = 0;
  unsigned minor = 0;
  const char* end = value.data() + value.size();
  const auto [colon, error] = std::from_chars(value.data(), end, major);
  if (error != std::errc{} || colon == end || *colon != ':')
    return std::nullopt;
  const auto [last, error2] = std::from_chars(colon + 1, end, minor);
  if (error2 != std::errc{} || last != end)
    return std::nullopt;
  return makedev(major, minor);
}

fs::path UdevRecord(const fs::path& root, const std::optional<dev_t>& number) {
  if (!number)
    return {};
  return root / "run/udev/data" /
         ("c" + std::to_string(major(*number)) + ":" + std::to_string(minor(*number)));
}

}  // namespace

std::vector<fs::path> UsbDeviceSyspaths(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator entry(root / "sys/bus/usb/devices", error), end;
       !error && entry != end; entry.increment(error)) {
    // Interfaces are named "1-2:1.0"; devices have no colon.
    if (entry->path().filename().string().find(':') == std::string::npos)
      found.push_back(Canonical(entry->path()));
  }
  std::ranges::sort(found);
  return found;
}

std::vector<UsbInterfaceInfo> UsbInterfacesOf(const fs::path& syspath) {
  std::vector<UsbInterfaceInfo> interfaces;
  std::error_code error;
  for (fs::directory_iterator entry(syspath, error), end; !error && entry != end;
       entry.increment(error)) {
    const auto number = ReadHexAttribute(entry->path() / "bInterfaceNumber");
    if (!number || entry->path().filename().string().find(':') == std::string::npos)
      continue;
    UsbInterfaceInfo info;
    info.syspath = entry->path();
    info.number = static_cast<int>(*number);
    if (const auto cls = ReadHexAttribute(entry->path() / "bInterfaceClass"))
      info.interfaceClass = static_cast<int>(*cls);
    std::error_code noDriver;
    const fs::path driver = fs::read_symlink(entry->path() / "driver", noDriver);
    if (!noDriver)
      info.driver = driver.filename().string();
    std::error_code noHid;
    for (fs::directory_iterator hid(entry->path(), noHid), last; !noHid && hid != last;
         hid.increment(noHid)) {
      std::error_code noHidraw;
      for (fs::directory_iterator node(hid->path() / "hidraw", noHidraw), none;
           !noHidraw && node != none && info.hidraw.empty(); node.increment(noHidraw))
        info.hidraw = Canonical(node->path());
    }
    interfaces.push_back(std::move(info));
  }
  std::ranges::sort(interfaces, {}, &UsbInterfaceInfo::number);
  return interfaces;
}

std::optional<std::vector<std::uint8_t>> ReadUsbDescriptors(const fs::path& syspath) {
  const auto text = ReadFile(syspath / "descriptors");
  if (!text)
    return std::nullopt;
  return std::vector<std::uint8_t>(text->begin(), text->end());
}

std::uint8_t ActiveConfiguration(const fs::path& syspath) {
  const auto text = ReadFile(syspath / "bConfigurationValue");
  unsigned value = 0;
  if (text) {
    const std::string trimmed = Trimmed(*text);
    std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  }
  return static_cast<std::uint8_t>(value);
}

std::vector<fs::path> HidrawSyspaths(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator entry(root / "sys/class/hidraw", error), end; !error && entry != end;
       entry.increment(error)) {
    found.push_back(Canonical(entry->path()));
  }
  std::ranges::sort(found, {}, [](const fs::path& p) { return p.filename().string(); });
  return found;
}

std::optional<UsbDeviceInfo> DescribeUsbDevice(const fs::path& root, const fs::path& syspath) {
  const auto vendor = ReadHexAttribute(syspath / "idVendor");
  const auto product = ReadHexAttribute(syspath / "idProduct");
  if (!vendor || !product)
    return std::nullopt;
  UsbDeviceInfo info;
  info.syspath = syspath;
  info.vendor = *vendor;
  info.product = *product;
  info.devnode = DevNode(root, syspath);
  info.number = ReadDeviceNumber(syspath);
  info.udevRecord = UdevRecord(root, info.number);
  if (const auto bytes = ReadUsbDescriptors(syspath)) {
    if (const auto device = ParseDeviceDescriptor(*bytes))
      info.serialIndex = device->serialIndex;
  }
  return info;
}

std::optional<HidrawInfo> DescribeHidraw(const fs::path& root, const fs::path& syspath) {
  HidrawInfo info;
  info.syspath = syspath;
  info.devnode = DevNode(root, syspath);
  if (info.devnode.empty())
    info.devnode = root / "dev" / syspath.filename();
  info.number = ReadDeviceNumber(syspath);
  info.udevRecord = UdevRecord(root, info.number);

  // hidrawN sits in the "hidraw" folder of its HID device.
  const fs::path hidDevice = Canonical(syspath / ".." / "..");
  const auto uevent = ReadFile(hidDevice / "uevent");
  if (!uevent)
    return std::nullopt;
  const auto values = ParseUevent(*uevent);
  const auto hidId = values.find("HID_ID");
  if (hidId == values.end())
    return std::nullopt;
  const auto identity = ParseHidId(hidId->second);
  if (!identity)
    return std::nullopt;
  info.identity = *identity;
  info.serialNumber = SerialNumberFromUniq(values);

  if (const auto descriptor = ReadFile(hidDevice / "report_descriptor")) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(descriptor->data());
    info.maxFeatureReportSize = MaxFeatureReportSize({bytes, descriptor->size()});
  }

  const fs::path interface = hidDevice.parent_path();
  if (const auto number = ReadHexAttribute(interface / "bInterfaceNumber")) {
    info.interfaceSyspath = interface;
    info.interfaceNumber = static_cast<int>(*number);
    info.usb = DescribeUsbDevice(root, interface.parent_path());
  }
  return info;
}

}  // namespace plat::linux_dev
