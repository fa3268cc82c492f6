#include "hid/HIDCommands.h"

#include "hid/HIDTransport.h"

namespace {

constexpr unsigned char kCommandReportID = 0x04;
constexpr int kCommandReportLength = 8;

// Command codes.
constexpr unsigned char kSetPort = 0x81;
constexpr unsigned char kBindAudio = 0x84;
constexpr unsigned char kUnbindAudio = 0x85;
constexpr unsigned char kSetBuzzer = 0x86;
constexpr unsigned char kSetAutoScanPeriod = 0x87;
constexpr unsigned char kStartAutoScan = 0x88;
constexpr unsigned char kStopAutoScan = 0x89;
constexpr unsigned char kFixHub = 0x8A;  // + hub
constexpr unsigned char kFixAudio = 0x8C;
constexpr unsigned char kBindHub = 0x8D;    // + 2 x hub
constexpr unsigned char kUnbindHub = 0x8E;  // + 2 x hub
constexpr unsigned char kSetTriggerKey = 0x91;

constexpr unsigned char LowByte(unsigned long value) {
  return static_cast<unsigned char>(value & 0xFF);
}

IOReturn SendCommand(DEVICE_DATA* data, unsigned char code, unsigned char argument = 0) {
  unsigned char report[kCommandReportLength] = {kCommandReportID, code, argument};
  return HIDSetDeviceInfo(data, report, kCommandReportLength);
}

}  // namespace

IOReturn HIDSetPortNumber(DEVICE_DATA* data, int port) {
  return SendCommand(data, kSetPort, LowByte(static_cast<unsigned long>(port)));
}

IOReturn HIDBindAudio(DEVICE_DATA* data) {
  return SendCommand(data, kBindAudio);
}

IOReturn HIDUnbindAudio(DEVICE_DATA* data) {
  return SendCommand(data, kUnbindAudio);
}

IOReturn HIDSetBuzzer(DEVICE_DATA* data, bool on) {
  return SendCommand(data, kSetBuzzer, on ? 1 : 0);
}

IOReturn HIDSetAutoScanPeriod(DEVICE_DATA* data, int period) {
  return SendCommand(data, kSetAutoScanPeriod, LowByte(static_cast<unsigned long>(period) * 5));
}

IOReturn HIDSetAutoScan(DEVICE_DATA* data, bool on) {
  return SendCommand(data, on ? kStartAutoScan : kStopAutoScan);
}

IOReturn HIDFixHUBPortNumber(DEVICE_DATA* data, int hub, int port) {
  return SendCommand(data, LowByte(kFixHub + static_cast<unsigned long>(hub)),
                     LowByte(static_cast<unsigned long>(port)));
}

IOReturn HIDFixAudioPortNumber(DEVICE_DATA* data, int port) {
  return SendCommand(data, kFixAudio, LowByte(static_cast<unsigned long>(port)));
}

IOReturn HIDBindHUB(DEVICE_DATA* data, int hub) {
  return SendCommand(data, LowByte(kBindHub + 2 * static_cast<unsigned long>(hub)));
}

IOReturn HIDUnbindHUB(DEVICE_DATA* data, int hub) {
  return SendCommand(data, LowByte(kUnbindHub + 2 * static_cast<unsigned long>(hub)));
}

IOReturn HIDSetUniversalHotKey(DEVICE_DATA* data, unsigned long usage) {
  return SendCommand(data, kSetTriggerKey, LowByte(usage));
}
