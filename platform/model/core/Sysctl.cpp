#include "platform/Sysctl.h"

#include <cerrno>
#include <cstring>

namespace {
int forcedErrno = 0;

int Fail(int error) {
  errno = error;
  return -1;
}
}  // namespace

namespace plat {
void FailSysctlWithErrno(int error) {
  forcedErrno = error;
}
}  // namespace plat

int sysctlbyname(const char* name, void* oldp, std::size_t* oldlenp, void* newp,
                 std::size_t newlen) {
  if (forcedErrno != 0)
    return Fail(forcedErrno);
  if (name == nullptr)
    return Fail(EINVAL);
  if (newp != nullptr || newlen != 0)
    return Fail(EPERM);
  if (std::strcmp(name, "sysctl.proc_native") != 0)
    return Fail(ENOENT);
  // This build runs on the processor it was compiled for.
  const int native = 1;
  if (oldlenp == nullptr)
    return Fail(EINVAL);
  if (oldp == nullptr) {
    *oldlenp = sizeof native;
    return 0;
  }
  if (*oldlenp < sizeof native)
    return Fail(ENOMEM);
  std::memcpy(oldp, &native, sizeof native);
  *oldlenp = sizeof native;
  return 0;
}
