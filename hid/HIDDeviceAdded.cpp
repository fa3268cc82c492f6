// The arrival callback: which of the HID devices of a pass is a switch, and of which generation.
#include <cstdio>
#include <new>

#include "hid/DeviceRecord.h"
#include "hid/HIDDiscovery.h"

namespace {

// The switcher version the HID properties show: 1 when they carry a serial-number text that
// converts into 8 bytes of Unicode, 2 when the feature reports are 8 bytes long, else 0.
SInt32 SwitcherVersion(CFDictionaryRef deviceProperties) {
  if (CFTypeRef serial = CFDictionaryGetValue(deviceProperties, CFSTR("SerialNumber"))) {
    char text[8];
    if (CFStringGetCString(static_cast<CFStringRef>(serial), text, sizeof text,
                           kCFStringEncodingUnicode)) {
      return 1;
    }
    fprintf(stderr, "CFStringGetCString error retrieving pDevice->serial.");
    return 0;
  }
  if (CFTypeRef size = CFDictionaryGetValue(deviceProperties, CFSTR("MaxFeatureReportSize"))) {
    long reportSize = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(size), kCFNumberLongType, &reportSize)) {
      fprintf(stderr, "CFNumberGetValue error retrieving Feature key.");
      return 0;
    }
    if (reportSize == 8)
      return 2;
    fprintf(stderr, "CFNumberGetValue error. Invalid Size: %d.", static_cast<int>(reportSize));
  }
  return 0;
}

// An id from the HID device's own key or, when it lacks it, from its USB device's. 0 when
// neither is there or the value is not a number.
UInt32 ReadIdentifier(CFDictionaryRef deviceProperties, const char* deviceKey,
                      CFDictionaryRef usbProperties, const char* usbKey, const char* failure) {
  CFTypeRef value = CFDictionaryGetValue(deviceProperties, CFSTR(deviceKey));
  if (value == nullptr)
    value = CFDictionaryGetValue(usbProperties, CFSTR(usbKey));
  long number = 0;
  if (value != nullptr &&
      !CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberLongType, &number)) {
    fprintf(stderr, "%s", failure);
    number = 0;
  }
  return static_cast<UInt32>(number);
}

// Reads the properties of the HID device in working->hidService and of the USB device two levels
// above it; for a switch, sets sw->info.linkKind to its version and fills the working record's
// ids. Returns the status of the registry calls.
IOReturn HIDFindSwitcherVersion(_KVM_SWITCH* sw, DEVICE_DATA* working) {
  CFMutableDictionaryRef deviceProperties = nullptr;
  IOReturn result = IORegistryEntryCreateCFProperties(working->hidService, &deviceProperties,
                                                      kCFAllocatorDefault, 0);
  if (result != KERN_SUCCESS || deviceProperties == nullptr) {
    fprintf(stderr,
            "IORegistryEntryCreateCFProperties error when creating deviceProperties.Error: %d",
            result);
    return result != KERN_SUCCESS ? result : kIOReturnError;
  }

  io_registry_entry_t parent1 = 0;
  io_registry_entry_t parent2 = 0;
  CFMutableDictionaryRef usbProperties = nullptr;
  result = IORegistryEntryGetParentEntry(working->hidService, kIOServicePlane, &parent1);
  if (result == KERN_SUCCESS)
    result = IORegistryEntryGetParentEntry(parent1, kIOServicePlane, &parent2);
  if (result == KERN_SUCCESS)
    result = IORegistryEntryCreateCFProperties(parent2, &usbProperties, kCFAllocatorDefault, 0);
  if (result != KERN_SUCCESS) {
    // A device without the two levels above it: whichever parent was found is given back.
    if (parent2 != 0)
      IOObjectRelease(parent2);
    if (parent1 != 0)
      IOObjectRelease(parent1);
    CFRelease(deviceProperties);
    return result;
  }

  if (usbProperties == nullptr) {
    fprintf(stderr, "IORegistryEntryCreateCFProperties failed to create usbProperties.");
    result = kIOReturnError;
  } else {
    sw->info.linkKind = SwitcherVersion(deviceProperties);
    if (sw->info.linkKind != 0) {
      working->vendorID = ReadIdentifier(deviceProperties, "VendorID", usbProperties, "idVendor",
                                         "CFNumberGetValue error retrieving pDevice->vendorID.");
      working->productID = ReadIdentifier(deviceProperties, "ProductID", usbProperties, "idProduct",
                                          "CFNumberGetValue error retrieving pDevice->productID.");
    }
    CFRelease(usbProperties);
    result = KERN_SUCCESS;
  }
  if (IOObjectRelease(parent2) != KERN_SUCCESS)
    fprintf(stderr, "IOObjectRelease error with parent2.");
  if (IOObjectRelease(parent1) != KERN_SUCCESS)
    fprintf(stderr, "IOObjectRelease error with parent1.");
  CFRelease(deviceProperties);
  return result;
}

// One object of the pass, while no switch has been recognised yet.
void ExamineCandidate(_KVM_SWITCH* sw, DEVICE_DATA* working, io_service_t candidate) {
  *working = DEVICE_DATA{};
  working->hidService = candidate;
  sw->info.linkKind = 0;
  const IOReturn result = HIDFindSwitcherVersion(sw, working);
  if (result != KERN_SUCCESS || sw->info.linkKind == 0) {
    fprintf(stderr, "HIDDeviceAdded: Call to HIDFindSwitcherVersion failed. Code result = %08X\n",
            result);
    return;
  }
  fprintf(stderr,
          "HIDDeviceAdded: Found device info with vendorID=0x%X deviceID=0x%X. Version: %d\n",
          working->vendorID, working->productID, sw->info.linkKind);
  AdoptDeviceRecord(&sw->info.device, *working);

  if (sw->sessionInactive != 0) {
    sw->info.deviceState = 1;  // held until the session is back
  } else if (sw->info.linkKind == 2) {
    HIDSetHIDDevice(sw);
  }
  // A version-1 switch goes to the USB route once the pass is over.
}

}  // namespace

void HIDDeviceAdded(void* refCon, io_iterator_t iterator) {
  auto* sw = static_cast<_KVM_SWITCH*>(refCon);
  auto* working = new (std::nothrow) DEVICE_DATA{};
  MPEnterCriticalRegion(sw->criticalRegion, kDurationForever);
  _KVM_INFO& info = sw->info;
  if (info.deviceState == 0)
    info.linkKind = 0;

  // The first switch recognised wins; every object is released, used or not.
  for (io_object_t candidate = IOIteratorNext(iterator); candidate != 0;
       candidate = IOIteratorNext(iterator)) {
    if (working != nullptr && info.deviceState == 0 && info.linkKind == 0)
      ExamineCandidate(sw, working, candidate);
    IOObjectRelease(candidate);
  }

  if (info.deviceState == 0 && info.linkKind == 1 && sw->sessionInactive == 0)
    HIDSetUSBDevice(sw);
  MPExitCriticalRegion(sw->criticalRegion);
  delete working;
}
