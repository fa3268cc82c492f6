// A USB device's descriptors as sysfs copies them from the device, and a string descriptor as
// the device answers it: any bytes, never a crash. The first byte picks the configuration.
#include <cstddef>
#include <cstdint>

#include "platform/linux/UsbDescriptors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  if (const auto interfaces = plat::linux_dev::InterfacesOfConfiguration(bytes, data[0])) {
    for (const auto& interface : *interfaces)
      (void)interface.endpoints.size();
  }
  (void)plat::linux_dev::StringDescriptorText(bytes);
  return 0;
}
