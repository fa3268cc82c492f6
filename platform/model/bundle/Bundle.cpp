#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/CFBundle.h"
#include "platform/model/bundle/BundleLayout.h"

struct OpaqueCFBundle {
  std::string resources;
};

namespace {

std::string overrideDirectory;

// One path component that stays where it is: no separator, not "." or "..".
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

bool IsPlainRelativePath(std::string_view path) {
  while (true) {
    const auto slash = path.find('/');
    if (!IsPlainName(path.substr(0, slash)))
      return false;
    if (slash == std::string_view::npos)
      return true;
    path.remove_prefix(slash + 1);
  }
}

std::string ResourcesNextToRunningProgram() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : plat::BundleResourcesForExecutable(exe);
}

}  // namespace

namespace plat {

std::string BundleResourcesForExecutable(const std::filesystem::path& executable) {
  const std::filesystem::path resources =
      executable.parent_path().parent_path() / "share" / "tallowmere";
  std::error_code error;
  return std::filesystem::is_directory(resources, error) ? resources.lexically_normal().string()
                                                         : std::string();
}

std::filesystem::path ResourcePath(const std::string& resources, const std::string& name,
                                   const std::string& type, const std::string& subDir) {
  if (resources.empty() || !IsPlainName(name))
    return {};
  if (!type.empty() && !IsPlainName(type))
    return {};
  if (!subDir.empty() && !IsPlainRelativePath(subDir))
    return {};
  std::filesystem::path path(resources);
  if (!subDir.empty())
    path /= subDir;
  return path / (type.empty() ? name : name + "." + type);
}

void SetMainBundleResourcesDirectory(const std::string& path) {
  overrideDirectory = path;
}

std::string MainBundleResourcesDirectory() {
  if (!overrideDirectory.empty())
    return overrideDirectory;
  static const std::string found = ResourcesNextToRunningProgram();
  return found;
}

}  // namespace plat

CFBundleRef CFBundleGetMainBundle() {
  static OpaqueCFBundle bundle;
  bundle.resources = plat::MainBundleResourcesDirectory();
  std::error_code error;
  return std::filesystem::is_directory(bundle.resources, error) ? &bundle : nullptr;
}

std::string plat::BundleResourcesDirectory(CFBundleRef bundle) {
  return bundle == nullptr ? std::string() : bundle->resources;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subDir) {
  if (bundle == nullptr)
    return nullptr;
  const std::filesystem::path path =
      plat::ResourcePath(bundle->resources, plat::ToStdString(name), plat::ToStdString(type),
                         plat::ToStdString(subDir));
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error))
    return nullptr;
  return plat::MakeFileURL(path.string());
}
