// Nib references from the bundle, and the windows, menus and menu bars built from them.
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "platform/CFBundle.h"
#include "platform/Nibs.h"
#include "platform/model/toolbox/NibReader.h"
#include "platform/model/toolbox/ToolboxModel.h"

struct OpaqueIBNibRef {
  std::string path;
  std::shared_ptr<const plat::nib::NibDocument> document;
};

namespace {

int liveNibs = 0;

// Each nib file is read into its document once and the document shared by every reference made
// from the same text: the program opens its main nib for the menu bar and again for the
// Preferences window. The text is read at every opening, so a nib changed on disk is read anew.
struct ReadDocument {
  std::string text;
  std::shared_ptr<const plat::nib::NibDocument> document;
};
std::map<std::string, ReadDocument>& ReadDocuments() {
  static auto* documents = new std::map<std::string, ReadDocument>;  // kept until the exit
  return *documents;
}

std::shared_ptr<const plat::nib::NibDocument> DocumentOf(const std::string& path, std::string text,
                                                         std::string& error) {
  ReadDocument& read = ReadDocuments()[path];
  if (read.document == nullptr || read.text != text) {
    auto document = plat::nib::ReadNib(text, error);
    if (!document)
      return nullptr;
    read = {std::move(text), std::make_shared<const plat::nib::NibDocument>(std::move(*document))};
  }
  return read.document;
}

// One line, whatever the names and texts of the nib hold.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
      line += escaped;
    } else {
      line += c;
    }
  }
  return line;
}

void Complain(const char* operation, const std::string& file, const std::string& problem) {
  std::fprintf(stderr, "%s: %s: %s\n", operation, OneLine(file).c_str(), OneLine(problem).c_str());
}

// Finds `name` among the nib's objects of one sort, or says what is wrong.
template <typename Map>
const typename Map::mapped_type* Lookup(const char* operation, IBNibRef nib, CFStringRef name,
                                        const Map& objects, const char* sort, OSStatus& status) {
  const std::string wanted = plat::ToStdString(name);
  auto it = objects.find(wanted);
  if (it != objects.end()) {
    status = noErr;
    return &it->second;
  }
  const plat::nib::NibDocument& document = *nib->document;
  const char* other = document.windows.contains(wanted)    ? "window"
                      : document.menus.contains(wanted)    ? "menu"
                      : document.menuBars.contains(wanted) ? "menu bar"
                                                           : nullptr;
  if (other != nullptr) {
    Complain(operation, nib->path,
             "\"" + wanted + "\" is a " + other + ", not a " + std::string(sort));
    status = kIBCarbonRuntimeObjectNotOfRequestedType;
  } else {
    Complain(operation, nib->path, std::string("no ") + sort + " named \"" + wanted + "\"");
    status = kIBCarbonRuntimeCantFindObject;
  }
  return nullptr;
}

}  // namespace

OSStatus CreateNibReference(CFStringRef nibName, IBNibRef* outNibRef) {
  if (nibName == nullptr || outNibRef == nullptr)
    return paramErr;
  *outNibRef = nullptr;
  const std::string name = plat::ToStdString(nibName);
  const std::string file = name + ".nib";
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (bundle == nullptr) {
    Complain("CreateNibReference", file, "the application bundle cannot be found");
    return kIBCarbonRuntimeCantFindNibFile;
  }
  CFURLRef url = CFBundleCopyResourceURL(bundle, nibName, CFSTR("nib"), nullptr);
  if (url == nullptr) {
    Complain("CreateNibReference", plat::MainBundleResourcesDirectory() + "/" + file,
             "no such nib in the application bundle");
    return kIBCarbonRuntimeCantFindNibFile;
  }
  const std::string path = plat::URLPath(url);
  CFRelease(url);
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    Complain("CreateNibReference", path, "the file cannot be read");
    return kIBCarbonRuntimeCantFindNibFile;
  }
  std::string error;
  auto document = DocumentOf(path, std::move(text).str(), error);
  if (document == nullptr) {
    Complain("CreateNibReference", path, error);
    return kIBCarbonRuntimeCantFindNibFile;
  }
  *outNibRef = new OpaqueIBNibRef{path, std::move(document)};
  ++liveNibs;
  return noErr;
}

void DisposeNibReference(IBNibRef nibRef) {
  if (nibRef == nullptr)
    return;
  delete nibRef;
  --liveNibs;
}

OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef name, WindowRef* outWindow) {
  if (nibRef == nullptr || name == nullptr || outWindow == nullptr)
    return paramErr;
  OSStatus status = noErr;
  const auto* window =
      Lookup("CreateWindowFromNib", nibRef, name, nibRef->document->windows, "window", status);
  return window == nullptr ? status : plat::nib::BuildWindow(*window, outWindow);
}

OSStatus CreateMenuFromNib(IBNibRef nibRef, CFStringRef name, MenuRef* outMenu) {
  if (nibRef == nullptr || name == nullptr || outMenu == nullptr)
    return paramErr;
  OSStatus status = noErr;
  const auto* menu =
      Lookup("CreateMenuFromNib", nibRef, name, nibRef->document->menus, "menu", status);
  return menu == nullptr ? status : plat::nib::BuildMenu(*menu, outMenu);
}

OSStatus CreateMenuBarFromNib(IBNibRef nibRef, CFStringRef name, Handle* outMenuBar) {
  if (nibRef == nullptr || name == nullptr || outMenuBar == nullptr)
    return paramErr;
  OSStatus status = noErr;
  const auto* menus =
      Lookup("CreateMenuBarFromNib", nibRef, name, nibRef->document->menuBars, "menu bar", status);
  if (menus == nullptr)
    return status;
  MenuRef root = nullptr;
  status = plat::nib::BuildMenuBar(*menus, &root);
  if (status != noErr)
    return status;
  *outMenuBar = plat::toolbox::NewMenuBarHandle(root);
  ReleaseMenu(root);
  return noErr;
}

OSStatus SetMenuBarFromNib(IBNibRef nibRef, CFStringRef name) {
  if (nibRef == nullptr || name == nullptr)
    return paramErr;
  OSStatus status = noErr;
  const auto* menus =
      Lookup("SetMenuBarFromNib", nibRef, name, nibRef->document->menuBars, "menu bar", status);
  if (menus == nullptr)
    return status;
  MenuRef root = nullptr;
  status = plat::nib::BuildMenuBar(*menus, &root);
  if (status != noErr)
    return status;
  status = SetRootMenu(root);
  ReleaseMenu(root);
  return status;
}

namespace plat {
int LiveNibReferences() {
  return liveNibs;
}
}  // namespace plat
