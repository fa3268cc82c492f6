// The Dock tile: the application's icon in the Dock (the tray icon on Linux desktops).
//
// The platform keeps its own reference to the image it shows. Fronts render the current image
// and learn of every change through an observer.
#pragma once

#include <functional>

#include "platform/CGImage.h"
#include "platform/MacTypes.h"

// Shows `image` as the Dock tile; the caller keeps its own reference. paramErr for null.
OSStatus SetApplicationDockTileImage(CGImageRef image);
// Shows the application's own icon again.
OSStatus RestoreApplicationDockTileImage();

namespace plat {
// The image the Dock tile shows (borrowed), or null while it shows the application's own icon.
CGImageRef CurrentDockTileImage();

// Called after every change of the Dock tile image with the new image (null: the application's
// own icon), on the thread that changed it.
using DockTileObserver = std::function<void(CGImageRef image)>;
// Returns an id for RemoveDockTileObserver.
int AddDockTileObserver(DockTileObserver observer);
void RemoveDockTileObserver(int id);
}  // namespace plat
