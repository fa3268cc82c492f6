// Event-loop timers on the main event loop, driven by the platform clock.
#pragma once

#include "platform/Clock.h"
#include "platform/MacTypes.h"

struct OpaqueEventLoopRef;
struct OpaqueEventLoopTimerRef;
using EventLoopRef = OpaqueEventLoopRef*;
using EventLoopTimerRef = OpaqueEventLoopTimerRef*;
using EventLoopTimerProcPtr = void (*)(EventLoopTimerRef timer, void* userData);
using EventLoopTimerUPP = EventLoopTimerProcPtr;

EventLoopRef GetMainEventLoop();
EventLoopRef GetCurrentEventLoop();
EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc);
void DisposeEventLoopTimerUPP(EventLoopTimerUPP proc);

// A timer first firing after `fireDelay` seconds, then every `interval` seconds (0 = once).
// A one-shot timer that has fired must still be removed by its owner.
OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc,
                               void* userData, EventLoopTimerRef* outTimer);
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);

namespace plat {
// Timers installed and not yet removed.
int LiveEventLoopTimers();
// When the timer next fires (clock time), or kForever when it will not fire again.
Nanos EventLoopTimerNextFire(EventLoopTimerRef timer);
}  // namespace plat
