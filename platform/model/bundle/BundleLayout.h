// Where the bundle's resources lie relative to the program, and which resource names are safe.
#pragma once

#include <filesystem>
#include <string>

namespace plat {

// The resources folder of a program at `executable`: <executable's dir>/../share/tallowmere,
// the same in the build tree (build/<dir>/bin next to build/<dir>/share) and after installation
// (<prefix>/bin next to <prefix>/share). "" when that folder does not exist.
std::string BundleResourcesForExecutable(const std::filesystem::path& executable);

// The path of resource `name` (with "." and `type` appended when `type` is not empty) in the
// sub-folder `subDir` (may be empty, or several plain names joined by "/") of `resources`; empty
// when any part is absolute, is empty, or is "." or "..", so that no lookup leaves the bundle.
std::filesystem::path ResourcePath(const std::string& resources, const std::string& name,
                                   const std::string& type, const std::string& subDir);

}  // namespace plat
