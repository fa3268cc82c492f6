#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/DockIcon.h"
#include "platform/CFBundle.h"
#include "platform/DockTile.h"
#include "tests/bundle/DockTiles.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// Each case starts as the process does: nothing shown yet, the bundle of the build tree.
class DockIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CurrentIconNumber = -1;
    RestoreApplicationDockTileImage();
    tile.shown.clear();
  }
  void TearDown() override {
    RestoreApplicationDockTileImage();
    plat::SetMainBundleResourcesDirectory("");
  }

  DockTileRecorder tile;
  std::vector<std::string>& shown = tile.shown;  // file of each image the Dock tile was given
};

TEST_F(DockIconTest, ShowsThePortsIconOnlyWhenTheIndexChanges) {
  const long objects = plat::LiveCFObjects();
  ChangeDockIcon(-1);  // right after start: the application's own icon stays
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(plat::CurrentDockTileImage(), nullptr);

  ChangeDockIcon(2);
  ChangeDockIcon(2);
  EXPECT_EQ(shown, std::vector<std::string>{"velbrook3.icns"});
  EXPECT_EQ(CurrentIconNumber, 2);
  EXPECT_EQ(plat::ImageElementType(plat::CurrentDockTileImage()), FourCC("ic08"));

  ChangeDockIcon(7);
  EXPECT_EQ(CurrentIconNumber, 7);
  ChangeDockIcon(-1);  // the main icon once more, as 7 and -1 differ
  EXPECT_EQ(CurrentIconNumber, -1);
  for (int port : {0, 1, 3})
    ChangeDockIcon(port);
  EXPECT_EQ(shown,
            (std::vector<std::string>{"velbrook3.icns", "velbrookmain.icns", "velbrookmain.icns",
                                      "velbrook1.icns", "velbrook2.icns", "velbrook4.icns"}));

  // Only the Dock tile's own image is left.
  EXPECT_EQ(plat::LiveCFObjects(), objects);
  EXPECT_EQ(plat::LiveImages(), 1);
  EXPECT_EQ(plat::LiveImageSources(), 0);
}

TEST_F(DockIconTest, IconThatCannotBeLoadedLeavesTheIconAsItWas) {
  ScratchFolder folder;
  UseBundleWith(folder, {"velbrook1.icns", "velbrookmain.icns"});
  folder.Write("velbrook3.icns", "not an icon file");
  ChangeDockIcon(0);
  const long objects = plat::LiveCFObjects();

  CaptureStderr();
  ChangeDockIcon(1);  // every try prints again
  ChangeDockIcon(1);
  EXPECT_EQ(GetCapturedStderr(),
            "RegisterIcon Error:  Invalid iconFileURLRegisterIcon Error:  Invalid iconFileURL");
  CaptureStderr();
  ChangeDockIcon(2);  // a file that is no image: nothing printed
  EXPECT_EQ(GetCapturedStderr(), "");
  plat::SetMainBundleResourcesDirectory(folder.path() / "gone");
  CaptureStderr();
  ChangeDockIcon(-1);
  EXPECT_EQ(GetCapturedStderr(), "RegisterIcon Error:  CFBundleGetMainBundle return null");

  EXPECT_EQ(CurrentIconNumber, 0);
  EXPECT_EQ(shown, std::vector<std::string>{"velbrook1.icns"});
  EXPECT_EQ(plat::LiveCFObjects(), objects);
}

}  // namespace
