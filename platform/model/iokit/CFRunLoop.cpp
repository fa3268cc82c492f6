#include <utility>

#include "platform/CFRunLoop.h"
#include "platform/model/iokit/RunLoopSources.h"

struct OpaqueCFRunLoop {};

struct OpaqueCFRunLoopSource {
  plat::RunLoopSourceScheduling onScheduling;
  bool scheduled = false;
};

namespace {
OpaqueCFRunLoop mainLoop;
}  // namespace

const CFRunLoopMode kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFRunLoopMode kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

CFRunLoopRef CFRunLoopGetCurrent() {
  return &mainLoop;
}

CFRunLoopRef CFRunLoopGetMain() {
  return &mainLoop;
}

void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  if (loop != &mainLoop || source == nullptr || mode == nullptr || source->scheduled)
    return;
  source->scheduled = true;
  if (source->onScheduling)
    source->onScheduling(true);
}

void CFRunLoopRemoveSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  if (loop != &mainLoop || source == nullptr || mode == nullptr || !source->scheduled)
    return;
  source->scheduled = false;
  if (source->onScheduling)
    source->onScheduling(false);
}

Boolean CFRunLoopContainsSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode) {
  return loop == &mainLoop && source != nullptr && source->scheduled;
}

namespace plat {

CFRunLoopSourceRef NewRunLoopSource(RunLoopSourceScheduling onScheduling) {
  return new OpaqueCFRunLoopSource{std::move(onScheduling)};
}

void DeleteRunLoopSource(CFRunLoopSourceRef source) {
  delete source;
}

}  // namespace plat
