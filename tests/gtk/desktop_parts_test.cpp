// The desktop front's parts that need no display: the key table shared by the hot-key grabs and
// the key capture, the portal's triggers, the tray item's pixels, the session's property changes,
// and the console input that does not end the program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "platform/KeyCodes.h"
#include "platform/Processes.h"
#include "platform/RunLoop.h"
#include "platform/console/Console.h"
#include "platform/console/InputReader.h"
#include "platform/gtk/KeyTable.h"
#include "platform/gtk/PortalHotKeys.h"
#include "platform/gtk/SessionWatch.h"
#include "platform/gtk/StatusNotifierItem.h"

namespace {

using namespace plat::gtk;

// Every key the program can name is on the table once, and a key found from its X key code is
// the key grabbed for it (here with the evdev numbering, as without a keymap).
TEST(KeyTable, CoversEveryKeyOnceAndMapsBothWaysAlike) {
  std::set<UInt16> macKeys;
  std::set<guint> xKeys;
  for (const KeyTableEntry& entry : KeyTable()) {
    EXPECT_TRUE(macKeys.insert(entry.macKeyCode).second) << "twice: " << entry.macKeyCode;
    EXPECT_NE(plat::FindKeyByCode(entry.macKeyCode), nullptr) << entry.macKeyCode;
    const guint xKey = XKeyCodeForMacKey(nullptr, entry.macKeyCode);
    EXPECT_TRUE(xKeys.insert(xKey).second) << "two keys on X key code " << xKey;
    EXPECT_EQ(MacKeyForXKeyCode(nullptr, xKey), entry.macKeyCode);
  }
  for (const plat::MacKey& key : plat::MacKeys())
    EXPECT_TRUE(macKeys.contains(key.keyCode)) << "no X key for " << key.name;
  // Known positions: F6 is evdev 64, the digit 2 evdev 3, the keypad's 1 evdev 79.
  EXPECT_EQ(XKeyCodeForMacKey(nullptr, kVK_F6), 64u + 8);
  EXPECT_EQ(XKeyCodeForMacKey(nullptr, kVK_ANSI_2), 3u + 8);
  EXPECT_EQ(XKeyCodeForMacKey(nullptr, kVK_ANSI_Keypad1), 79u + 8);
  EXPECT_EQ(XKeyCodeForMacKey(nullptr, 0x7F), 0u);
  EXPECT_EQ(MacKeyForXKeyCode(nullptr, 255), std::nullopt);
}

TEST(KeyTable, ModifiersTranslateBothWays) {
  EXPECT_EQ(XModifierMask(controlKey | optionKey), guint{GDK_CONTROL_MASK | GDK_MOD1_MASK});
  EXPECT_EQ(MacModifiers(GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_MOD2_MASK),
            controlKey | optionKey);  // Num Lock is no modifier of the program's
  for (UInt32 modifiers : {0u, shiftKey, alphaLock, controlKey, optionKey, cmdKey,
                           controlKey | optionKey | shiftKey}) {
    EXPECT_EQ(MacModifiers(XModifierMask(modifiers)), modifiers) << modifiers;
  }
}

// The portal's trigger names the key by its X keysym name, as the shortcuts' syntax does.
TEST(PortalHotKeys, TriggersNameTheKeyAsTheDesktopsDo) {
  const struct {
    UInt32 key;
    UInt32 modifiers;
    const char* trigger;
  } cases[] = {
      {kVK_ANSI_2, controlKey | optionKey, "CTRL+ALT+2"},
      {kVK_F6, controlKey | optionKey, "CTRL+ALT+F6"},
      {kVK_ANSI_Keypad1, controlKey | optionKey, "CTRL+ALT+KP_1"},
      {kVK_Space, controlKey | optionKey, "CTRL+ALT+space"},
      {kVK_ANSI_A, controlKey | optionKey | shiftKey | cmdKey, "CTRL+ALT+SHIFT+LOGO+a"},
      {0x7F, controlKey | optionKey, ""},  // no such key
  };
  for (const auto& c : cases)
    EXPECT_EQ(PortalTrigger(c.key, c.modifiers), c.trigger) << c.key;
  EXPECT_EQ(DescribeShortcuts({{3, "Ctrl+Alt+3"}, {1, "Meta+1"}, {2, ""}}),
            "PC 1 Meta+1, PC 2 none, PC 3 Ctrl+Alt+3");
}

// A StatusNotifierItem's pixels are ARGB with alpha first, whatever GDK keeps.
TEST(StatusNotifierItem, PixelsGoAlphaFirst) {
  GdkPixbuf* rgba = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 2, 1);
  guint8* pixels = gdk_pixbuf_get_pixels(rgba);
  const guint8 two[] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::copy(std::begin(two), std::end(two), pixels);
  EXPECT_EQ(ArgbPixels(rgba), (std::vector<guint8>{4, 1, 2, 3, 8, 5, 6, 7}));
  g_object_unref(rgba);
  GdkPixbuf* rgb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 1, 1);
  const guint8 one[] = {9, 10, 11};
  std::copy(std::begin(one), std::end(one), gdk_pixbuf_get_pixels(rgb));
  EXPECT_EQ(ArgbPixels(rgb), (std::vector<guint8>{255, 9, 10, 11}));
  g_object_unref(rgb);
}

// logind's PropertiesChanged: "Active" is the session switched back (true) or out (false);
// other properties, and a malformed value, are no session event.
TEST(SessionWatch, ActiveBecomesTheSessionEvents) {
  plat::SwitchUserSession(true);
  const std::pair<const char*, bool> changes[] = {{"{'Active': <false>}", false},
                                                  {"{'IdleHint': <true>}", false},
                                                  {"{'Active': <true>}", true},
                                                  {"{'Active': <'no'>}", true}};
  for (const auto& [changed, active] : changes) {
    GVariant* properties = g_variant_ref_sink(g_variant_new_parsed(changed));
    SessionWatch::PropertiesChanged(properties);
    g_variant_unref(properties);
    EXPECT_EQ(plat::UserSessionActive(), active) << changed;
  }
}

// Under the desktop, commands on standard input are an extra: their end is not the program's.
TEST(InputReader, AtTheEndOfCommandsTheDesktopGoesOn) {
  std::ostringstream out;
  plat::console::Console console([&out](std::string_view text) { out << text; });
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string input = "bogus\nbogus too";
  ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(fds[1]);
  plat::console::InputReader reader(fds[0], console,
                                    plat::console::InputReader::AtEnd::kStopReading);
  reader.Start();
  plat::RunLoop::Main().RunPending();
  plat::RunLoop::Main().RunPending();
  close(fds[0]);
  EXPECT_FALSE(console.HasQuit());
  // Both lines ran, the last one without its line end.
  EXPECT_EQ(out.str(),
            "unknown command \"bogus\" (help lists the commands)\n"
            "unknown command \"bogus\" (help lists the commands)\n");
  plat::RunLoop::Main().Reset();
}

}  // namespace
