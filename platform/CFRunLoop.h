// Run-loop sources: how a service that delivers from the main run loop (the device notification
// port) learns that the program wants its deliveries.
#pragma once

#include "platform/CoreFoundation.h"
#include "platform/MacTypes.h"

struct OpaqueCFRunLoop;
struct OpaqueCFRunLoopSource;
using CFRunLoopRef = OpaqueCFRunLoop*;
using CFRunLoopSourceRef = OpaqueCFRunLoopSource*;
using CFRunLoopMode = CFStringRef;

extern const CFRunLoopMode kCFRunLoopDefaultMode;
extern const CFRunLoopMode kCFRunLoopCommonModes;

// Everything runs on the main thread: the current run loop is the main one.
CFRunLoopRef CFRunLoopGetCurrent();
CFRunLoopRef CFRunLoopGetMain();
// From now on the source delivers on the run loop. Adding it again changes nothing.
void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode mode);
void CFRunLoopRemoveSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode mode);
Boolean CFRunLoopContainsSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode mode);
