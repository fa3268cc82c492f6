// A fresh folder of its own, for a test, a desktop session or a fuzz run, removed with everything
// in it when the object goes; its path is empty when it could not be made.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScratchFolder {
 public:
  // <temporary folder>/<prefix>XXXXXX; with `inMemory`, under /dev/shm where it can be (a fuzz
  // run writes a file for every input).
  explicit ScratchFolder(const std::string& prefix = "tallowmere-", bool inMemory = false) {
    const bool memory = inMemory && access("/dev/shm", W_OK) == 0;
    const std::filesystem::path parent =
        memory ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr)
      path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty())
      std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to the file at `relative` (making its folders); its path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};
