// Localized strings from the bundle's message catalogues, through gettext.
//
// Each translation is a catalogue <bundle>/locale/<language>/LC_MESSAGES/tallowmere.mo; the key
// is the message id. The user's language is taken from the environment the way gettext reads it
// (LANGUAGE, a colon-separated list, then LC_ALL, LC_MESSAGES, LANG), but without depending on
// the locales installed on the machine: gettext ignores LANGUAGE when the messages locale is
// "C", which is what the process has when it never set a locale or when the user's locale is not
// installed (a machine with only C.UTF-8). So each lookup runs with a thread-local messages
// locale of C.UTF-8 and with LANGUAGE set to the user's list, and puts both back afterwards.
// A user who chooses the "C" or "POSIX" locale gets the untranslated texts, as with gettext.
//
// gettext trusts the catalogues it reads, so every catalogue of the bundle is checked first; a
// language with a damaged catalogue is left out of the list, and its texts stay untranslated (or
// come from the user's next language).
#include <libintl.h>
#include <locale.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/CFBundle.h"
#include "platform/model/bundle/MessageCatalogue.h"
#include "platform/model/core/FileContents.h"

namespace {

constexpr const char* kDomain = "tallowmere";
constexpr const char* kLanguageVariable = "LANGUAGE";

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The user's languages as a gettext language list; "" when texts stay untranslated.
std::string PreferredLanguages() {
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = EnvironmentValue(name);
    if (!locale.empty())
      break;
  }
  if (locale == "C" || locale == "POSIX")
    return {};
  const std::string languages = EnvironmentValue(kLanguageVariable);
  return languages.empty() ? locale : languages;
}

// A messages locale other than "C" that every glibc system has; null on a system without it
// (lookups then run in the thread's own locale).
locale_t MessagesLocale() {
  static const locale_t messages = [] {
    for (const char* name : {"C.UTF-8", "C.utf8"}) {
      if (const locale_t found = newlocale(LC_MESSAGES_MASK, name, locale_t{}); found != nullptr) {
        return found;
      }
    }
    return locale_t{};
  }();
  return messages;
}

class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(locale_t locale)
      : previous_(locale == nullptr ? locale_t{} : uselocale(locale)) {}
  ScopedThreadLocale(const ScopedThreadLocale&) = delete;
  ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;
  ~ScopedThreadLocale() {
    if (previous_ != nullptr)
      uselocale(previous_);
  }

 private:
  locale_t previous_;
};

class ScopedLanguageList {
 public:
  explicit ScopedLanguageList(const std::string& languages) {
    if (const char* value = std::getenv(kLanguageVariable))
      saved_ = value;
    setenv(kLanguageVariable, languages.c_str(), 1);
  }
  ScopedLanguageList(const ScopedLanguageList&) = delete;
  ScopedLanguageList& operator=(const ScopedLanguageList&) = delete;
  ~ScopedLanguageList() {
    if (saved_) {
      setenv(kLanguageVariable, saved_->c_str(), 1);
    } else {
      unsetenv(kLanguageVariable);
    }
  }

 private:
  std::optional<std::string> saved_;
};

// "de" of "de_DE.UTF-8@euro": every name gettext may try for a language entry starts with it.
std::string LanguageOf(const std::string& name) {
  return name.substr(0, name.find_first_of("_.@"));
}

// The languages (as LanguageOf names them) that have a damaged catalogue in `directory`.
std::set<std::string> LanguagesWithDamagedCatalogues(const std::string& directory) {
  namespace fs = std::filesystem;
  std::set<std::string> damaged;
  std::error_code error;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    const fs::path catalogue = entry->path() / "LC_MESSAGES" / (std::string(kDomain) + ".mo");
    if (!fs::exists(catalogue, error))
      continue;
    const std::string contents = plat::FileContents(catalogue.string()).value_or("");
    const std::vector<std::uint8_t> bytes(contents.begin(), contents.end());
    if (!plat::IsSoundMessageCatalogue(bytes))
      damaged.insert(LanguageOf(entry->path().filename().string()));
  }
  return damaged;
}

// The entries of the colon-separated list whose language has no damaged catalogue.
std::string WithoutDamaged(const std::string& languages, const std::set<std::string>& damaged) {
  std::string kept;
  std::size_t start = 0;
  while (start <= languages.size()) {
    const std::size_t colon = std::min(languages.find(':', start), languages.size());
    const std::string entry = languages.substr(start, colon - start);
    start = colon + 1;
    if (entry.empty() || damaged.count(LanguageOf(entry)) != 0)
      continue;
    kept += (kept.empty() ? "" : ":") + entry;
  }
  return kept;
}

std::mutex lookupMutex;
std::string boundDirectory;
std::set<std::string> damagedLanguages;  // of the bound directory
std::string lastLanguages;

std::optional<std::string> Translation(const std::string& resources, const std::string& key) {
  // An empty message id would give the catalogue's header.
  if (resources.empty() || key.empty())
    return std::nullopt;
  if (PreferredLanguages().empty())
    return std::nullopt;

  std::lock_guard lock(lookupMutex);
  const std::string directory = resources + "/locale";
  if (directory != boundDirectory) {
    bindtextdomain(kDomain, directory.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
    boundDirectory = directory;
    damagedLanguages = LanguagesWithDamagedCatalogues(directory);
  }
  const std::string languages = WithoutDamaged(PreferredLanguages(), damagedLanguages);
  if (languages.empty())
    return std::nullopt;
  ScopedThreadLocale messagesLocale(MessagesLocale());
  ScopedLanguageList languageList(languages);
  if (languages != lastLanguages) {
    // gettext remembers the translations it found under the locale's name, not under LANGUAGE;
    // setting the text domain again is its signal to forget them.
    const std::string current = textdomain(nullptr);
    textdomain(current.c_str());
    lastLanguages = languages;
  }
  const char* found = dgettext(kDomain, key.c_str());
  if (found == key.c_str())
    return std::nullopt;  // gettext hands the key back when it has none
  return std::string(found);
}

}  // namespace

// The bundle has one table of translations, the default one; other tables have none.
CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef table) {
  const bool defaultTable = table == nullptr || CFStringGetLength(table) == 0 ||
                            plat::ToStdString(table) == "Localizable";
  if (defaultTable) {
    if (const auto text =
            Translation(plat::BundleResourcesDirectory(bundle), plat::ToStdString(key))) {
      // A damaged catalogue must not produce a string that is not valid text.
      if (CFStringRef translated = CFStringCreateWithCString(kCFAllocatorDefault, text->c_str(),
                                                             kCFStringEncodingUTF8)) {
        return translated;
      }
    }
  }
  const CFStringRef fallback = (value != nullptr && CFStringGetLength(value) > 0) ? value : key;
  return fallback == nullptr ? nullptr : CFStringCreateCopy(kCFAllocatorDefault, fallback);
}
