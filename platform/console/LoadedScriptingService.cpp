// Linked into the console program: the scripting interface comes from the bus service module,
// loaded only when the login session has a bus, and only once the run loop runs, so that neither
// a start without a bus nor the start-up itself pays for loading GLib. Without the module the
// program runs on without the interface, and says so in one line.
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/RunLoop.h"
#include "platform/console/ScriptingService.h"
#include "platform/dbus/BusServiceModule.h"
#include "platform/dbus/SessionBus.h"

namespace plat::console {
namespace {

class LoadedService {
 public:
  LoadedService() {
    RunLoop::Main().Post([this, alive = alive_] {
      if (*alive)
        Load();
    });
  }
  ~LoadedService() {
    *alive_ = false;
    if (service_ != nullptr)
      stop_(service_);
    // The module stays loaded: GLib's types and threads outlive any unloading.
  }
  LoadedService(const LoadedService&) = delete;
  LoadedService& operator=(const LoadedService&) = delete;

 private:
  void Load() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
      Fail(("the program's own path is unknown: " + error.message()).c_str());
      return;
    }
    const std::filesystem::path path = exe.parent_path().parent_path() / TALLOWMERE_BUS_MODULE;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto start = module != nullptr ? reinterpret_cast<dbus::BusServiceStartFunction>(
                                         dlsym(module, dbus::kBusServiceStartSymbol))
                                   : nullptr;
    auto stop = module != nullptr ? reinterpret_cast<dbus::BusServiceStopFunction>(
                                        dlsym(module, dbus::kBusServiceStopSymbol))
                                  : nullptr;
    if (start == nullptr || stop == nullptr) {
      const char* why = dlerror();
      Fail(why != nullptr ? why : "the module has no entry points");
      return;
    }
    stop_ = stop;
    service_ = start();
  }

  static void Fail(const char* why) {
    std::fprintf(stderr, "tallowmere: runs without the scripting interface: %s\n", why);
  }

  void* service_ = nullptr;
  dbus::BusServiceStopFunction stop_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

[[maybe_unused]] const bool registered = (SetScriptingServiceStart([]() -> ScriptingService {
                                            if (!dbus::SessionBusAddress())
                                              return nullptr;  // runs as without a bus
                                            return std::make_shared<LoadedService>();
                                          }),
                                          true);

}  // namespace
}  // namespace plat::console
