// Saving HOTKEY.CFG where a replacement would change what the user relies on: each save runs in a
// child process as an ordinary user (nobody when the tests run as root, as CI's do), since root
// may write any file and any folder.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "app/HotKeyFile.h"
#include "tests/hotkeys/WorkingDirectory.h"

namespace {

namespace fs = std::filesystem;
using Bytes = WorkingDirectory::Bytes;

constexpr uid_t kNobody = 65534;
const bool kRoot = geteuid() == 0;
const uid_t kUser = kRoot ? kNobody : geteuid();
const gid_t kGroup = kRoot ? kNobody : getegid();

int OpenDescriptors() {
  int open = 0;
  for (int descriptor = 0; descriptor < 1024; ++descriptor)
    open += fcntl(descriptor, F_GETFD) != -1;
  return open;
}

// SetHotKeyConfiguration's answer with `folder` as working directory, run by `uid`/`gid` (root
// or the ordinary user); -1 when the child could not become that user or kept a descriptor open.
int SaveAs(uid_t uid, gid_t gid, const fs::path& folder, const _HOT_KEY* keys) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() != uid && (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 ||
                             setresuid(uid, uid, uid) != 0))
      _exit(100);
    close(0);  // without standard input, the file opened gets descriptor 0
    const int before = OpenDescriptors();  // a save gives back every descriptor it takes
    const int answer = chdir(folder.c_str()) == 0 ? SetHotKeyConfiguration(keys) : 101;
    _exit(OpenDescriptors() == before ? answer : 102);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? WEXITSTATUS(status) : -1;
}

struct Owned {
  uid_t uid;
  gid_t gid;
  mode_t mode;
};

class HotKeyFileSavingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(keys, DefaultKeys, sizeof keys);
    saved = WorkingDirectory::DefaultFile();
    previous.resize(200, 0xEE);  // longer than a saved file: what is left must be cut
  }
  // The folder and the file in it (longer and different from what is saved), as given.
  void Prepare(Owned folder_is, Owned file_is) {
    WorkingDirectory::Write(file, previous);
    ASSERT_EQ(chown(file.c_str(), file_is.uid, file_is.gid), 0);
    ASSERT_EQ(chmod(file.c_str(), file_is.mode), 0);
    ASSERT_EQ(chown(cwd.path().c_str(), folder_is.uid, folder_is.gid), 0);
    ASSERT_EQ(chmod(cwd.path().c_str(), folder_is.mode), 0);
    ASSERT_EQ(stat(file.c_str(), &before), 0);
  }
  // `sameFile`: written in place, not replaced.
  void ExpectFileIs(const Bytes& content, const Owned& owned, bool sameFile = true) {
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(WorkingDirectory::Read(file), content);
    EXPECT_EQ(after.st_ino == before.st_ino, sameFile);
    EXPECT_EQ(after.st_uid, owned.uid);
    EXPECT_EQ(after.st_gid, owned.gid);
    EXPECT_EQ(after.st_mode & 07777, owned.mode);
  }
  ~HotKeyFileSavingTest() override { chmod(cwd.path().c_str(), 0700); }

  WorkingDirectory cwd;
  const fs::path file = cwd.path() / "HOTKEY.CFG";
  _HOT_KEY keys[4]{};
  Bytes saved,
      previous = WorkingDirectory::HotKeyFile({{0x61, 'a'}, {0x0C, 'q'}, {0, 0}, {1, 'z'}});
  struct stat before {};
};

// A read-only file is left alone and the save fails; a writable one is written in place, even in
// a folder closed to the user, and its hard links keep pointing at the saved content.
TEST_F(HotKeyFileSavingTest, TheUsersOwnFileIsWrittenInPlaceOrLeftAlone) {
  const struct {
    mode_t folder, file;
    int answer;
    bool hardLink;
  } cases[] = {{0755, 0444, 0, false}, {0555, 0640, 1, false}, {0755, 0600, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Prepare({kUser, kGroup, c.folder}, {kUser, kGroup, c.file});
    if (c.hardLink)
      fs::create_hard_link(file, cwd.path() / "keys.bak");
    EXPECT_EQ(SaveAs(kUser, kGroup, cwd.path(), keys), c.answer);
    ExpectFileIs(c.answer == 1 ? saved : previous, {kUser, kGroup, c.file});
    EXPECT_EQ(std::distance(fs::directory_iterator(cwd.path()), fs::directory_iterator()),
              c.hardLink ? 2 : 1);
  }
}

// Another user's file, writable by all, keeps its owner and permissions whoever saves it: root
// replaces it and hands it back, an ordinary user (who could not) writes it in place. Giving a
// file another owner needs root.
TEST_F(HotKeyFileSavingTest, AnotherUsersFileKeepsItsOwner) {
  ASSERT_TRUE(kRoot) << "only root can give the file another owner: run the tests as root";
  const struct {
    Owned file, saver;
  } cases[] = {{{0, 0, 0666}, {kNobody, kNobody, 0}}, {{kNobody, kNobody, 0646}, {0, 0, 0}}};
  for (const auto& [file_is, saver] : cases) {
    SCOPED_TRACE(file_is.uid);
    Prepare({0, 0, 0777}, file_is);
    EXPECT_EQ(SaveAs(saver.uid, saver.gid, cwd.path(), keys), 1);
    ExpectFileIs(saved, file_is, saver.uid != 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(cwd.path()), fs::directory_iterator()), 1);
  }
}

}  // namespace
