// The bundle's localized strings over any message catalogue a bundle could hold: the input is the
// file locale/xx/LC_MESSAGES/tallowmere.mo of a bundle of its own, looked up as the Dock menu
// does. Reading the catalogue is gettext's (the C library's); what is ours is the lookup around
// it and what the program is handed: a string of valid text always (the translation, else the
// default), and nothing left behind. Aborts otherwise.
//
// gettext keeps every catalogue it has read until the process ends, under its file name, so each
// input gets a folder of its own; scripts/fuzz-campaign.sh runs this target in bounded slices
// (-runs) so that the kept catalogues do not exhaust the memory maps.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CFBundle.h"
#include "platform/CoreFoundation.h"
#include "tests/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

void Require(bool holds, const char* rule) {
  if (!holds) {
    std::fprintf(stderr, "localized strings broke a rule: %s\n", rule);
    std::abort();
  }
}

void LookUp(const char* key) {
  const CFStringRef keyString = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  const CFStringRef text =
      CFBundleCopyLocalizedString(CFBundleGetMainBundle(), keyString, keyString, nullptr);
  Require(text != nullptr, "no string for a key with a default");
  // Anything a catalogue yields is shown in a menu: it must be text that converts back.
  std::vector<char> utf8(static_cast<std::size_t>(CFStringGetLength(text)) * 4 + 1);
  Require(CFStringGetCString(text, utf8.data(), static_cast<CFIndex>(utf8.size()),
                             kCFStringEncodingUTF8),
          "a string that is not valid text");
  CFRelease(text);
  CFRelease(keyString);
}

// Each input is looked up in language xx, whatever the machine's own settings.
ScratchFolder& Bundles() {
  static ScratchFolder folder("catalogues-", true);
  setenv("LANG", "C.UTF-8", 1);
  setenv("LANGUAGE", "xx", 1);
  return folder;
}

}  // namespace

// gettext's parser of a catalogue's Plural-Forms expression leaks a few bytes when the expression
// is malformed; that is the C library's, not this program's, and would stop every run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__gettextparse\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchFolder& folder = Bundles();
  static unsigned long input = 0;
  const fs::path bundle = folder.path() / std::to_string(++input);
  const fs::path messages = bundle / "locale" / "xx" / "LC_MESSAGES";
  fs::create_directories(messages);
  {
    std::ofstream out(messages / "tallowmere.mo", std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  plat::SetMainBundleResourcesDirectory(bundle.string());
  const long objects = plat::LiveCFObjects();
  for (const char* key : {"Start Auto-Scan", "Stop Auto-Scan", "Auto-Scan"})
    LookUp(key);
  Require(plat::LiveCFObjects() == objects, "strings left behind");
  plat::SetMainBundleResourcesDirectory("");
  fs::remove_all(bundle);
  return 0;
}
