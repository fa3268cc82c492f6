#include "platform/console/ScriptingService.h"

namespace plat::console {
namespace {

ScriptingServiceStart& Registered() {
  static ScriptingServiceStart start = nullptr;
  return start;
}

}  // namespace

void SetScriptingServiceStart(ScriptingServiceStart start) {
  Registered() = start;
}

ScriptingService StartScriptingService() {
  return Registered() != nullptr ? Registered()() : nullptr;
}

}  // namespace plat::console
