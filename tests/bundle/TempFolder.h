// A folder of its own for one test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

struct TempFolder {
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tallowmere-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
      path = pattern;
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = path / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  std::filesystem::path path;
};
