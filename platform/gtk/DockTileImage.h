// The Dock tile's image as a picture GTK can show: the image's own PNG data, or, for other kinds
// of icon elements, its file read by gdk-pixbuf; for no image, the application's own icon from
// the bundle.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "platform/CGImage.h"

namespace plat::gtk {

// A new reference (g_object_unref it), or null when the image cannot be read.
GdkPixbuf* DockTilePixbuf(CGImageRef image);

// The bundle's file holding the application's own icon.
inline constexpr const char* kApplicationIconFile = "velbrookmain.icns";

}  // namespace plat::gtk
