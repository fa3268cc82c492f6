// The Dock tile as a test sees it: the file of every image it is given, in order; and bundles
// holding some of the build tree's icons.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/CFBundle.h"
#include "platform/CGImage.h"
#include "platform/DockTile.h"
#include "tests/ScratchFolder.h"

class DockTileRecorder {
 public:
  DockTileRecorder()
      : observer_(plat::AddDockTileObserver([this](CGImageRef image) {
          shown.push_back(std::filesystem::path(plat::ImageFilePath(image)).filename().string());
        })) {}
  ~DockTileRecorder() { plat::RemoveDockTileObserver(observer_); }
  DockTileRecorder(const DockTileRecorder&) = delete;
  DockTileRecorder& operator=(const DockTileRecorder&) = delete;
  std::vector<std::string> shown;

 private:
  int observer_;
};

// Makes `folder` the bundle, holding only the named icons of the build tree's bundle.
inline void UseBundleWith(const ScratchFolder& folder, const std::vector<std::string>& icons) {
  for (const auto& icon : icons)
    std::filesystem::copy_file(plat::MainBundleResourcesDirectory() + "/" + icon,
                               folder.path() / icon);
  plat::SetMainBundleResourcesDirectory(folder.path());
}
