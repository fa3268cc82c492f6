// Keeping the picture of an open switch right: the removal notice that marks it absent, and the
// polling timer that re-reads its status so that changes made at the switch itself reach the
// decoded status and the Dock icon.
#pragma once

#include "platform/EventLoopTimers.h"
#include "platform/IOKitLib.h"

// The port of every arrival and removal notification of both routes; made once by discovery,
// its source on the main run loop, never destroyed.
extern IONotificationPortRef gNotifyPort;
// The status polling timer; null while none is installed. At most one exists.
extern EventLoopTimerRef theTimer;

// Seconds from installing the polling timer to its first tick, and between ticks.
constexpr EventTimerInterval kFirstPollDelay = 5.0;
constexpr EventTimerInterval kPollInterval = 2.0;

// The interest callback of the open switch (`refCon` is the _KVM_SWITCH). On the termination
// message: no switch, no removal notice, no timer, the main Dock icon. Other messages change
// nothing.
void HIDDeviceNotification(void* refCon, io_service_t service, natural_t messageType,
                           void* messageArgument);

// The polling callback (`userData` is the _KVM_SWITCH): unless the session is switched out,
// re-reads the status and shows the current port, or the main icon while the report's two port
// numbers differ.
void TimerFunction(EventLoopTimerRef timer, void* userData);
