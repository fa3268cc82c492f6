// Reading a switch's status over its link, with the switch answering anything: the first input
// byte picks the link (odd: the USB serial-number string of a version-1 switch, even: the feature
// reports 5 and 4 of a version-2 switch); the rest answers the reads in turn, each as one byte
// (bit 7: the read fails; bits 0 to 5: how many bytes come back) followed by those bytes. The
// device interfaces behave as the platform's do: never more bytes than the buffer has room for.
//
// Aborts when a failed read is not reported as one (the switch no longer usable, no confirmed
// port), when a good read leaves anything but the bytes the switch sent (zeros where it sent
// none) in the part of the record's report its layout fills, or when decoding breaks the decoded
// status's rules.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "switch/KVMOperations.h"
#include "tests/fuzz/QuietStderr.h"
#include "tests/switch/ParseInfoInvariants.h"

namespace {

// The switch's answers, consumed read by read.
struct Answers {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 0;
  bool lastFailed = false;

  // Fills `buffer` (room for `room` bytes) with the next answer; false when the read fails.
  bool Answer(std::uint8_t* buffer, std::size_t room, std::size_t* given) {
    const std::uint8_t head = next < size ? data[next++] : 0x80;
    lastFailed = (head & 0x80) != 0;
    if (lastFailed)
      return false;
    const std::size_t count = std::min<std::size_t>(head & 0x3F, room);
    for (std::size_t i = 0; i < count; ++i)
      buffer[i] = next < size ? data[next++] : 0;
    *given = count;
    return true;
  }
};
Answers answers;

// What the record's report must hold after a good read.
std::uint8_t expected[12];

IOReturn GetReport(void*, IOHIDReportType, UInt32 reportID, void* buffer, UInt32* size, UInt32,
                   IOHIDReportCallbackFunction, void*, void*) {
  std::size_t given = 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  if (!answers.Answer(bytes, *size, &given))
    return kIOReturnNotResponding;
  *size = static_cast<UInt32>(given);
  // Report 5 fills bytes 0 to 3, report 4 bytes 4 to 11; the rest of a short report stays zero.
  std::uint8_t* target = reportID == 5 ? expected : expected + 4;
  const std::size_t length = reportID == 5 ? 4 : 8;
  std::memset(target, 0, length);
  std::memcpy(target, bytes, std::min(given, length));
  return kIOReturnSuccess;
}

IOReturn DeviceRequest(void*, IOUSBDevRequest* request) {
  std::size_t given = 0;
  auto* bytes = static_cast<std::uint8_t*>(request->pData);
  if (!answers.Answer(bytes, request->wLength, &given))
    return kIOReturnNotResponding;
  request->wLenDone = static_cast<UInt32>(given);
  // The string descriptor's two header bytes, then the eight status bytes.
  std::memset(expected, 0, sizeof expected);
  if (given > 2)
    std::memcpy(expected, bytes + 2, std::min<std::size_t>(given - 2, 8));
  return kIOReturnSuccess;
}

void Require(bool holds, const std::string& rule) {
  if (!holds) {
    std::fprintf(stderr, "reading the switch broke a rule: %s\n", rule.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  answers = Answers{data, size, 1, false};
  std::memset(expected, 0, sizeof expected);

  const auto succeed = [](void*) { return kIOReturnSuccess; };
  IOHIDDeviceInterface122 hid{};
  hid.open = [](void*, IOOptionBits) { return kIOReturnSuccess; };
  hid.close = succeed;
  hid.getReport = GetReport;
  IOHIDDeviceInterface122* hidTable = &hid;

  IOUSBDeviceInterface182 usb{};
  usb.USBDeviceOpen = succeed;
  usb.USBDeviceClose = succeed;
  usb.GetDeviceVendor = [](void*, UInt16* vendor) {
    *vendor = 0x10D5;
    return kIOReturnSuccess;
  };
  usb.GetDeviceProduct = [](void*, UInt16* product) {
    *product = 0x5500;
    return kIOReturnSuccess;
  };
  usb.USBGetSerialNumberStringIndex = [](void*, UInt8* index) {
    *index = 3;
    return kIOReturnSuccess;
  };
  usb.DeviceRequest = DeviceRequest;
  IOUSBDeviceInterface182* usbTable = &usb;

  _KVM_INFO info{};
  info.deviceState = 2;
  info.linkKind = (data[0] & 1) != 0 ? 1 : 2;
  if (info.linkKind == 1)
    info.device.deviceInterface = &usbTable;
  else
    info.device.hidDevice = &hidTable;
  // A report left from an earlier read, which a good read must replace entirely.
  std::memset(info.device.report, 0xA5, sizeof info.device.report);

  _KVM_INFO before = info;
  {
    QuietStderr quiet;
    KVMGetInformation(&info);
  }
  if (answers.lastFailed) {
    Require(info.deviceState == 0, "a failed read left the switch usable");
    Require(info.confirmedPort == -1, "a failed read left a confirmed port");
    return 0;
  }
  // The serial-number status fills the report's first eight bytes; the feature reports all twelve.
  const std::size_t filled = info.linkKind == 1 ? 8 : sizeof expected;
  Require(std::memcmp(info.device.report, expected, filled) == 0,
          "the report holds bytes the switch did not send");
  // Decoding is checked against the same record with the new report in it.
  std::memcpy(before.device.report, info.device.report, sizeof before.device.report);
  before.device.vendorID = info.device.vendorID;
  before.device.productID = info.device.productID;
  const std::string violation = ParseInfoViolation(before, info);
  Require(violation.empty(), violation);
  return 0;
}
