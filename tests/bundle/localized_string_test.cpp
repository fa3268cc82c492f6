#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/CFBundle.h"
#include "tests/bundle/NoLocaleSettings.h"

namespace {

std::string Localized(const char* key, const char* value = nullptr, CFStringRef table = nullptr) {
  plat::CFHolder text(CFBundleCopyLocalizedString(
      CFBundleGetMainBundle(), CFSTR(key), value == nullptr ? nullptr : CFSTR(value), table));
  return plat::ToStdString(static_cast<CFStringRef>(text.get()));
}

using LocalizedStringTest = NoLocaleSettings;

// This machine has only the C locales installed.
TEST_F(LocalizedStringTest, UsersLanguageIsFoundWithOnlyTheCLocalesInstalled) {
  setenv("LANG", "C.UTF-8", 1);
  setenv("LANGUAGE", "de", 1);
  EXPECT_EQ(Localized("Start Auto-Scan"), "Auto-Scan starten");
  EXPECT_EQ(Localized("Stop Auto-Scan"), "Auto-Scan beenden");
  EXPECT_STREQ(std::getenv("LANGUAGE"), "de");
  setenv("LANGUAGE", "sv:fr", 1);  // no Swedish catalogue: the next language
  EXPECT_EQ(Localized("Stop Auto-Scan"), "Arrêter le balayage automatique");

  unsetenv("LANGUAGE");
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(Localized("Start Auto-Scan"), "Auto-Scan starten");
  setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
  EXPECT_EQ(Localized("Start Auto-Scan"), "Démarrer le balayage automatique");
  EXPECT_EQ(std::getenv("LANGUAGE"), nullptr);
}

TEST_F(LocalizedStringTest, UntranslatedTextsGiveTheDefaultOrTheKey) {
  const long objects = plat::LiveCFObjects();
  EXPECT_EQ(Localized("Start Auto-Scan"), "Start Auto-Scan");  // no locale settings at all
  setenv("LANGUAGE", "de", 1);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(Localized("Start Auto-Scan"), "Start Auto-Scan");
  unsetenv("LC_ALL");
  EXPECT_EQ(Localized("Auto-Scan"), "Auto-Scan");
  EXPECT_EQ(Localized("Auto-Scan", "Automatik"), "Automatik");
  EXPECT_EQ(Localized("Stop Auto-Scan", nullptr, CFSTR("Other")), "Stop Auto-Scan");
  setenv("LANGUAGE", "sv", 1);
  EXPECT_EQ(Localized("Stop Auto-Scan"), "Stop Auto-Scan");
  EXPECT_EQ(plat::LiveCFObjects(), objects);
}

}  // namespace
