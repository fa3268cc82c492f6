// The scripting interface as the console front runs it: started when the front starts, ended
// (its last answers sent) when the front stops. How it comes, built into the program or loaded
// as a module, is chosen when the program is linked: the chosen way registers itself while the
// program's static objects are made. With none registered the front runs without it.
#pragma once

#include <memory>

namespace plat::console {

// Served while held.
using ScriptingService = std::shared_ptr<void>;
using ScriptingServiceStart = ScriptingService (*)();

void SetScriptingServiceStart(ScriptingServiceStart start);
ScriptingService StartScriptingService();

}  // namespace plat::console
