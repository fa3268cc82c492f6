#include <set>

#include "platform/KeyCodes.h"
#include "tests/prefs/PreferencesFixture.h"

namespace {

class HotKeyCaptureTest : public PreferencesTest {
 protected:
  HotKeyCaptureTest() {
    Plug({.generation = 2});
    Open();  // the first hot-key field has the keyboard focus
  }
};

TEST_F(HotKeyCaptureTest, AKeyPressedInAFieldBecomesItsHotKeyByName) {
  struct Capture {
    UInt32 keyCode, modifiers;
    std::string shows;
  };
  for (const Capture& capture : std::vector<Capture>{
           {kVK_Tab, 0, "Tab"},
           {kVK_Return, 0, "Enter"},
           {kVK_ANSI_Q, 0, "q"},
           {kVK_ANSI_Q, shiftKey, "Q"},
           {kVK_ANSI_Q, alphaLock, "Q"},
           {kVK_ANSI_Q, controlKey | optionKey | cmdKey, "q"},
       }) {
    plat::TypeKey(capture.keyCode, capture.modifiers);
    EXPECT_EQ(View(kHotKeyIDs[0]).text, capture.shows);
    EXPECT_EQ(HotConfig[0].hotKey.keyCode, capture.keyCode) << capture.shows;
    EXPECT_STREQ(HotConfig[0].hotKey.keyName, capture.shows.c_str());
  }
  EXPECT_TRUE(View(kHotKeyIDs[0]).focused);  // Tab and Return were taken, not acted on
  EXPECT_EQ(KVMSwitch.hotKeys[0].keyCode, 0x12u);
}

// Every key of the keyboard, as the platform names it and by what it types: the special keys
// show their names, the others their character; Esc and F16 to F20 have no name of their own.
TEST_F(HotKeyCaptureTest, EveryKeyShowsItsNameOrTheCharacterItTypes) {
  const std::set<std::string> unnamed = {"Esc", "F16", "F17", "F18", "F19", "F20"};
  testing::internal::CaptureStderr();
  for (const plat::MacKey& key : plat::MacKeys()) {
    const std::string name = key.name;
    const bool named = name.size() > 1 && !unnamed.contains(name);
    TypeInto(0, key.keyCode);
    EXPECT_EQ(HotConfig[0].hotKey.keyName, named ? name : std::string(1, key.character)) << name;
  }
  testing::internal::GetCapturedStderr();
}

TEST_F(HotKeyCaptureTest, EachKeyIsReportedAndAKeyWithoutCharacterHasNoName) {
  testing::internal::CaptureStderr();
  plat::PressKey(kVK_F6, 0x10);
  plat::PressKey(0x0A, '\xA7');  // the ISO section key types a character above 127
  plat::PressKey(0x0A, 0);
  TCarbonEvent bare(kEventClassKeyboard, kEventRawKeyDown);  // its character cannot be had
  bare.SetParameter(kEventParamKeyCode, UInt32{kVK_ANSI_Q});
  EXPECT_EQ(Handle_EventRawKeyDown(nullptr, bare, nullptr), eventParameterNotFoundErr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "keycode - 97 - Charcode - 16 \nkeycode - 10 - Charcode - -89 \n"
            "keycode - 10 - Charcode - 0 \nkeycode - 12 - Charcode - 0 \n");
  EXPECT_EQ(View(kHotKeyIDs[0]).text, "");
  EXPECT_EQ(HotConfig[0].hotKey.keyCode, UInt32{kVK_ANSI_Q});
  EXPECT_STREQ(HotConfig[0].hotKey.keyName, "");
  // A handler given no field of the four takes nothing and says nothing.
  testing::internal::CaptureStderr();
  EXPECT_EQ(Handle_EventRawKeyDown(nullptr, nullptr, reinterpret_cast<void*>(4)), noErr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(HotKeyCaptureTest, ACapturedNameEndsByByte32AndLeavesTheLastThreeBytes) {
  std::memset(HotConfig[1].hotKey.keyName, 'x', 35);  // as a damaged file leaves it
  TypeInto(1, kVK_F6);
  const char* name = HotConfig[1].hotKey.keyName;
  EXPECT_EQ(std::string(name, 36), std::string("F6") + std::string(31, '\0') + "xx" + '\0');
}

}  // namespace
