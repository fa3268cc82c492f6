#include "platform/dbus/SessionBus.h"

#include <sys/stat.h>

#include <cstdlib>

namespace plat::dbus {

std::optional<std::string> SessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
      address != nullptr && *address != '\0') {
    return std::string(address);
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0')
    return std::nullopt;
  const std::string socket = std::string(runtime) + "/bus";
  struct stat found {};
  if (stat(socket.c_str(), &found) != 0 || !S_ISSOCK(found.st_mode))
    return std::nullopt;
  // A path with a character the address syntax reserves is left alone rather than misquoted.
  if (socket.find_first_of(",;=") != std::string::npos)
    return std::nullopt;
  return "unix:path=" + socket;
}

}  // namespace plat::dbus
