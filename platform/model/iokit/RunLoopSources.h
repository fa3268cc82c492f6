// The model's side of run-loop sources: the owner of a source is told when the program adds it
// to the run loop or removes it.
#pragma once

#include <functional>

#include "platform/CFRunLoop.h"

namespace plat {

using RunLoopSourceScheduling = std::function<void(bool scheduled)>;

// A new source owned by the caller, who deletes it with DeleteRunLoopSource.
CFRunLoopSourceRef NewRunLoopSource(RunLoopSourceScheduling onScheduling);
void DeleteRunLoopSource(CFRunLoopSourceRef source);

}  // namespace plat
