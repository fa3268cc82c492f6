#include "hid/HIDTransport.h"

#include <cstdio>
#include <cstring>

#include "platform/Clock.h"

namespace {
constexpr UInt32 kStatusReportID = 5;
constexpr UInt32 kSettingsReportID = 4;
constexpr UInt32 kCommandReportID = 4;
constexpr unsigned long kStatusReportLength = 4;
constexpr unsigned long kSettingsReportLength = 8;
}  // namespace

IOReturn HIDGetReport(IOHIDDeviceInterface122** device, IOHIDReportType type,
                      unsigned long reportID, void* buffer, unsigned long* size) {
  if (device == nullptr || size == nullptr)
    return kIOReturnError;
  IOReturn result = kIOReturnError;
  for (int attempt = 0; attempt < kHIDAttempts; ++attempt) {
    UInt32 finalTicks = 0;
    Delay(kHIDReadDelayTicks, &finalTicks);
    // Every attempt offers the whole buffer, whatever a failed one reported back.
    auto length = static_cast<UInt32>(*size);
    result = (*device)->getReport(device, type, static_cast<UInt32>(reportID), buffer, &length, 0,
                                  nullptr, nullptr, nullptr);
    if (result == kIOReturnSuccess) {
      *size = length;
      return kIOReturnSuccess;
    }
    // A switch that let a request time out has stopped answering: the request is still in
    // flight, and another attempt would only hold the program up until the kernel gives up.
    if (result == kIOReturnTimeout)
      break;
  }
  fprintf(stderr, "HIDGetReport - Could not getReport. Error: %d.\n", result);
  return result;
}

IOReturn HIDSetDeviceInfo(DEVICE_DATA* data, unsigned char* report, int length) {
  if (data == nullptr || data->hidDevice == nullptr)
    return kIOReturnError;
  IOHIDDeviceInterface122** device = data->hidDevice;
  IOReturn result = (*device)->open(device, kIOHIDOptionsTypeNone);
  if (result != kIOReturnSuccess)
    return result;
  for (int attempt = 0; attempt < kHIDAttempts; ++attempt) {
    UInt32 finalTicks = 0;
    Delay(kHIDWriteDelayTicks, &finalTicks);
    result = (*device)->setReport(device, kIOHIDReportTypeFeature, kCommandReportID, report,
                                  static_cast<UInt32>(length), 0, nullptr, nullptr, nullptr);
    if (result == kIOReturnSuccess) {
      (*device)->close(device);
      return kIOReturnSuccess;
    }
    if (result == kIOReturnTimeout)
      break;  // as for a read: the switch has stopped answering
  }
  fprintf(stderr, "HIDSetReport - Could not setReport; error: %d", result);
  (*device)->close(device);
  return result;
}

IOReturn HIDGetDeviceInfo(DEVICE_DATA* data) {
  if (data == nullptr || data->hidDevice == nullptr)
    return kIOReturnError;
  IOHIDDeviceInterface122** device = data->hidDevice;
  IOReturn result = (*device)->open(device, kIOHIDOptionsTypeNone);
  if (result != kIOReturnSuccess)
    return result;

  // Zeroed, so a short report leaves zeros rather than stack contents behind it.
  unsigned char status[kStatusReportLength] = {};
  unsigned char settings[kSettingsReportLength] = {};
  unsigned long size = sizeof status;
  result = HIDGetReport(device, kIOHIDReportTypeFeature, kStatusReportID, status, &size);
  if (result == kIOReturnSuccess) {
    size = sizeof settings;
    result = HIDGetReport(device, kIOHIDReportTypeFeature, kSettingsReportID, settings, &size);
  }
  if (result == kIOReturnSuccess) {
    std::memcpy(&data->report[0], status, sizeof status);
    std::memcpy(&data->report[4], settings, sizeof settings);
  }
  (*device)->close(device);
  return result;
}
