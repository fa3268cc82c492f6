#include "app/HotKeyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

const _HOT_KEY DefaultKeys[8] = {
    {0x12, "1"}, {0x13, "2"}, {0x14, "3"}, {0x15, "4"},
    {0x17, "5"}, {0x16, "6"}, {0x1A, "7"}, {0x1C, "8"},
};

namespace {

constexpr std::size_t kDirectoryBufferSize = 256;
constexpr char kFileName[] = "HOTKEY.CFG";
constexpr std::size_t kKeyCodeSize = 4;
// Links followed from "HOTKEY.CFG" to its file: as many as the kernel follows to open a file.
constexpr int kMostLinksFollowed = 40;

// The file a path stands for once every symbolic link in its last part is followed (also when
// the final target does not exist yet); nothing when the links go round in a loop.
std::optional<std::string> FileBehindLinks(std::string path) {
  for (int followed = 0;; ++followed) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
      return path;
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    if (followed == kMostLinksFollowed || length <= 0 ||
        static_cast<std::size_t>(length) == sizeof target)
      return std::nullopt;
    const std::string link(target, static_cast<std::size_t>(length));
    // A relative link is relative to the folder the link is in.
    path = link.front() == '/' ? link : path.substr(0, path.rfind('/') + 1) + link;
  }
}

bool WriteAll(int file, const unsigned char* bytes, std::size_t size) {
  std::size_t written = 0;
  while (written < size) {
    const ssize_t step = write(file, bytes + written, size - written);
    if (step < 0 && errno == EINTR)
      continue;
    if (step <= 0)
      return false;
    written += static_cast<std::size_t>(step);
  }
  return true;
}

// Durable on disk; on file systems that cannot sync (EINVAL) the data is as safe as it gets.
bool Synced(int file) {
  return fsync(file) == 0 || errno == EINVAL;
}

// Writes `bytes` over an open file from its start and cuts the file to their length: the file
// keeps its inode, owner, permissions and every link to it.
bool WriteInPlace(int file, const unsigned char* bytes, std::size_t size) {
  return lseek(file, 0, SEEK_SET) == 0 && WriteAll(file, bytes, size) &&
         ftruncate(file, static_cast<off_t>(size)) == 0 && Synced(file);
}

enum class Replaced { kDone, kFailed, kNotPossible };

// Writes `bytes` to a new file beside `target` and renames it over `target`: a failed or short
// write leaves the previous file as it was. The new file takes the permissions and owner of
// `previous` (the file it replaces), or for a first file the permissions a newly created file
// gets. Not possible when no file can be made in the folder or the owner cannot be kept.
Replaced ReplaceFile(const std::string& target, const struct stat* previous,
                     const unsigned char* bytes, std::size_t size) {
  std::string scratch = target + ".XXXXXX";
  const int file = mkstemp(scratch.data());
  if (file < 0)
    return Replaced::kNotPossible;
  if (previous != nullptr) {
    fchmod(file, previous->st_mode & 07777);
    // Only root, or the owner giving the file to a group of its own, may keep another owner.
    if (fchown(file, previous->st_uid, previous->st_gid) != 0) {
      close(file);
      unlink(scratch.c_str());
      return Replaced::kNotPossible;
    }
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(file, 0666 & ~mask);
  }
  bool written = WriteAll(file, bytes, size) && Synced(file);
  if (close(file) != 0)
    written = false;
  if (!written || rename(scratch.c_str(), target.c_str()) != 0) {
    unlink(scratch.c_str());
    return Replaced::kFailed;
  }
  return Replaced::kDone;
}

// Saves `bytes` as the file `path` stands for. A file this user may not write is left alone and
// the save fails. Otherwise the file is replaced whole or not at all, except where replacing it
// would lose something, and it is written in place instead: the folder takes no new file, the
// file has other hard links (they would keep the old content), or its owner could not be kept.
bool SaveFile(const std::string& path, const unsigned char* bytes, std::size_t size) {
  const std::optional<std::string> target = FileBehindLinks(path);
  if (!target)
    return false;
  const int existing = open(target->c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (existing < 0)
    return errno == ENOENT && ReplaceFile(*target, nullptr, bytes, size) == Replaced::kDone;
  bool saved = false;
  struct stat status {};
  if (fstat(existing, &status) == 0 && S_ISREG(status.st_mode)) {
    const Replaced replaced =
        status.st_nlink > 1 ? Replaced::kNotPossible : ReplaceFile(*target, &status, bytes, size);
    saved = replaced == Replaced::kDone ||
            (replaced == Replaced::kNotPossible && WriteInPlace(existing, bytes, size));
  }
  if (close(existing) != 0)
    saved = false;
  return saved;
}

}  // namespace

bool HotKeyFilePath(std::string* path) {
  char directory[kDirectoryBufferSize];
  if (getcwd(directory, sizeof directory) == nullptr)
    return false;
  *path = directory;
  if (path->empty() || path->back() != '/')
    *path += '/';
  *path += kFileName;
  return true;
}

void DecodeHotKeyFile(const unsigned char* bytes, _HOT_KEY* keys) {
  for (int port = 0; port < 4; ++port) {
    const unsigned char* record = bytes + port * sizeof(_HOT_KEY);
    _HOT_KEY& key = keys[port];
    key.keyCode = 0;
    for (std::size_t i = 0; i < kKeyCodeSize; ++i)
      key.keyCode |= static_cast<UInt32>(record[i]) << (8 * i);
    std::memcpy(key.keyName, record + kKeyCodeSize, sizeof key.keyName);
    if (std::memchr(key.keyName, '\0', sizeof key.keyName) == nullptr)
      key.keyName[sizeof key.keyName - 1] = '\0';
  }
}

void EncodeHotKeyFile(const _HOT_KEY* keys, unsigned char* bytes) {
  for (int port = 0; port < 4; ++port) {
    unsigned char* record = bytes + port * sizeof(_HOT_KEY);
    for (std::size_t i = 0; i < kKeyCodeSize; ++i)
      record[i] = static_cast<unsigned char>(keys[port].keyCode >> (8 * i));
    std::memcpy(record + kKeyCodeSize, keys[port].keyName, sizeof keys[port].keyName);
  }
}

int GetHotKeyConfiguration(_HOT_KEY* keys) {
  std::string path;
  if (HotKeyFilePath(&path)) {
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
      unsigned char bytes[kHotKeyFileSize];
      const std::size_t read = std::fread(bytes, 1, sizeof bytes, file);
      std::fclose(file);
      if (read == sizeof bytes) {
        DecodeHotKeyFile(bytes, keys);
        return 1;
      }
    }
  }
  // Nothing of a short file survives: all four records become the defaults.
  std::memcpy(keys, DefaultKeys, kHotKeyFileSize);
  SetHotKeyConfiguration(keys);
  return 0;
}

int SetHotKeyConfiguration(const _HOT_KEY* keys) {
  std::string path;
  if (!HotKeyFilePath(&path))
    return 0;
  unsigned char bytes[kHotKeyFileSize];
  EncodeHotKeyFile(keys, bytes);
  return SaveFile(path, bytes, sizeof bytes) ? 1 : 0;
}
