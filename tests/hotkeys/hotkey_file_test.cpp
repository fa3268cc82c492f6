#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <csignal>
#include <cstring>
#include <utility>

#include "app/HotKeyFile.h"
#include "platform/KeyCodes.h"
#include "tests/hotkeys/WorkingDirectory.h"

// When set, the errno every fsync() fails with: a disk error, or a file system that cannot sync.
static int failingFsync = 0;
extern "C" int fsync(int file) {
  if (failingFsync == 0)
    return static_cast<int>(syscall(SYS_fsync, file));
  errno = failingFsync;
  return -1;
}

// When set, the errno close() fails with once `closesToPass` more closes have succeeded; the
// descriptor is closed all the same, as Linux does.
static int failingClose = 0;
static int closesToPass = 0;
extern "C" int close(int file) {
  const int closed = static_cast<int>(syscall(SYS_close, file));
  if (closed != 0 || failingClose == 0 || closesToPass-- > 0)
    return closed;
  errno = std::exchange(failingClose, 0);
  return -1;
}

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

// A first file has the permissions of any file newly made there under the user's umask. Without
// standard input, the files opened get descriptor 0.
TEST_F(HotKeyFileTest, WithoutAFullFileTheDefaultsAreInstalledAndWritten) {
  const mode_t mask = umask(022);
  close(0);
  close(open((cwd.path() / "made").c_str(), O_CREAT | O_WRONLY, 0666));
  for (const Bytes& before : {Bytes{}, Bytes(custom.begin(), custom.end() - 1)}) {
    if (!before.empty())
      WorkingDirectory::Write(file, before);
    EXPECT_EQ(GetHotKeyConfiguration(keys), 0);
    EXPECT_EQ(InMemory(), WorkingDirectory::DefaultFile());
    EXPECT_EQ(WorkingDirectory::Read(file), WorkingDirectory::DefaultFile());
    EXPECT_EQ(fs::status(file).permissions(), fs::status(cwd.path() / "made").permissions());
  }
  EXPECT_EQ(umask(mask), 022u);               // the user's umask is left as it was
  EXPECT_EQ(open("/dev/null", O_RDONLY), 0);  // every file opened was closed
}

// A HOTKEY.CFG that is no regular file (here a pipe being read) is left as it is.
TEST_F(HotKeyFileTest, WhatIsNoRegularFileIsLeftAlone) {
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  const int reader = open(file.c_str(), O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(SetHotKeyConfiguration(keys), 0);
  EXPECT_TRUE(fs::is_fifo(file));
  close(reader);
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
  // 256 characters, too long for 256 bytes with the NUL, or not writable (not even for root).
  ASSERT_LT(cwd.path().string().size(), 54u) << "a shorter TMPDIR is needed";
  const fs::path deep =
      cwd.path() / std::string(200, 'd') / std::string(54 - cwd.path().string().size(), 'd');
  fs::create_directories(deep);
  for (const fs::path& folder : {deep, fs::path("/proc")}) {
    fs::current_path(folder);
    EXPECT_EQ(GetHotKeyConfiguration(keys), 0);
    EXPECT_EQ(SetHotKeyConfiguration(keys), 0);
    EXPECT_EQ(InMemory(), WorkingDirectory::DefaultFile());
    EXPECT_FALSE(fs::exists(folder / "HOTKEY.CFG"));
  }
}

// A short write, a failed sync or the new file's failed close leaves the previous file whole; a
// file system that cannot sync at all (EINVAL) keeps what was written; the old file's close
// failing after it was replaced leaves it written but the save not reported done.
TEST_F(HotKeyFileTest, AFailedWriteLeavesThePreviousFileWhole) {
  const struct {
    rlim_t sizeLimit;
    int fsyncError, closeError, closesToPass, answer;
    bool replaced;
  } cases[] = {{100, 0, 0, 0, 0, false},
               {RLIM_INFINITY, EIO, 0, 0, 0, false},
               {RLIM_INFINITY, EINVAL, 0, 0, 1, true},
               {RLIM_INFINITY, 0, EIO, 0, 0, false},
               {RLIM_INFINITY, 0, EIO, 1, 0, true}};
  std::memcpy(keys, DefaultKeys, sizeof keys);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fsyncError << " " << c.closeError << c.closesToPass);
    WorkingDirectory::Write(file, custom);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{c.sizeLimit, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    failingFsync = c.fsyncError;
    failingClose = c.closeError;
    closesToPass = c.closesToPass;
    const int written = SetHotKeyConfiguration(keys);
    failingFsync = failingClose = 0;
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(written, c.answer);
    EXPECT_EQ(WorkingDirectory::Read(file), c.replaced ? WorkingDirectory::DefaultFile() : custom);
    EXPECT_EQ(std::distance(fs::directory_iterator(cwd.path()), fs::directory_iterator()), 1);
  }
}

// Through a chain of links (relative ones resolved in the link's own folder, an absolute one)
// the file is saved exactly when the kernel opens it: it follows 40 links, not 41.
TEST_F(HotKeyFileTest, ALinkedFileIsWrittenThroughWhereTheKernelFollowsTheLinks) {
  const fs::path kept = cwd.path() / "keys.cfg";
  for (const int links : {40, 41}) {
    SCOPED_TRACE(links);
    const fs::path sub = cwd.path() / ("sub" + std::to_string(links));
    fs::create_directories(sub);
    WorkingDirectory::Write(kept, custom);
    fs::create_symlink(kept, sub / std::to_string(links - 1));
    for (int i = links - 2; i >= 1; --i)
      fs::create_symlink(std::to_string(i + 1), sub / std::to_string(i));
    fs::remove(file);
    fs::create_symlink(sub.filename() / "1", file);
    const int opened = open(file.c_str(), O_RDONLY);
    ASSERT_TRUE(opened >= 0 || errno == ELOOP);
    const int answer = opened >= 0 && close(opened) == 0 ? 1 : 0;
    EXPECT_EQ(GetHotKeyConfiguration(keys), answer);
    std::memcpy(keys, DefaultKeys, sizeof keys);
    EXPECT_EQ(SetHotKeyConfiguration(keys), answer);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(WorkingDirectory::Read(kept), answer ? WorkingDirectory::DefaultFile() : custom);
  }
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
