#include "usb/USBCommands.h"

#include "usb/USBTransport.h"

namespace {

constexpr int kPacketLength = 8;

// Command codes.
constexpr unsigned char kSetPort = 0x01;
constexpr unsigned char kBuzzerOn = 0x02;
constexpr unsigned char kBuzzerOff = 0x03;
constexpr unsigned char kBindAudio = 0x04;
constexpr unsigned char kFixAudio = 0x05;
constexpr unsigned char kSetAutoScanPeriod = 0x06;
constexpr unsigned char kStartAutoScan = 0x07;
constexpr unsigned char kStopAutoScan = 0x08;

int SendPacket(DEVICE_DATA* data, unsigned char code, int argument = 0) {
  unsigned char packet[kPacketLength] = {code, static_cast<unsigned char>(argument & 0xFF)};
  return USBTransferData(data, packet, kPacketLength);
}

}  // namespace

int USBSetPortNumber(DEVICE_DATA* data, int port) {
  return SendPacket(data, kSetPort, port);
}

int USBSetBuzzer(DEVICE_DATA* data, bool on) {
  return SendPacket(data, on ? kBuzzerOn : kBuzzerOff);
}

int USBBindAudio(DEVICE_DATA* data) {
  return SendPacket(data, kBindAudio);
}

int USBFixAudioPortNumber(DEVICE_DATA* data, int port) {
  return SendPacket(data, kFixAudio, port);
}

int USBSetAutoScanPeriod(DEVICE_DATA* data, int period) {
  return SendPacket(data, kSetAutoScanPeriod, period);
}

int USBSetAutoScan(DEVICE_DATA* data, bool on) {
  return SendPacket(data, on ? kStartAutoScan : kStopAutoScan);
}
