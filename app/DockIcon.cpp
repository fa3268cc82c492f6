#include "app/DockIcon.h"

#include <cstdio>

#include "platform/CFBundle.h"
#include "platform/CoreFoundation.h"
#include "platform/DockTile.h"

int CurrentIconNumber = -1;

namespace {

const char* IconFileName(int portIndex) {
  switch (portIndex) {
    case 0:
      return "velbrook1.icns";
    case 1:
      return "velbrook2.icns";
    case 2:
      return "velbrook3.icns";
    case 3:
      return "velbrook4.icns";
    default:
      return "velbrookmain.icns";
  }
}

}  // namespace

CGImageRef GetImageRefFromFile(int portIndex) {
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) {
    fprintf(stderr, "RegisterIcon Error:  CFBundleGetMainBundle return null");
    return nullptr;
  }
  CFStringRef fileName = CFStringCreateWithCString(kCFAllocatorDefault, IconFileName(portIndex),
                                                   kCFStringEncodingASCII);
  if (fileName == nullptr) {
    fprintf(stderr, "RegisterIcon Error:  Invalid filename");
    return nullptr;
  }
  CFURLRef iconFileURL = CFBundleCopyResourceURL(bundle, fileName, nullptr, nullptr);
  // The name is released on every path, and the location once the source is open, so that
  // loading an icon after every port change leaves nothing behind.
  CFRelease(fileName);
  if (iconFileURL == nullptr) {
    fprintf(stderr, "RegisterIcon Error:  Invalid iconFileURL");
    return nullptr;
  }
  CGImageSourceRef source = CGImageSourceCreateWithURL(iconFileURL, nullptr);
  CFRelease(iconFileURL);
  if (source == nullptr)
    return nullptr;
  CGImageRef image = CGImageSourceCreateImageAtIndex(source, 0, nullptr);
  CGImageSourceRelease(source);
  return image;
}

void ChangeDockIcon(int portIndex) {
  if (portIndex == CurrentIconNumber)
    return;
  CGImageRef image = GetImageRefFromFile(portIndex);
  if (image == nullptr)
    return;
  CurrentIconNumber = portIndex;
  SetApplicationDockTileImage(image);  // the Dock tile keeps its own reference
  CGImageRelease(image);
}
