// Linked into a program that has only the console front (`tallowmere`): when a display is named,
// the program becomes `tallowmere-desktop`, the same program with the desktop front, beside it in
// the same folder, before it has done anything else. So a start without a display never loads the
// desktop's libraries (GTK and the seventy-odd libraries it brings take most of the start-up time
// and memory of the program), and a start on the desktop still gets the desktop front.
//
// This runs while the program's static objects are made, before main: nothing has been opened or
// found yet that the new image would have to find again. The program takes no arguments; the new
// image gets the same name in argv[0], by which the desktop tells its one instance per session.
// When the desktop program cannot be started, this program goes on with the console front.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gtk/DisplayNamed.h"

namespace {

// The folder of this program's own executable, with its final slash; "" when unknown.
std::string OwnFolder() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
    return {};
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

bool HandOffToDesktop() {
  if (!plat::gtk::DisplayNamed())
    return false;
  const std::string folder = OwnFolder();
  if (folder.empty())
    return false;
  const std::string desktop = folder + "tallowmere-desktop";
  char name[] = "tallowmere";
  char* const arguments[] = {name, nullptr};
  execv(desktop.c_str(), arguments);
  // Only returns on failure.
  std::fprintf(stderr, "tallowmere: cannot start %s (%s); using the console\n", desktop.c_str(),
               std::strerror(errno));
  return false;
}

[[maybe_unused]] const bool handedOff = HandOffToDesktop();

}  // namespace
