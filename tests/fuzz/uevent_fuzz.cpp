// Uevent text as sysfs or the kernel may deliver it, and the HID values read from it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/Uevent.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto values = plat::linux_dev::ParseUevent(text);
  if (const auto id = values.find("HID_ID"); id != values.end())
    (void)plat::linux_dev::ParseHidId(id->second);
  (void)plat::linux_dev::SerialNumberFromUniq(values);
  (void)plat::linux_dev::ParseHidId(text);
  return 0;
}
