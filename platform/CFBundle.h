// The application bundle: the folder of the program's resources (nibs, icons, translations).
//
// The main bundle is found from the executable's own location: <exe dir>/../share/tallowmere,
// which holds both in the build tree (executables in build/<dir>/bin) and after installation
// (<prefix>/bin and <prefix>/share/tallowmere).
#pragma once

#include <string>

#include "platform/CoreFoundation.h"

struct OpaqueCFBundle;
using CFBundleRef = OpaqueCFBundle*;

// The program's bundle (borrowed), or null when its resources folder cannot be found.
CFBundleRef CFBundleGetMainBundle();
// The resource called `name` (with "." and `type` appended when a type is given), in `subDir`
// when one is given; null when the bundle has no such file, or when a part of the name would
// lead out of the bundle ("..", "/" in a name, an absolute sub-folder). Owned by the caller.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subDir);
// The translation of `key` into the user's language from the bundle's message catalogues
// (locale/<language>/LC_MESSAGES/tallowmere.mo), or `value` (or, when that is null or empty,
// `key`) when there is none. The bundle has one table: `table` null, empty or "Localizable";
// other tables have no translations. The user's language comes from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG, whether or not that locale is installed; the "C" and "POSIX" locales
// keep the texts untranslated. Owned by the caller.
CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef table);

namespace plat {
// Points the main bundle at another resources folder (tests); an empty path goes back to the
// folder found from the executable.
void SetMainBundleResourcesDirectory(const std::string& path);
// The resources folder of the main bundle, or "" when there is none.
std::string MainBundleResourcesDirectory();
// The resources folder of `bundle` ("" for null).
std::string BundleResourcesDirectory(CFBundleRef bundle);
}  // namespace plat
