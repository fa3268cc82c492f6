#include "platform/gtk/DockTileImage.h"

#include "platform/CFBundle.h"

namespace plat::gtk {
namespace {

GdkPixbuf* FromImage(CGImageRef image) {
  if (image == nullptr)
    return nullptr;
  if (ImageIsPNG(image)) {
    const std::vector<std::uint8_t>& bytes = ImageBytes(image);
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    if (loader == nullptr)
      return nullptr;
    GdkPixbuf* pixbuf = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr);
    if (gdk_pixbuf_loader_close(loader, nullptr) && written) {
      pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
      if (pixbuf != nullptr)
        g_object_ref(pixbuf);
    }
    g_object_unref(loader);
    return pixbuf;
  }
  // Other elements (run-length encoded images with masks): gdk-pixbuf reads the file itself.
  return gdk_pixbuf_new_from_file(ImageFilePath(image).c_str(), nullptr);
}

GdkPixbuf* ApplicationIcon() {
  const CFStringRef name =
      CFStringCreateWithCString(nullptr, kApplicationIconFile, kCFStringEncodingASCII);
  const CFURLRef url = CFBundleCopyResourceURL(CFBundleGetMainBundle(), name, nullptr, nullptr);
  CFRelease(name);
  if (url == nullptr)
    return nullptr;
  const CGImageSourceRef source = CGImageSourceCreateWithURL(url, nullptr);
  CFRelease(url);
  const CGImageRef image = CGImageSourceCreateImageAtIndex(source, 0, nullptr);
  CGImageSourceRelease(source);
  GdkPixbuf* pixbuf = FromImage(image);
  CGImageRelease(image);
  return pixbuf;
}

}  // namespace

GdkPixbuf* DockTilePixbuf(CGImageRef image) {
  return image == nullptr ? ApplicationIcon() : FromImage(image);
}

}  // namespace plat::gtk
