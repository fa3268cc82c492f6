// A fresh folder as the process's working directory for one test; the previous working
// directory comes back and the folder goes, with everything in it, at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/ScratchFolder.h"

struct WorkingDirectory : ScratchFolder {
  using Bytes = std::vector<unsigned char>;
  WorkingDirectory() : ScratchFolder("hotkeys-"), previous(std::filesystem::current_path()) {
    std::filesystem::current_path(path());
  }
  ~WorkingDirectory() { std::filesystem::current_path(previous); }
  static Bytes Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // A hot-key file whose four records are these key codes, each named by one character.
  static Bytes HotKeyFile(const std::vector<std::pair<unsigned, char>>& keys) {
    Bytes bytes;
    for (const auto& [code, name] : keys) {
      const Bytes record = {static_cast<unsigned char>(code), static_cast<unsigned char>(code >> 8),
                            0, 0, static_cast<unsigned char>(name)};
      bytes.insert(bytes.end(), record.begin(), record.end());
      bytes.resize(bytes.size() + 35);
    }
    return bytes;
  }
  static Bytes DefaultFile() {
    return HotKeyFile({{0x12, '1'}, {0x13, '2'}, {0x14, '3'}, {0x15, '4'}});
  }

  std::filesystem::path previous;
};
