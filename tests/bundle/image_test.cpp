#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CFBundle.h"
#include "platform/CGImage.h"
#include "platform/DockTile.h"
#include "platform/model/bundle/IcnsFile.h"
#include "tests/ScratchFolder.h"

namespace {

std::string BigEndian(std::size_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Icns(const std::vector<std::pair<std::string, std::string>>& elements) {
  std::string body;
  for (const auto& [type, data] : elements)
    body += type + BigEndian(data.size() + 8) + data;
  return "icns" + BigEndian(body.size() + 8) + body;
}

std::string Png(std::uint32_t width, std::uint32_t height) {  // signature and IHDR chunk
  return std::string("\x89PNG\r\n\x1a\n", 8) + BigEndian(13) + "IHDR" + BigEndian(width) +
         BigEndian(height) + std::string("\x08\x06\0\0\0\0\0\0\0", 9);
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

CGImageSourceRef OpenSource(const std::string& path) {
  plat::CFHolder url(plat::MakeFileURL(path));
  return CGImageSourceCreateWithURL(static_cast<CFURLRef>(url.get()), nullptr);
}

TEST(IcnsReader, ReadsWellFormedFilesAndRefusesBadOrTruncatedOnes) {
  const auto elements = plat::ParseIcns(Bytes(Icns({{"TOC ", "ab"}, {"ic08", "png"}}) + "tail"));
  ASSERT_TRUE(elements);
  ASSERT_EQ(elements->size(), 2u);
  EXPECT_EQ((*elements)[1].type, FourCC("ic08"));
  EXPECT_EQ((*elements)[1].data, (std::vector<std::uint8_t>{'p', 'n', 'g'}));

  const std::string good = Icns({{"ic08", "0123456789"}});
  for (const std::string& bytes :
       {std::string("icns"), "ICNS" + good.substr(4), "icns" + BigEndian(7),
        "icns" + BigEndian(good.size() + 1) + good.substr(8), good.substr(0, good.size() - 1),
        "icns" + BigEndian(16) + "ic08" + BigEndian(0),  // an element that would never end
        "icns" + BigEndian(16) + "ic08" + BigEndian(9),  // longer than the container
        "icns" + BigEndian(12) + "ic08"}) {              // half an element header
    EXPECT_FALSE(plat::ParseIcns(Bytes(bytes))) << testing::PrintToString(bytes);
  }

  EXPECT_EQ(plat::PngPixelSize(Bytes(Png(256, 128)))->height, 128u);
  for (const std::string& bytes : {Png(0, 16), Png(0x80000000u, 16), Png(16, 16).substr(0, 20),
                                   "JPEG" + Png(16, 16).substr(4)}) {
    EXPECT_FALSE(plat::PngPixelSize(Bytes(bytes)));
  }
}

TEST(ImageSource, FirstImageIsTheFirstImageElement) {
  for (const char* name : {"velbrook1.icns", "velbrook2.icns", "velbrook3.icns", "velbrook4.icns",
                           "velbrookmain.icns"}) {
    const std::string path = plat::MainBundleResourcesDirectory() + "/" + name;
    CGImageSourceRef source = OpenSource(path);
    CGImageRef image = CGImageSourceCreateImageAtIndex(source, 0, nullptr);
    CGImageSourceRelease(source);
    EXPECT_EQ(plat::ImageElementType(image), FourCC("ic08"));
    EXPECT_TRUE(plat::ImageIsPNG(image));
    EXPECT_EQ(CGImageGetWidth(image), 256u);
    CGImageRelease(image);
  }

  ScratchFolder folder;
  CGImageSourceRef source = OpenSource(folder.Write(
      "a.icns", Icns({{"TOC ", ""}, {"icnV", "1234"}, {"ic07", Png(128, 128)}, {"ic08", "raw"}})));
  EXPECT_EQ(CGImageSourceGetCount(source), 2u);
  CGImageRef first = CGImageSourceCreateImageAtIndex(source, 0, nullptr);
  CGImageRef second = CGImageSourceCreateImageAtIndex(source, 1, nullptr);
  EXPECT_EQ(plat::ImageElementType(first), FourCC("ic07"));
  EXPECT_EQ(CGImageGetHeight(first), 128u);
  EXPECT_FALSE(plat::ImageIsPNG(second));
  EXPECT_EQ(CGImageGetWidth(second), 0u);  // not known without PNG data
  EXPECT_EQ(CGImageSourceCreateImageAtIndex(source, 2, nullptr), nullptr);
  CGImageRelease(first);
  CGImageRelease(second);
  CGImageSourceRelease(source);

  CGImageSourceRef empty = OpenSource(folder.Write("empty.icns", Icns({})));
  EXPECT_EQ(CGImageSourceCreateImageAtIndex(empty, 0, nullptr), nullptr);
  CGImageSourceRelease(empty);
  EXPECT_EQ(OpenSource(folder.Write("cut.icns", Icns({{"ic08", "data"}}).substr(0, 14))), nullptr);
  EXPECT_EQ(OpenSource(folder.path() / "missing.icns"), nullptr);
  EXPECT_EQ(OpenSource(folder.path()), nullptr);
  EXPECT_EQ(plat::LiveImages(), 0);
  EXPECT_EQ(plat::LiveImageSources(), 0);
}

TEST(DockTile, KeepsItsOwnReferenceAndTellsEveryChange) {
  ScratchFolder folder;
  CGImageSourceRef source = OpenSource(folder.Write("a.icns", Icns({{"ic08", Png(256, 256)}})));
  CGImageRef image = CGImageSourceCreateImageAtIndex(source, 0, nullptr);
  CGImageSourceRelease(source);
  std::vector<std::size_t> seen;  // the width of each image shown, 0 for the own icon
  const int observer = plat::AddDockTileObserver(
      [&seen](CGImageRef shown) { seen.push_back(CGImageGetWidth(shown)); });

  EXPECT_EQ(SetApplicationDockTileImage(nullptr), paramErr);
  EXPECT_EQ(SetApplicationDockTileImage(image), noErr);
  CGImageRelease(image);
  EXPECT_EQ(CGImageGetWidth(plat::CurrentDockTileImage()), 256u);
  RestoreApplicationDockTileImage();
  EXPECT_EQ(plat::CurrentDockTileImage(), nullptr);
  EXPECT_EQ(plat::LiveImages(), 0);
  plat::RemoveDockTileObserver(observer);
  RestoreApplicationDockTileImage();
  EXPECT_EQ(seen, (std::vector<std::size_t>{256, 0}));
}

}  // namespace
