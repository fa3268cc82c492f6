#include <cstdio>
#include <cstring>

#include "usb/USBTransport.h"

namespace {
constexpr UInt16 kLanguageEnglishUS = 0x0409;
constexpr UInt16 kStatusLength = 8;
// A string descriptor begins with its length and type; the characters follow.
constexpr std::size_t kDescriptorHeader = 2;
constexpr std::size_t kStatusBytes = 8;
}  // namespace

int USBGetDeviceInfo(DEVICE_DATA* data) {
  if (data == nullptr || data->deviceInterface == nullptr) {
    fprintf(stderr, "USBGetDeviceInfo: No known device\n");
    return kIOReturnError;
  }
  IOUSBDeviceInterface182** device = data->deviceInterface;
  IOReturn result = (*device)->USBDeviceOpen(device);
  if (result != kIOReturnSuccess) {
    fprintf(stderr, "USBGetDeviceInfo: unable to open device. ret = %08x\n", result);
    return result;
  }

  UInt16 vendor = 0;
  result = (*device)->GetDeviceVendor(device, &vendor);
  if (result == kIOReturnSuccess) {
    data->vendorID = vendor;
  } else {
    fprintf(stderr, "USBGetDeviceInfo: unable to obtain the Vendor ID. ret = %08x\n", result);
  }

  if (result == kIOReturnSuccess) {
    UInt16 product = 0;
    result = (*device)->GetDeviceProduct(device, &product);
    if (result == kIOReturnSuccess) {
      data->productID = product;
    } else {
      fprintf(stderr, "USBGetDeviceInfo: unable to obtain the Product ID. ret = %08x\n", result);
    }
  }

  UInt8 serialIndex = 0;
  if (result == kIOReturnSuccess) {
    result = (*device)->USBGetSerialNumberStringIndex(device, &serialIndex);
    if (result != kIOReturnSuccess) {
      fprintf(stderr, "USBGetDeviceInfo: unable to obtain the Serial index. ret = %08x\n", result);
    }
  }

  if (result == kIOReturnSuccess) {
    // Room for the header and the eight report bytes, zeroed: the device sends at most
    // kStatusLength bytes, and the bytes it does not send must not carry stack contents.
    UInt8 received[kDescriptorHeader + kStatusBytes] = {};
    IOUSBDevRequest request{};
    request.bmRequestType = USBmakebmRequestType(kUSBIn, kUSBStandard, kUSBDevice);
    request.bRequest = kUSBRqGetDescriptor;
    request.wValue = static_cast<UInt16>((kUSBStringDesc << 8) + serialIndex);
    request.wIndex = kLanguageEnglishUS;
    request.wLength = kStatusLength;
    request.pData = received;
    request.wLenDone = 0;
    result = (*device)->DeviceRequest(device, &request);
    if (result == kIOReturnSuccess) {
      std::memcpy(data->report, received + kDescriptorHeader, kStatusBytes);
    } else {
      fprintf(stderr, "USBGetDeviceInfo: unable to obtain the Serial string. ret = %08x\n", result);
    }
  }

  (*device)->USBDeviceClose(device);
  return result;
}
