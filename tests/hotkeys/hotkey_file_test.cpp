#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include "app/HotKeyFile.h"
#include "platform/KeyCodes.h"
#include "tests/hotkeys/WorkingDirectory.h"

namespace {

namespace fs = std::filesystem;
using Bytes = WorkingDirectory::Bytes;

class HotKeyFileTest : public ::testing::Test {
 protected:
  Bytes InMemory() {
    Bytes bytes(kHotKeyFileSize);
    EncodeHotKeyFile(keys, bytes.data());
    return bytes;
  }
  WorkingDirectory cwd;
  const fs::path file = cwd.path() / "HOTKEY.CFG";
  _HOT_KEY keys[4]{};
  const Bytes custom =
      WorkingDirectory::HotKeyFile({{0x61, 'a'}, {0x0C, 'q'}, {0, 0}, {0x7A, 'z'}});
};

TEST_F(HotKeyFileTest, WithoutAFullFileTheDefaultsAreInstalledAndWritten) {
  for (const Bytes& before : {Bytes{}, Bytes(custom.begin(), custom.end() - 1)}) {
    if (!before.empty())
      WorkingDirectory::Write(file, before);
    EXPECT_EQ(GetHotKeyConfiguration(keys), 0);
    EXPECT_EQ(InMemory(), WorkingDirectory::DefaultFile());
    EXPECT_EQ(WorkingDirectory::Read(file), WorkingDirectory::DefaultFile());
  }
}

TEST_F(HotKeyFileTest, ALongerFileGivesItsFirst160BytesAndIsLeftAsItIs) {
  Bytes longer = custom;
  std::memset(&longer[44], 'N', 36);  // port 2's name: no NUL in its 36 bytes
  longer.resize(200, 0xEE);
  WorkingDirectory::Write(file, longer);
  EXPECT_EQ(GetHotKeyConfiguration(keys), 1);
  EXPECT_EQ(keys[1].keyCode, 0x0Cu);
  EXPECT_EQ(std::string(keys[1].keyName), std::string(35, 'N'));  // it ends inside its record
  const Bytes read = InMemory();
  EXPECT_EQ(Bytes(read.begin() + 80, read.end()), Bytes(custom.begin() + 80, custom.end()));
  EXPECT_EQ(WorkingDirectory::Read(file), longer);
}

TEST_F(HotKeyFileTest, RecordsAreStoredAsTheyStandWithLittleEndianKeyCodes) {
  std::memcpy(keys, DefaultKeys, sizeof keys);
  keys[0] = keys[2] = {0x0A0B0C61, "F6"};  // one key for two ports is no concern of the file
  ASSERT_EQ(SetHotKeyConfiguration(keys), 1);
  const Bytes stored = WorkingDirectory::Read(file);
  ASSERT_EQ(stored.size(), 160u);
  EXPECT_EQ(Bytes(stored.begin() + 80, stored.begin() + 86),
            (Bytes{0x61, 0x0C, 0x0B, 0x0A, 'F', '6'}));
  Bytes guarded(200, 0xEE);  // nothing is written past the 160 bytes
  EncodeHotKeyFile(keys, guarded.data());
  EXPECT_EQ(Bytes(guarded.begin() + 160, guarded.end()), Bytes(40, 0xEE));
  _HOT_KEY again[4];
  EXPECT_EQ(GetHotKeyConfiguration(again), 1);
  EXPECT_EQ(std::memcmp(again, keys, sizeof keys), 0);
}

TEST_F(HotKeyFileTest, TheFileIsInTheWorkingDirectoryAfterOneSeparatorIfItCanBeThere) {
  std::string path;
  fs::current_path("/");
  ASSERT_TRUE(HotKeyFilePath(&path));
  EXPECT_EQ(path, "/HOTKEY.CFG");
  fs::create_directories(cwd.path() / "deeper/still");
  fs::current_path(cwd.path() / "deeper/still");
  EXPECT_EQ(GetHotKeyConfiguration(keys), 0);
  EXPECT_TRUE(fs::exists(cwd.path() / "deeper/still/HOTKEY.CFG"));
  // Too long for 256 bytes, or not writable (not even for root): the defaults, silently.
  const fs::path deep = cwd.path() / std::string(200, 'd') / std::string(60, 'd');
  fs::create_directories(deep);
  for (const fs::path& folder : {deep, fs::path("/proc")}) {
    fs::current_path(folder);
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetHotKeyConfiguration(keys), 0);
    EXPECT_EQ(SetHotKeyConfiguration(keys), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(InMemory(), WorkingDirectory::DefaultFile());
    EXPECT_FALSE(fs::exists(folder / "HOTKEY.CFG"));
  }
}

TEST_F(HotKeyFileTest, AFailedWriteLeavesThePreviousFileWhole) {
  WorkingDirectory::Write(file, custom);
  std::memcpy(keys, DefaultKeys, sizeof keys);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 100;  // files may grow to 100 bytes only: the write comes up short
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const int written = SetHotKeyConfiguration(keys);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(WorkingDirectory::Read(file), custom);
  EXPECT_EQ(std::distance(fs::directory_iterator(cwd.path()), fs::directory_iterator()), 1);
}

TEST_F(HotKeyFileTest, ALinkedFileIsWrittenThroughToItsTarget) {
  fs::create_directories(cwd.path() / "kept");
  WorkingDirectory::Write(cwd.path() / "kept/keys.cfg", custom);
  fs::path target = "kept/keys.cfg";  // reached through 39 links: as many as are followed
  for (int i = 38; i >= 1; --i) {
    fs::create_symlink(target, cwd.path() / ("link" + std::to_string(i)));
    target = "link" + std::to_string(i);
  }
  fs::create_symlink(target, file);
  EXPECT_EQ(GetHotKeyConfiguration(keys), 1);
  std::memcpy(keys, DefaultKeys, sizeof keys);
  EXPECT_EQ(SetHotKeyConfiguration(keys), 1);
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(WorkingDirectory::Read(cwd.path() / "kept/keys.cfg"), WorkingDirectory::DefaultFile());
}

// The eight default keys are the number keys 1 to 8 of the main keyboard, as the platform
// names its keys.
TEST(DefaultKeys, AreTheNumberKeysOfTheMainKeyboard) {
  for (int i = 0; i < 8; ++i) {
    const plat::MacKey* key = plat::FindKeyByCode(DefaultKeys[i].keyCode);
    ASSERT_NE(key, nullptr) << i;
    EXPECT_EQ(key->name, std::to_string(i + 1));
    EXPECT_EQ(std::string(DefaultKeys[i].keyName, 36), key->name + std::string(35, '\0'));
  }
}

}  // namespace
