#include <algorithm>

#include "platform/CFBundle.h"
#include "platform/FrontModel.h"
#include "platform/Menus.h"
#include "platform/model/core/FileContents.h"
#include "platform/model/toolbox/BuiltInNibs.h"
#include "platform/model/toolbox/NibSource.h"
#include "tests/ScratchFolder.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace toolbox_test {
namespace {

using NibTest = ToolboxTest;

TEST_F(NibTest, ThePreferencesWindowHoldsEveryControlOfTheTableWithItsKind) {
  const WindowRef window = PreferencesWindow();
  struct Expected {
    const char* signature;
    std::vector<SInt32> ids;
    OSType kind;
  };
  const Expected table[] = {
      {"HOTG", {1}, kControlKindGroupBox},
      {"HOTG", {2, 3, 4, 5}, kControlKindEditText},
      {"HOTG", {6, 7, 8, 9}, kControlKindStaticText},
      {"OPTG", {10}, kControlKindGroupBox},
      {"OPTG", {11, 12, 14, 16}, kControlKindCheckBox},
      {"OPTG", {13, 15, 17, 18, 20}, kControlKindPopupButton},
  };
  for (const Expected& row : table) {
    for (SInt32 id : row.ids) {
      ControlKind kind{};
      EXPECT_EQ(GetControlKind(Find(window, row.signature, id), &kind), noErr)
          << row.signature << " " << id;
      EXPECT_EQ(kind.kind, row.kind) << row.signature << " " << id;
    }
  }
  // Captions have text; popups own a menu. (What OK and Cancel send is in the standard handler's
  // tests, and the menu bar's commands in the console's and the application's.)
  EXPECT_FALSE(plat::DescribeWindow(window)->controls[2].text.empty());
  MenuRef menu = nullptr;
  GetControlData(Find(window, "OPTG", 20), 0, kControlPopupButtonMenuHandleTag, 4, &menu, nullptr);
  EXPECT_EQ(CountMenuItems(menu), 5);
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(NibTest, TheDockMenuSendsTheApplicationsCommands) {
  IBNibRef nib = nullptr;
  ASSERT_EQ(CreateNibReference(CFSTR("USBMENUDOCK"), &nib), noErr);
  MenuRef dock = nullptr;
  ASSERT_EQ(CreateMenuFromNib(nib, CFSTR("DockMenu"), &dock), noErr);
  DisposeNibReference(nib);
  const char* ports[] = {"SPC1", "SPC2", "SPC3", "SPC4"};
  for (MenuItemIndex item = 3; item <= 6; ++item) {
    MenuCommand command = 0;
    GetMenuItemCommandID(dock, item, &command);
    EXPECT_EQ(command, FourCCFromText(ports[item - 3]));
  }
  EXPECT_EQ(GetIndMenuItemWithCommandID(dock, FourCC("Auto"), 1, nullptr, nullptr), noErr);
  ReleaseMenu(dock);
  EXPECT_EQ(plat::LiveNibReferences(), 0);
}

// The build's form of each of the program's nibs makes what the reader makes of its file; a text
// that differs by one byte is not taken for it.
TEST_F(NibTest, TheBuiltInNibsAreWhatTheReaderMakesOfTheirFiles) {
  for (const char* name : {"main", "USBMENUDOCK"}) {
    const std::string text =
        plat::FileContents(plat::MainBundleResourcesDirectory() + "/" + name + ".nib").value_or("");
    std::string error;
    const auto read = plat::nib::ReadNib(text, error);
    const auto built = plat::nib::BuiltInNib(text);
    ASSERT_TRUE(read && built) << name << ": " << error;
    EXPECT_EQ(plat::nib::DocumentSource(*built), plat::nib::DocumentSource(*read)) << name;
    EXPECT_FALSE(plat::nib::BuiltInNib(text + " "));
  }
  EXPECT_EQ(plat::nib::StringLiteral("a\"?\n\342\200\246b"), R"("a\"\077\012\342\200\246b")");
}

class BadNibTest : public NibTest {
 protected:
  void SetUp() override {
    NibTest::SetUp();
    plat::SetMainBundleResourcesDirectory(folder.path());
  }
  void Write(const std::string& name, const std::string& text) {
    folder.Write(name + ".nib", text);
  }
  // Opens the nib, creates the window "W" from it, and answers the status and stderr.
  std::pair<OSStatus, std::string> OpenWindow(const char* nibName) {
    testing::internal::CaptureStderr();
    IBNibRef nib = nullptr;
    const plat::CFHolder name(plat::MakeCFString(nibName));
    OSStatus status = CreateNibReference(static_cast<CFStringRef>(name.get()), &nib);
    if (status == noErr) {
      WindowRef window = nullptr;
      status = CreateWindowFromNib(nib, CFSTR("W"), &window);
      DisposeNibReference(nib);
    }
    return {status, testing::internal::GetCapturedStderr()};
  }
  ScratchFolder folder{"tallowmere-nibs-"};
};

TEST_F(BadNibTest, AnUnusableNibOrAMissingObjectGivesItsStatusAndOneLineNamingTheFile) {
  Write("malformed", "{\"windows\": {\"W\": ");
  Write("kind", R"({"windows": {"W": {"frame": [0, 0, 10, 10],
                   "controls": [{"kind": "slider", "frame": [0, 0, 5, 5]}]}}})");
  Write("newline", R"({"windows": {"W": {"frame": [0, 0, 10, 10],
                      "controls": [{"kind": "a\nb", "frame": [0, 0, 5, 5]}]}}})");
  Write("range", R"({"windows": {"W": {"frame": [0, 0, 10, 40000]}}})");
  Write("other", R"({"menus": {"W": {"items": []}}})");
  Write("empty", "{}");
  const struct {
    const char* nib;
    OSStatus status;
    const char* says;
  } cases[] = {
      {"missing", kIBCarbonRuntimeCantFindNibFile, "missing.nib: no such nib"},
      {"malformed", kIBCarbonRuntimeCantFindNibFile, "malformed.nib: not valid JSON"},
      {"kind", kIBCarbonRuntimeCantFindNibFile,
       "kind.nib: windows.W.controls[0].kind: unknown control kind \"slider\""},
      {"newline", kIBCarbonRuntimeCantFindNibFile, "unknown control kind \"a\\x0Ab\""},
      {"range", kIBCarbonRuntimeCantFindNibFile, "range.nib: windows.W.frame[3]: is outside"},
      {"other", kIBCarbonRuntimeObjectNotOfRequestedType, "\"W\" is a menu, not a window"},
      {"empty", kIBCarbonRuntimeCantFindObject, "empty.nib: no window named \"W\""},
  };
  for (const auto& bad : cases) {
    const auto [status, stderrText] = OpenWindow(bad.nib);
    EXPECT_EQ(status, bad.status) << bad.nib;
    EXPECT_NE(stderrText.find(bad.says), std::string::npos) << stderrText;
    EXPECT_EQ(std::count(stderrText.begin(), stderrText.end(), '\n'), 1) << stderrText;
  }
  EXPECT_EQ(plat::LiveNibReferences(), 0);
  EXPECT_EQ(plat::LiveWindows(), 0);
}

}  // namespace
}  // namespace toolbox_test
