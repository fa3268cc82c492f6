#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/CFBundle.h"
#include "platform/model/bundle/BundleLayout.h"
#include "tests/ScratchFolder.h"

namespace {

// The path of the resource found in the main bundle, "" for none.
std::string Lookup(const char* name, const char* type = nullptr, const char* subDir = nullptr) {
  auto text = [](const char* s) { return s == nullptr ? nullptr : CFSTR(s); };
  plat::CFHolder url(
      CFBundleCopyResourceURL(CFBundleGetMainBundle(), text(name), text(type), text(subDir)));
  return plat::URLPath(static_cast<CFURLRef>(url.get()));
}

struct BundleTest : ::testing::Test {
  void TearDown() override { plat::SetMainBundleResourcesDirectory(""); }
  ScratchFolder folder;
};

TEST_F(BundleTest, MainBundleIsTheShareFolderBesideTheProgramsBinFolder) {
  const auto exe = std::filesystem::read_symlink("/proc/self/exe");
  ASSERT_NE(CFBundleGetMainBundle(), nullptr);
  EXPECT_EQ(plat::MainBundleResourcesDirectory(),
            (exe.parent_path().parent_path() / "share/tallowmere").lexically_normal());

  // The installed layout: <prefix>/bin/tallowmere beside <prefix>/share/tallowmere.
  EXPECT_EQ(plat::BundleResourcesForExecutable(folder.path() / "bin/tallowmere"), "");
  folder.Write("share/tallowmere/velbrook1.icns", "icon");
  EXPECT_EQ(plat::BundleResourcesForExecutable(folder.path() / "bin/tallowmere"),
            folder.path() / "share/tallowmere");

  plat::SetMainBundleResourcesDirectory(folder.path() / "missing");
  EXPECT_EQ(CFBundleGetMainBundle(), nullptr);
}

TEST_F(BundleTest, ResourcesAreFoundByFullNameAndNeverOutsideTheBundle) {
  folder.Write("secret", "outside");
  const auto icon = folder.Write("bundle/velbrook1.icns", "icon");
  const auto nib = folder.Write("bundle/nibs/main.nib", "nib");
  std::filesystem::create_directory(folder.path() / "bundle/folder.icns");
  plat::SetMainBundleResourcesDirectory(folder.path() / "bundle");

  EXPECT_EQ(Lookup("velbrook1.icns"), icon);
  EXPECT_EQ(Lookup("velbrook1", "icns"), icon);
  EXPECT_EQ(Lookup("main.nib", nullptr, "nibs"), nib);
  for (const char* name : {"velbrook2.icns", "folder.icns", "../secret", "..", ".", "",
                           "nibs/main.nib", "/etc/passwd"}) {
    EXPECT_EQ(Lookup(name), "") << name;
  }
  EXPECT_EQ(Lookup("secret", nullptr, ".."), "");
  EXPECT_EQ(Lookup("main.nib", nullptr, "nibs/../nibs"), "");
  EXPECT_EQ(Lookup("main.nib", nullptr, (folder.path() / "bundle/nibs").c_str()), "");
  EXPECT_EQ(Lookup("x", "/../../secret"), "");
}

}  // namespace
