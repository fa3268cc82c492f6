// GetHotKeyConfiguration over any "HOTKEY.CFG" a user could have: the input is the file. Aborts
// when a name does not end inside its record, when a full file's records are not read as they
// stand (little-endian key codes), when a short file gives anything but the defaults, or when
// the keys read do not come back unchanged from a write and a second read.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/HotKeyFile.h"
#include "tests/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

bool Broken(const char* rule) {
  std::fprintf(stderr, "HOTKEY.CFG reader broke a rule: %s\n", rule);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchFolder folder("hotkeys-", true);
  std::ofstream(folder.path() / "HOTKEY.CFG", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  // The folder is the working directory only while the reader runs: the fuzzer reads its corpus
  // by relative paths.
  const fs::path previous = fs::current_path();
  fs::current_path(folder.path());
  _HOT_KEY keys[4], again[4];
  std::memset(keys, 0xA5, sizeof keys);
  const int result = GetHotKeyConfiguration(keys);
  const bool survives = SetHotKeyConfiguration(keys) == 1 && GetHotKeyConfiguration(again) == 1 &&
                        std::memcmp(again, keys, sizeof keys) == 0;
  fs::current_path(previous);

  for (const _HOT_KEY& key : keys) {
    if (std::memchr(key.keyName, '\0', sizeof key.keyName) == nullptr)
      Broken("a name runs past its record");
  }
  if (size < kHotKeyFileSize && (result != 0 || std::memcmp(keys, DefaultKeys, sizeof keys) != 0)) {
    Broken("a short file did not give the defaults");
  }
  for (std::size_t port = 0; size >= kHotKeyFileSize && port < 4; ++port) {
    const std::uint8_t* record = data + port * sizeof(_HOT_KEY);
    const UInt32 code = record[0] | record[1] << 8 | record[2] << 16 | UInt32{record[3]} << 24;
    if (result != 1 || keys[port].keyCode != code ||
        std::strncmp(keys[port].keyName, reinterpret_cast<const char*>(record + 4), 35) != 0) {
      Broken("a record was not read as it stands");
    }
  }
  if (!survives)
    Broken("the keys did not survive a write and a read");
  return 0;
}
