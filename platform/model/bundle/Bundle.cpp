#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/CFBundle.h"

struct OpaqueCFBundle {
  std::string resources;
};

namespace {

std::string overrideDirectory;

std::string ResourcesNextToExecutable() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const std::filesystem::path resources = exe.parent_path().parent_path() / "share" / "tallowmere";
  return std::filesystem::is_directory(resources, error) ? resources.string() : std::string();
}

}  // namespace

namespace plat {

void SetMainBundleResourcesDirectory(const std::string& path) { overrideDirectory = path; }

std::string MainBundleResourcesDirectory() {
  if (!overrideDirectory.empty()) return overrideDirectory;
  static const std::string found = ResourcesNextToExecutable();
  return found;
}

}  // namespace plat

CFBundleRef CFBundleGetMainBundle() {
  static OpaqueCFBundle bundle;
  bundle.resources = plat::MainBundleResourcesDirectory();
  return bundle.resources.empty() ? nullptr : &bundle;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subDir) {
  if (bundle == nullptr || name == nullptr) return nullptr;
  std::string file = plat::ToStdString(name);
  if (file.empty() || file.find('/') != std::string::npos) return nullptr;
  if (type != nullptr && CFStringGetLength(type) > 0) file += "." + plat::ToStdString(type);
  std::filesystem::path path(bundle->resources);
  if (subDir != nullptr && CFStringGetLength(subDir) > 0) path /= plat::ToStdString(subDir);
  path /= file;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;
  return plat::MakeFileURL(path.string());
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef, CFStringRef key, CFStringRef value,
                                        CFStringRef) {
  // No translations yet: the default text.
  CFStringRef text = (value != nullptr && CFStringGetLength(value) > 0) ? value : key;
  return text == nullptr ? nullptr : CFStringCreateCopy(nullptr, text);
}
