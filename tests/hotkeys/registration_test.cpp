#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/HotKeyFile.h"
#include "app/HotKeys.h"
#include "platform/HotKeys.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace {

constexpr UInt32 kControlOption = 0x1800;

class HotKeyRegistrationTest : public toolbox_test::ToolboxTest {
 protected:
  HotKeyRegistrationTest() {
    plat::ResetHotKeys();
    std::memcpy(KVMSwitch.hotKeys, DefaultKeys, sizeof KVMSwitch.hotKeys);
    On(GetApplicationEventTarget(), kEventClassKeyboard, kEventHotKeyPressed,
       [this](EventHandlerCallRef, EventRef event) {
         EventHotKeyID id{};
         GetEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof id,
                           nullptr, &id);
         pressed.push_back(id.id);
         return noErr;
       });
  }
  std::vector<UInt32> pressed;
};

TEST_F(HotKeyRegistrationTest, EachPortHasItsKeyWithControlOptionAndItsIdentity) {
  RegisterHotKeys();
  const auto first = plat::RegisteredHotKeys();
  RegisterHotKeys();  // gives back the four handles of the first time, then registers anew
  const auto second = plat::RegisteredHotKeys();
  ASSERT_EQ(second.size(), 4u);
  for (UInt32 i = 0; i < 4; ++i) {
    EXPECT_NE(second[i].ref, first[i].ref);
    EXPECT_EQ(second[i].keyCode, DefaultKeys[i].keyCode);
    EXPECT_EQ(second[i].modifiers, kControlOption);
    EXPECT_EQ(second[i].id.signature, FourCC("PCH1") + i);
    EXPECT_EQ(second[i].id.id, i + 1);
    EXPECT_EQ(second[i].target, GetApplicationEventTarget());
  }
  EXPECT_EQ(plat::PressHotKey(0x14, kControlOption), noErr);
  EXPECT_EQ(plat::PressHotKey(0x14, controlKey), eventNotHandledErr);
  EXPECT_EQ(pressed, std::vector<UInt32>{3});
}

TEST_F(HotKeyRegistrationTest, AKeyThatCannotBeRegisteredLeavesTheOthersWorking) {
  plat::RefuseHotKey(0x13);
  KVMSwitch.hotKeys[3].keyCode = 0xFFFFFFFF;  // beyond the keyboard
  RegisterHotKeys();
  EXPECT_EQ(plat::RegisteredHotKeys().size(), 2u);
  for (UInt32 key : {0x12u, 0x13u, 0x14u})
    plat::TypeKey(key, kControlOption);
  EXPECT_EQ(pressed, (std::vector<UInt32>{1, 3}));
}

TEST(KeyTable, FindsKeysByWhatAPersonCallsThemAndTypesTheirCharacters) {
  EXPECT_EQ(plat::FindKeyByName("F6")->keyCode, kVK_F6);
  EXPECT_EQ(plat::FindKeyByName("space")->keyCode, kVK_Space);
  EXPECT_EQ(plat::FindKeyByName("1 (Numeric Pad)")->keyCode, kVK_ANSI_Keypad1);
  EXPECT_EQ(plat::FindKeyByName("Q")->modifiers, shiftKey);
  EXPECT_FALSE(plat::FindKeyByName("Hyper").has_value());
  EXPECT_EQ(plat::KeyCharacter(kVK_ANSI_Q, alphaLock), 'Q');
  EXPECT_EQ(plat::KeyCharacter(kVK_ANSI_1, alphaLock | controlKey), '1');
}

}  // namespace
