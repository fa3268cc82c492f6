// A folder for a fuzz target's whole run, in memory where possible (every input writes a file
// into it), removed when the run ends.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

class ScratchFolder {
 public:
  // `name` starts the folder's name, e.g. "hotkeys" for /dev/shm/hotkeys-XXXXXX.
  explicit ScratchFolder(const std::string& name) {
    const std::filesystem::path memory = "/dev/shm";
    const std::filesystem::path parent =
        access(memory.c_str(), W_OK) == 0 ? memory : std::filesystem::temp_directory_path();
    std::string pattern = (parent / (name + "-XXXXXX")).string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};
