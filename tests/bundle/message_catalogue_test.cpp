#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/CFBundle.h"
#include "platform/model/bundle/MessageCatalogue.h"
#include "tests/ScratchFolder.h"
#include "tests/bundle/NoLocaleSettings.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::size_t at, std::uint32_t word) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

// A little-endian catalogue of the sorted pairs, laid out as msgfmt does: header, the two
// string tables, a hash table of `hashSlots` empty slots, then the strings.
Bytes Catalogue(const std::vector<std::pair<std::string, std::string>>& pairs,
                std::uint32_t hashSlots = 0) {
  const auto n = static_cast<std::uint32_t>(pairs.size());
  const std::uint32_t originals = 28;
  const std::uint32_t translations = originals + 8 * n;
  const std::uint32_t hash = translations + 8 * n;
  std::uint32_t text = hash + 4 * hashSlots;
  Bytes bytes(text);
  Put(bytes, 0, 0x950412de);
  Put(bytes, 8, n);
  Put(bytes, 12, originals);
  Put(bytes, 16, translations);
  Put(bytes, 20, hashSlots);
  Put(bytes, 24, hash);
  auto append = [&](std::uint32_t table, std::uint32_t i, const std::string& s) {
    Put(bytes, table + 8 * i, static_cast<std::uint32_t>(s.size()));
    Put(bytes, table + 8 * i + 4, static_cast<std::uint32_t>(bytes.size()));
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  };
  for (std::uint32_t i = 0; i < n; ++i)
    append(originals, i, pairs[i].first);
  for (std::uint32_t i = 0; i < n; ++i)
    append(translations, i, pairs[i].second);
  return bytes;
}

const std::vector<std::pair<std::string, std::string>> kGerman = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"Start Auto-Scan", "Auto-Scan starten"},
    {"Stop Auto-Scan", "Auto-Scan beenden"}};

TEST(MessageCatalogueTest, SoundCataloguesPassInEitherByteOrder) {
  Bytes little = Catalogue(kGerman, 5);
  EXPECT_TRUE(plat::IsSoundMessageCatalogue(little));
  // The same with every word of the header, the tables and the hash table the other way round.
  Bytes big = little;
  for (std::size_t at = 0; at < 28 + 2 * 8 * 3 + 4 * 5; at += 4) {
    std::swap(big[at], big[at + 3]);
    std::swap(big[at + 1], big[at + 2]);
  }
  EXPECT_TRUE(plat::IsSoundMessageCatalogue(big));
}

TEST(MessageCatalogueTest, DamagedCataloguesAreRefused) {
  const Bytes sound = Catalogue(kGerman, 5);
  auto with = [&](std::size_t at, std::uint32_t word) {
    Bytes damaged = sound;
    Put(damaged, at, word);
    return damaged;
  };
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(Bytes(sound.begin(), sound.begin() + 27)));
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(0, 0x12345678)));   // magic
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(4, 2u << 16)));     // major revision 2
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(8, 1000)));         // more strings than held
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(12, 0xfffffff0)));  // table past the end
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(28 + 8, 0xffff)));  // string past the end
  // A string whose NUL is not where its length says.
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(28 + 8, 3)));
  const std::size_t hash = 28 + 2 * 8 * 3;
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(with(hash, 4)));  // a slot naming no string
  Bytes full = sound;                                          // no empty slot: endless search
  for (std::size_t slot = 0; slot < 5; ++slot)
    Put(full, hash + 4 * slot, 1);
  EXPECT_FALSE(plat::IsSoundMessageCatalogue(full));
}

// A bundle whose German catalogue is damaged: the lookup does not hand it to gettext, and the
// user's next language is used.
using DamagedCatalogueTest = NoLocaleSettings;

TEST_F(DamagedCatalogueTest, ALanguageWithADamagedCatalogueIsPassedOver) {
  ScratchFolder bundle;
  Bytes damaged = Catalogue(kGerman);
  Put(damaged, 12, 0xfffffff0);
  bundle.Write("locale/de/LC_MESSAGES/tallowmere.mo", std::string(damaged.begin(), damaged.end()));
  const Bytes french = Catalogue(
      {{"", "Content-Type: text/plain; charset=UTF-8\n"}, {"Start Auto-Scan", "Démarrer"}});
  bundle.Write("locale/fr/LC_MESSAGES/tallowmere.mo", std::string(french.begin(), french.end()));
  plat::SetMainBundleResourcesDirectory(bundle.path().string());
  setenv("LANG", "C.UTF-8", 1);
  setenv("LANGUAGE", "de_DE:fr", 1);

  plat::CFHolder text(CFBundleCopyLocalizedString(CFBundleGetMainBundle(), CFSTR("Start Auto-Scan"),
                                                  nullptr, nullptr));
  EXPECT_EQ(plat::ToStdString(static_cast<CFStringRef>(text.get())), "Démarrer");
  plat::SetMainBundleResourcesDirectory("");
}

}  // namespace
