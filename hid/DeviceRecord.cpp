#include "hid/DeviceRecord.h"

#include "platform/IOKitLib.h"

CFMutableDictionaryRef CreateDeviceMatching(const char* className, const char* vendorKey,
                                            SInt32 vendorID, const char* productKey,
                                            SInt32 productID) {
  CFMutableDictionaryRef matching = IOServiceMatching(className);
  if (matching == nullptr)
    return nullptr;
  CFNumberRef vendor = CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &vendorID);
  CFDictionarySetValue(matching, CFSTR(vendorKey), vendor);
  CFRelease(vendor);
  CFNumberRef product = CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &productID);
  CFDictionarySetValue(matching, CFSTR(productKey), product);
  CFRelease(product);
  return matching;
}

void AdoptDeviceRecord(DEVICE_DATA* record, const DEVICE_DATA& found) {
  if (record->notification != 0)
    IOObjectRelease(record->notification);
  if (record->hidDevice != nullptr)
    (*record->hidDevice)->Release(record->hidDevice);
  if (record->deviceInterface != nullptr)
    (*record->deviceInterface)->Release(record->deviceInterface);
  if (record->interfaceInterface != nullptr)
    (*record->interfaceInterface)->Release(record->interfaceInterface);
  *record = found;
}
