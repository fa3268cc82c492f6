#include "hid/HIDRemovalAndPolling.h"

#include "app/DockIcon.h"
#include "switch/KVMOperations.h"
#include "switch/KVMSwitch.h"

IONotificationPortRef gNotifyPort = nullptr;
EventLoopTimerRef theTimer = nullptr;

void HIDDeviceNotification(void* refCon, io_service_t, natural_t messageType, void*) {
  auto* sw = static_cast<_KVM_SWITCH*>(refCon);
  MPEnterCriticalRegion(sw->criticalRegion, kDurationForever);
  if (messageType == kIOMessageServiceIsTerminated) {
    // The link kind, the rest of the device record and the decoded status stay as they were.
    sw->info.deviceState = 0;
    if (sw->info.device.notification != 0) {
      IOObjectRelease(sw->info.device.notification);
      sw->info.device.notification = 0;
    }
    if (theTimer != nullptr) {
      RemoveEventLoopTimer(theTimer);
      theTimer = nullptr;
    }
    ChangeDockIcon(-1);
  }
  MPExitCriticalRegion(sw->criticalRegion);
}

void TimerFunction(EventLoopTimerRef, void* userData) {
  auto* sw = static_cast<_KVM_SWITCH*>(userData);
  MPEnterCriticalRegion(sw->criticalRegion, kDurationForever);
  if (sw->sessionInactive == 0) {
    // Polls on regardless of deviceState: a switch that stops answering shows the main icon
    // until a removal notice stops the timer.
    _KVM_INFO& info = sw->info;
    KVMGetInformation(&info);
    ChangeDockIcon(info.currentPort == info.confirmedPort ? info.currentPort : -1);
  }
  MPExitCriticalRegion(sw->criticalRegion);
}
