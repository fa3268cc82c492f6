// Images loaded from files of the bundle, for the Dock tile.
//
// An image source reads an icon file (an .icns container) and offers its image elements in file
// order, skipping the elements that are not images (table of contents, version, masks). An image
// does not hold decoded pixels: it keeps what a front needs to show it - the file it came from,
// the element type, the element's bytes (PNG data for the icons the program ships) and its pixel
// size when that is known.
//
// Ownership: sources and images are owned by the one who created them. A source is given back
// with CGImageSourceRelease (not CFRelease: sources and images are not CF objects here), an image
// with CGImageRelease; both accept null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/CoreFoundation.h"
#include "platform/MacTypes.h"

struct OpaqueCGImage;
struct OpaqueCGImageSource;
using CGImageRef = OpaqueCGImage*;
using CGImageSourceRef = OpaqueCGImageSource*;

// A source over the icon file at `url`; null when the file cannot be read or is not a
// well-formed .icns container. `options` is not used.
CGImageSourceRef CGImageSourceCreateWithURL(CFURLRef url, CFDictionaryRef options);
// Number of images the source holds.
std::size_t CGImageSourceGetCount(CGImageSourceRef source);
// The image at `index` (0 = the first image of the file); null when there is no such image.
CGImageRef CGImageSourceCreateImageAtIndex(CGImageSourceRef source, std::size_t index,
                                           CFDictionaryRef options);
void CGImageSourceRelease(CGImageSourceRef source);

CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
// Pixel size, 0 when the image's data does not tell it.
std::size_t CGImageGetWidth(CGImageRef image);
std::size_t CGImageGetHeight(CGImageRef image);

namespace plat {
// The file the image was read from ("" for null).
std::string ImageFilePath(CGImageRef image);
// The .icns element type the image came from, e.g. FourCC("ic08"); 0 for null.
OSType ImageElementType(CGImageRef image);
// The element's data as stored in the file (empty for null).
const std::vector<std::uint8_t>& ImageBytes(CGImageRef image);
// Whether the element's data is a PNG file.
bool ImageIsPNG(CGImageRef image);
// Images and sources created and not yet released (leak checks).
long LiveImages();
long LiveImageSources();
}  // namespace plat
