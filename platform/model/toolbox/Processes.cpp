// The Process Manager's model: this process, one other application, and which of the two is in
// front; and the application and session events a front raises.
#include "platform/Processes.h"

#include "platform/CarbonEvents.h"

namespace {

constexpr ProcessSerialNumber kThisProcess{0, 0x2A01};
constexpr ProcessSerialNumber kOtherApplication{0, 0x1C01};

ProcessSerialNumber front = kThisProcess;
int frontChanges = 0;
int failingLookups = 0;
bool sessionActive = true;

bool Same(const ProcessSerialNumber& a, const ProcessSerialNumber& b) {
  return a.highLongOfPSN == b.highLongOfPSN && a.lowLongOfPSN == b.lowLongOfPSN;
}

bool TakeLookupFailure() {
  if (failingLookups == 0)
    return false;
  --failingLookups;
  return true;
}

// The process a serial number names, with kCurrentProcess standing for this one; false when it
// names none of the two.
bool Resolve(const ProcessSerialNumber& psn, ProcessSerialNumber* process) {
  if (Same(psn, {0, kCurrentProcess}) || Same(psn, kThisProcess)) {
    *process = kThisProcess;
    return true;
  }
  if (Same(psn, kOtherApplication)) {
    *process = kOtherApplication;
    return true;
  }
  return false;
}

OSStatus SendToApplication(UInt32 eventClass, UInt32 kind) {
  EventRef event = nullptr;
  OSStatus status = CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event);
  if (status != noErr)
    return status;
  status = SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return status;
}

}  // namespace

OSErr GetCurrentProcess(ProcessSerialNumber* psn) {
  if (psn == nullptr)
    return paramErr;
  if (TakeLookupFailure())
    return static_cast<OSErr>(procNotFound);
  *psn = kThisProcess;
  return noErr;
}

OSErr GetFrontProcess(ProcessSerialNumber* psn) {
  if (psn == nullptr)
    return paramErr;
  if (TakeLookupFailure())
    return static_cast<OSErr>(procNotFound);
  *psn = front;
  return noErr;
}

OSErr SetFrontProcess(const ProcessSerialNumber* psn) {
  ProcessSerialNumber process{};
  if (psn == nullptr || !Resolve(*psn, &process))
    return static_cast<OSErr>(procNotFound);
  if (!Same(process, front)) {
    front = process;
    ++frontChanges;
  }
  return noErr;
}

namespace plat {

bool IsFrontProcess() {
  return Same(front, kThisProcess);
}

void BringOtherApplicationToFront() {
  front = kOtherApplication;
}

int FrontProcessChanges() {
  return frontChanges;
}

void FailNextProcessLookups(int count) {
  failingLookups = count;
}

void ResetProcesses() {
  front = kThisProcess;
  frontChanges = 0;
  failingLookups = 0;
  sessionActive = true;
}

OSStatus ShowApplication() {
  return SendToApplication(kEventClassApplication, kEventAppShown);
}

OSStatus SwitchUserSession(bool active) {
  sessionActive = active;
  return SendToApplication(kEventClassSystem, active ? kEventSystemUserSessionActivated
                                                     : kEventSystemUserSessionDeactivated);
}

bool UserSessionActive() {
  return sessionActive;
}

}  // namespace plat
