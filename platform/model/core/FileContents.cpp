#include "platform/model/core/FileContents.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

std::optional<std::string> FileContents(const std::string& path, std::size_t limit) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  std::string contents;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0 || contents.size() + static_cast<std::size_t>(got) > limit) {
      close(fd);
      if (got == 0)
        return contents;
      return std::nullopt;
    }
    contents.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace plat
