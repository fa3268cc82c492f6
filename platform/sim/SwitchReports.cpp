// How a simulated switch publishes its state: the two feature reports of generation 2 and the
// serial-number characters of generation 1. Bits the host does not read are 0, except where
// noted.
#include "platform/sim/SimulatedSwitch.h"

namespace plat::sim {

namespace {
UInt8 Bit(bool set, int bit) {
  return set ? static_cast<UInt8>(1u << bit) : UInt8{0};
}
UInt8 Nibbles(int high, int low) {
  return static_cast<UInt8>(((high & 0x0F) << 4) | (low & 0x0F));
}
}  // namespace

std::array<UInt8, 4> SimulatedSwitch::StatusReport() const {
  const Capabilities& offers = capabilities_;
  return {
      0x05,
      Nibbles(config_.ports, currentPort_),
      static_cast<UInt8>(Bit(offers.buzzer, 0) | Bit(offers.audio, 1) | Bit(offers.hub[0], 2) |
                         Bit(offers.hub[1], 3) | Bit(offers.autoScanPeriod, 4) |
                         Bit(offers.universalHotKey, 5)),
      static_cast<UInt8>(Bit(offers.audioFixable, 1) | Bit(offers.hubFixable[0], 2) |
                         Bit(offers.hubFixable[1], 3)),
  };
}

std::array<UInt8, 8> SimulatedSwitch::SettingsReport() const {
  // Fixed settings are sent as cleared "follows" bits.
  const auto flags =
      static_cast<UInt8>(Bit(buzzerOn_, 0) | Bit(!audioFixed_, 1) | Bit(!hubFixed_[0], 2) |
                         Bit(!hubFixed_[1], 3) | Bit(autoScanOn_, 4));
  return {
      0x04,
      flags,
      Nibbles(AudioPort(), confirmedOverride_.value_or(currentPort_)),
      Nibbles(HubPort(1), HubPort(0)),
      static_cast<UInt8>(autoScanSeconds_),
      triggerKey_,
      available_,
      0x00,
  };
}

std::array<UInt8, 6> SimulatedSwitch::SerialNumberBytes() const {
  // First character: the port in bits 0-2 of its low byte, over the digit '0' (0x30), so the
  // character is never U+0000; the high byte carries the inverted audio capabilities (bits 0
  // and 4), which keeps it clear of the surrogates. Second character: capabilities, port count
  // (2 or 4, never 0), auto-scan and the available ports. Third: the settings, with the period
  // (2 to 12, never 0) in the low nibble. Both high bytes are 0.
  const Capabilities& offers = capabilities_;
  const UInt8 portCountBits = config_.ports == 2 ? 0x02 : 0x04;
  return {
      static_cast<UInt8>(0x30 | (currentPort_ & 0x07)),
      static_cast<UInt8>(Bit(!offers.audio, 0) | Bit(!offers.audioFixable, 4)),
      static_cast<UInt8>(Bit(offers.buzzer, 0) | portCountBits | Bit(autoScanOn_, 3) |
                         ((available_ & 0x0F) << 4)),
      0x00,
      static_cast<UInt8>((AutoScanUnits() & 0x0F) | Bit(buzzerOn_, 4) |
                         ((AudioPort() & 0x03) << 5) | Bit(!audioFixed_, 7)),
      0x00,
  };
}

std::string SimulatedSwitch::SerialNumberText() const {
  const std::array<UInt8, 6> bytes = SerialNumberBytes();
  std::string utf8;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
    if (unit < 0x80) {
      utf8 += static_cast<char>(unit);
    } else if (unit < 0x800) {
      utf8 += static_cast<char>(0xC0 | (unit >> 6));
      utf8 += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (unit >> 12));
      utf8 += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return utf8;
}

}  // namespace plat::sim
