// Starting discovery, and the one-shot lookup of a known switch.
#include "hid/HIDDiscovery.h"

#include "hid/DeviceRecord.h"
#include "hid/HIDRemovalAndPolling.h"

namespace {

CFMutableDictionaryRef HIDDeviceMatching(SInt32 vendorID, SInt32 productID) {
  return CreateDeviceMatching("IOHIDDevice", "VendorID", vendorID, "ProductID", productID);
}

// Watches for one vendor/product pair and handles the devices of that pair plugged in already,
// which arms the notification.
kern_return_t WatchForPair(_KVM_SWITCH* sw, SInt32 vendorID, SInt32 productID, bool* noMatching) {
  CFMutableDictionaryRef matching = HIDDeviceMatching(vendorID, productID);
  *noMatching = matching == nullptr;
  if (matching == nullptr)
    return KERN_SUCCESS;
  io_iterator_t arrivals = 0;
  const kern_return_t result = IOServiceAddMatchingNotification(
      gNotifyPort, kIOFirstMatchNotification, matching, HIDDeviceAdded, sw, &arrivals);
  if (result != KERN_SUCCESS)
    return result;
  HIDDeviceAdded(sw, arrivals);
  return KERN_SUCCESS;
}

}  // namespace

kern_return_t HIDSetMatchingDevices(_KVM_SWITCH* sw, const _DEVICE_LIST* list, int count) {
  mach_port_t masterPort = 0;
  kern_return_t result = IOMasterPort(bootstrap_port, &masterPort);
  if (result != KERN_SUCCESS)
    return result;
  if (masterPort == 0)
    return KERN_SUCCESS;

  gNotifyPort = IONotificationPortCreate(masterPort);
  CFRunLoopAddSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(gNotifyPort),
                     kCFRunLoopDefaultMode);

  for (int row = 0; row < count; ++row) {
    for (SInt32 product = list[row].firstProductID; product <= list[row].lastProductID; ++product) {
      bool noMatching = false;
      result = WatchForPair(sw, list[row].vendorID, product, &noMatching);
      // Either ends discovery: the pairs not yet watched stay unwatched. The master port is
      // given back all the same.
      if (noMatching || result != KERN_SUCCESS) {
        mach_port_deallocate(mach_task_self(), masterPort);
        return result;
      }
    }
  }
  return mach_port_deallocate(mach_task_self(), masterPort);
}

void HIDGetMatchingDevice(_KVM_SWITCH* sw, _DEVICE_ID* id) {
  CFMutableDictionaryRef matching =
      HIDDeviceMatching(static_cast<SInt32>(id->vendorID), static_cast<SInt32>(id->productID));
  if (matching == nullptr)
    return;
  io_iterator_t present = 0;
  if (IOServiceGetMatchingServices(kIOMasterPortDefault, matching, &present) != KERN_SUCCESS)
    return;
  HIDDeviceAdded(sw, present);
  IOObjectRelease(present);
}
