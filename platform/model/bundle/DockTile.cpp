#include "platform/DockTile.h"

#include <map>
#include <utility>

namespace {

CGImageRef shownImage = nullptr;  // the platform's own reference
std::map<int, plat::DockTileObserver> observers;
int nextObserverId = 1;

void TellObservers() {
  // A copy, so an observer may add or remove observers while it runs.
  const auto current = observers;
  for (const auto& [id, observer] : current)
    observer(shownImage);
}

void Show(CGImageRef image) {
  CGImageRetain(image);
  CGImageRelease(shownImage);
  shownImage = image;
  TellObservers();
}

}  // namespace

OSStatus SetApplicationDockTileImage(CGImageRef image) {
  if (image == nullptr)
    return paramErr;
  Show(image);
  return noErr;
}

OSStatus RestoreApplicationDockTileImage() {
  Show(nullptr);
  return noErr;
}

namespace plat {

CGImageRef CurrentDockTileImage() {
  return shownImage;
}

int AddDockTileObserver(DockTileObserver observer) {
  const int id = nextObserverId++;
  observers.emplace(id, std::move(observer));
  return id;
}

void RemoveDockTileObserver(int id) {
  observers.erase(id);
}

}  // namespace plat
