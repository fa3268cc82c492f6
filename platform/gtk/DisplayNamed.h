// Whether the environment names a display (X11's DISPLAY or Wayland's WAYLAND_DISPLAY): the first
// test of whether the desktop front can be shown, made before any of the desktop's libraries is
// loaded.
#pragma once

#include <cstdlib>

namespace plat::gtk {

inline bool DisplayNamed() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
      return true;
  }
  return false;
}

}  // namespace plat::gtk
