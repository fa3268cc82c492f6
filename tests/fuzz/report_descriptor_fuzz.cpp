// Report descriptors as a HID device may present them: any bytes, never a crash.
#include <cstddef>
#include <cstdint>

#include "platform/linux/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)plat::linux_dev::MaxFeatureReportSize({data, size});
  return 0;
}
