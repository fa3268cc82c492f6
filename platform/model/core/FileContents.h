// A small file's whole contents, read with the system's own calls (the console program carries
// no stream library).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace plat {

// The bytes of the file at `path`; nothing when it cannot be opened or read, or holds more than
// `limit` bytes.
std::optional<std::string> FileContents(const std::string& path,
                                        std::size_t limit = std::size_t{16} << 20);

}  // namespace plat
