// System information by name.
#pragma once

#include <cstddef>

// Reads the value called `name` into *oldp (*oldlenp bytes on entry, the value's size on
// return); setting a value is not supported. 0 on success; -1 with errno set on failure (ENOENT
// for a name the system does not know).
//
// Known names: "sysctl.proc_native", an int: 1 when this process runs natively, 0 when it runs
// translated.
int sysctlbyname(const char* name, void* oldp, std::size_t* oldlenp, void* newp,
                 std::size_t newlen);

namespace plat {
// Test hook: every query fails with this errno (0 = queries answer again).
void FailSysctlWithErrno(int error);
}  // namespace plat
