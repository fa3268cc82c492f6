#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/StartupChecks.h"
#include "platform/Sysctl.h"

int is_pid_native(int pid) {
  int ret = 0;
  std::size_t size = sizeof ret;
  if (pid != 0)
    return 0;
  if (sysctlbyname("sysctl.proc_native", &ret, &size, nullptr, 0) != -1)
    return ret;
  // Kept before printing, which may change errno.
  const int error = errno;
  fprintf(stderr, "sysctlbyname_with_pid(0): sysctlbyname failed: %s\n", strerror(error));
  // ENOENT: the system predates translation, so the process is native.
  if (error != ENOENT) {
    fprintf(stderr, "is_pid_native: sysctlbyname_with_pid  failed:%s\n", strerror(error));
  }
  return -1;
}

void PrintNativeLine() {
  switch (is_pid_native(0)) {
    case 1:
      fprintf(stderr, "Tallowmere is running natively on an Intel-based Macintosh computer\n");
      break;
    case 0:
      fprintf(stderr, "Tallowmere is not native but running translated using Rosetta\n");
      break;
    case -1:
      fprintf(stderr, "Tallowmere is running natively on a PowerPC Macintosh computer\n");
      break;
    default:
      break;
  }
}

void PrintByteOrderLine() {
  // The first byte in memory of 0x02000001 tells the byte order.
  const std::uint32_t probe = 0x02000001;
  unsigned char first = 0;
  std::memcpy(&first, &probe, 1);
  if (first == 1) {
    fprintf(stderr, "Tallowmere is running on a Little Endian Byte Order CPU\n");
  } else if (first == 2) {
    fprintf(stderr, "Tallowmere is running on a Big Endian Byte Order CPU\n");
  } else {
    fprintf(stderr, "Tallowmere is running on a Unknown Byte Order CPU\n");
  }
}
