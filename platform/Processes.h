// The Process Manager: this process, the application in front, and the events the system sends
// the application about itself (shown again, the user's login session switched out or back).
//
// There is one other application besides this one: the one the person works in when this one is
// not in front. A front (the console, the desktop) raises the application and session events when
// a person clicks the Dock icon or switches users.
#pragma once

#include "platform/MacTypes.h"

struct ProcessSerialNumber {
  UInt32 highLongOfPSN;
  UInt32 lowLongOfPSN;
};

// Special serial numbers accepted in place of a process's own.
constexpr UInt32 kNoProcess = 0;
constexpr UInt32 kSystemProcess = 1;
constexpr UInt32 kCurrentProcess = 2;

// This process's serial number.
OSErr GetCurrentProcess(ProcessSerialNumber* psn);
// The serial number of the application in front.
OSErr GetFrontProcess(ProcessSerialNumber* psn);
// Brings a process to the front; procNotFound when there is no such process.
OSErr SetFrontProcess(const ProcessSerialNumber* psn);

namespace plat {

// Whether this application is in front.
bool IsFrontProcess();
// The person turns to the other application.
void BringOtherApplicationToFront();
// Calls of SetFrontProcess that changed the application in front.
int FrontProcessChanges();
// Test hook: the next `count` calls of GetCurrentProcess or GetFrontProcess fail with
// procNotFound.
void FailNextProcessLookups(int count);
// Back to a fresh start: this application in front, no changes counted, no failures pending.
void ResetProcesses();

// The application is shown again (its Dock icon clicked): kEventAppShown ('appl', 108) to the
// application. Answers the status of the event.
OSStatus ShowApplication();
// The user's login session is switched out (active false) or back (active true):
// kEventSystemUserSessionDeactivated ('macs', 11) or kEventSystemUserSessionActivated
// ('macs', 10) to the application. Sent on every call, also when the session already is so.
OSStatus SwitchUserSession(bool active);
// Whether the session was last switched back (or never switched out).
bool UserSessionActive();

}  // namespace plat
