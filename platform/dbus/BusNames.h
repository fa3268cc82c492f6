// Where the running program is found on the session bus, and the names of its errors.
#pragma once

namespace plat::dbus {

inline constexpr const char* kBusName = "org.tallowmere.Tallowmere";
inline constexpr const char* kObjectPath = "/org/tallowmere/Tallowmere";
inline constexpr const char* kInterface = "org.tallowmere.Switch1";

inline constexpr const char* kErrorNoSwitch = "org.tallowmere.Switch1.Error.NoSwitch";
inline constexpr const char* kErrorNoSuchPort = "org.tallowmere.Switch1.Error.NoSuchPort";
inline constexpr const char* kErrorFailed = "org.tallowmere.Switch1.Error.Failed";

}  // namespace plat::dbus
