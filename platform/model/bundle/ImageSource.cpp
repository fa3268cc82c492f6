#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/CGImage.h"
#include "platform/model/bundle/IcnsFile.h"
#include "platform/model/core/FileContents.h"

namespace {

// Icon files are a few hundred kilobytes at most; anything far larger is not one of ours and is
// not read into memory.
constexpr std::uintmax_t kLargestIconFile = 16 * 1024 * 1024;

long liveImages = 0;
long liveSources = 0;

}  // namespace

struct OpaqueCGImageSource {
  OpaqueCGImageSource(std::string file, std::vector<plat::IcnsElement> elements)
      : path(std::move(file)), images(std::move(elements)) {
    ++liveSources;
  }
  OpaqueCGImageSource(const OpaqueCGImageSource&) = delete;
  OpaqueCGImageSource& operator=(const OpaqueCGImageSource&) = delete;
  ~OpaqueCGImageSource() { --liveSources; }

  std::string path;
  std::vector<plat::IcnsElement> images;
};

struct OpaqueCGImage {
  OpaqueCGImage(std::string file, const plat::IcnsElement& element)
      : path(std::move(file)), type(element.type), bytes(element.data) {
    if (const auto size = plat::PngPixelSize(bytes)) {
      png = true;
      width = size->width;
      height = size->height;
    }
    ++liveImages;
  }
  OpaqueCGImage(const OpaqueCGImage&) = delete;
  OpaqueCGImage& operator=(const OpaqueCGImage&) = delete;
  ~OpaqueCGImage() { --liveImages; }

  std::string path;
  OSType type;
  std::vector<std::uint8_t> bytes;
  bool png = false;
  std::size_t width = 0;
  std::size_t height = 0;
  long references = 1;
};

namespace {

std::optional<std::vector<std::uint8_t>> ReadIconFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kLargestIconFile)
    return std::nullopt;
  const std::optional<std::string> contents = plat::FileContents(path, kLargestIconFile);
  if (!contents)
    return std::nullopt;
  return std::vector<std::uint8_t>(contents->begin(), contents->end());
}

}  // namespace

CGImageSourceRef CGImageSourceCreateWithURL(CFURLRef url, CFDictionaryRef) {
  const std::string path = plat::URLPath(url);
  if (path.empty())
    return nullptr;
  const auto bytes = ReadIconFile(path);
  if (!bytes)
    return nullptr;
  auto elements = plat::ParseIcns(*bytes);
  if (!elements)
    return nullptr;
  std::erase_if(*elements, [](const plat::IcnsElement& element) {
    return !plat::IsIcnsImageType(element.type);
  });
  return new OpaqueCGImageSource(path, std::move(*elements));
}

std::size_t CGImageSourceGetCount(CGImageSourceRef source) {
  return source == nullptr ? 0 : source->images.size();
}

CGImageRef CGImageSourceCreateImageAtIndex(CGImageSourceRef source, std::size_t index,
                                           CFDictionaryRef) {
  if (source == nullptr || index >= source->images.size())
    return nullptr;
  return new OpaqueCGImage(source->path, source->images[index]);
}

void CGImageSourceRelease(CGImageSourceRef source) {
  delete source;
}

CGImageRef CGImageRetain(CGImageRef image) {
  if (image != nullptr)
    ++image->references;
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image != nullptr && --image->references == 0)
    delete image;
}

std::size_t CGImageGetWidth(CGImageRef image) {
  return image == nullptr ? 0 : image->width;
}

std::size_t CGImageGetHeight(CGImageRef image) {
  return image == nullptr ? 0 : image->height;
}

namespace plat {

std::string ImageFilePath(CGImageRef image) {
  return image == nullptr ? std::string() : image->path;
}

OSType ImageElementType(CGImageRef image) {
  return image == nullptr ? 0 : image->type;
}

const std::vector<std::uint8_t>& ImageBytes(CGImageRef image) {
  static const std::vector<std::uint8_t> none;
  return image == nullptr ? none : image->bytes;
}

bool ImageIsPNG(CGImageRef image) {
  return image != nullptr && image->png;
}

long LiveImages() {
  return liveImages;
}

long LiveImageSources() {
  return liveSources;
}

}  // namespace plat
