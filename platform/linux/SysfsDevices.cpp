#include "platform/linux/SysfsDevices.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/linux/ReportDescriptor.h"

namespace plat::linux_dev {

namespace fs = std::filesystem;

namespace {

// Sysfs attribute files are small; anything larger than this is not one of ours.
constexpr std::size_t kMaxAttributeSize = 64 * 1024;

std::optional<std::string> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::string content;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    content.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (content.size() > kMaxAttributeSize)
      return std::nullopt;
  }
  return content;
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

}  // namespace

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
  return UsbDeviceInfo{syspath, *vendor, *product, DevNode(root, syspath)};
}

std::optional<HidrawInfo> DescribeHidraw(const fs::path& root, const fs::path& syspath) {
  HidrawInfo info;
  info.syspath = syspath;
  info.devnode = DevNode(root, syspath);
  if (info.devnode.empty())
    info.devnode = root / "dev" / syspath.filename();

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
