#include "platform/sim/SimulatedSwitch.h"

#include <algorithm>

#include "platform/Clock.h"

namespace plat::sim {

namespace {

// Auto-scan dwell times the switches support, in seconds.
constexpr int kShortestDwell = 5;
constexpr int kLongestDwell = 100;
constexpr int kShortestDwellV1 = 10;
constexpr int kLongestDwellV1 = 60;

Capabilities CapabilitiesOfGeneration(int generation) {
  Capabilities offers;
  if (generation == 1) {
    offers.hub = {false, false};
    offers.hubFixable = {false, false};
    offers.universalHotKey = false;
  }
  return offers;
}

PipeProperties InPipe(UInt8 endpoint) {
  return {kUSBIn, endpoint, kUSBInterrupt, 8, 10};
}
PipeProperties OutPipe(UInt8 endpoint) {
  return {kUSBOut, endpoint, kUSBInterrupt, 8, 10};
}

constexpr UInt8 kHIDClass = 3;
constexpr UInt8 kVendorClass = 0xFF;

std::vector<InterfaceLayout> InterfacesOf(const SwitchConfig& config) {
  if (config.generation == 2)
    return {{0, kHIDClass, {InPipe(1)}}};
  switch (config.usbLayout) {
    case USBLayout::kStandard:
      return {{0, kHIDClass, {InPipe(1)}}, {1, kVendorClass, {InPipe(2), OutPipe(3)}}};
    case USBLayout::kOnlyInEndpoints:
      return {{0, kHIDClass, {InPipe(1)}}, {1, kVendorClass, {InPipe(2), InPipe(3)}}};
    case USBLayout::kOutPipeThirdOfThree:
      return {{0, kVendorClass, {InPipe(1), InPipe(2), OutPipe(3)}}, {1, kHIDClass, {InPipe(4)}}};
    case USBLayout::kTwoOutInterfaces:
      return {{0, kVendorClass, {OutPipe(1)}},
              {1, kVendorClass, {OutPipe(2)}},
              {2, kHIDClass, {InPipe(3)}}};
    case USBLayout::kNoConfiguration:
      // The HID interface still exists for the HID device that hangs below it.
      return {{0, kHIDClass, {InPipe(1)}}};
  }
  return {};
}

}  // namespace

std::shared_ptr<SimulatedSwitch> SimulatedSwitch::Create(SwitchConfig config) {
  return std::shared_ptr<SimulatedSwitch>(new SimulatedSwitch(std::move(config)));
}

SimulatedSwitch::SimulatedSwitch(SwitchConfig config) : config_(std::move(config)) {
  config_.generation = config_.generation == 1 ? 1 : 2;
  config_.ports = std::clamp(config_.ports, 2, 4);
  // The serial-number status has room for two or four ports only.
  if (config_.generation == 1 && config_.ports == 3)
    config_.ports = 4;
  capabilities_ = config_.capabilities.value_or(CapabilitiesOfGeneration(config_.generation));
  interfaces_ = InterfacesOf(config_);
  available_ = static_cast<UInt8>((1u << config_.ports) - 1);
}

SimulatedSwitch::~SimulatedSwitch() {
  if (scanTimer_)
    RunLoop::Main().RemoveTimer(*scanTimer_);
}

UInt8 SimulatedSwitch::ConfigurationCount() const {
  return config_.generation == 1 && config_.usbLayout == USBLayout::kNoConfiguration ? 0 : 1;
}

bool SimulatedSwitch::CanSelect(int port) const {
  return IsPort(port) && (available_ & (1u << port)) != 0;
}

void SimulatedSwitch::SelectPort(int port) {
  currentPort_ = port;
  // A port chosen by hand gets a full dwell before the scan moves on.
  if (autoScanOn_)
    RestartScanTimer();
}

void SimulatedSwitch::PressButton(int port) {
  if (CanSelect(port))
    SelectPort(port);
}

void SimulatedSwitch::SetPortAvailable(int port, bool available) {
  if (!IsPort(port))
    return;
  const auto bit = static_cast<UInt8>(1u << port);
  available_ =
      available ? static_cast<UInt8>(available_ | bit) : static_cast<UInt8>(available_ & ~bit);
}

void SimulatedSwitch::SetAutoScan(bool on) {
  autoScanOn_ = on;
  RestartScanTimer();
}

void SimulatedSwitch::SetAutoScanSeconds(int seconds) {
  autoScanSeconds_ = config_.generation == 1
                         ? std::clamp(seconds, kShortestDwellV1, kLongestDwellV1)
                         : std::clamp(seconds, kShortestDwell, kLongestDwell);
  if (autoScanOn_)
    RestartScanTimer();
}

void SimulatedSwitch::RestartScanTimer() {
  RunLoop& loop = RunLoop::Main();
  if (scanTimer_)
    loop.RemoveTimer(*scanTimer_);
  scanTimer_.reset();
  if (!autoScanOn_)
    return;
  const Nanos dwell = static_cast<Nanos>(autoScanSeconds_) * kNanosPerSecond;
  scanTimer_ = loop.AddTimer(Now() + dwell, dwell, [this] { ScanToNextPort(); });
}

void SimulatedSwitch::ScanToNextPort() {
  for (int step = 1; step < config_.ports; ++step) {
    const int port = (currentPort_ + step) % config_.ports;
    if (CanSelect(port)) {
      currentPort_ = port;
      return;
    }
  }
}

bool SimulatedSwitch::ExecuteCommandReport(const UInt8* report, std::size_t length) {
  if (config_.generation != 2 || report == nullptr || length != 8 || report[0] != 0x04) {
    return false;
  }
  const UInt8 code = report[1];
  const UInt8 argument = report[2];
  const Capabilities& offers = capabilities_;
  switch (code) {
    case 0x81:
      if (!CanSelect(argument))
        return false;
      SelectPort(argument);
      return true;
    case 0x84:
      if (!offers.audio)
        return false;
      audioFixed_ = false;
      return true;
    case 0x85:
      if (!offers.audio || !offers.audioFixable)
        return false;
      audioPort_ = AudioPort();  // stays where it is
      audioFixed_ = true;
      return true;
    case 0x86:
      if (!offers.buzzer)
        return false;
      buzzerOn_ = argument != 0;
      return true;
    case 0x87:
      if (!offers.autoScanPeriod)
        return false;
      SetAutoScanSeconds(argument);
      return true;
    case 0x88:
    case 0x89:
      SetAutoScan(code == 0x88);
      return true;
    case 0x8A:
    case 0x8B: {
      const std::size_t hub = code - 0x8A;
      if (!offers.hub[hub] || !offers.hubFixable[hub] || !IsPort(argument))
        return false;
      hubFixed_[hub] = true;
      hubPort_[hub] = argument;
      return true;
    }
    case 0x8C:
      if (!offers.audio || !offers.audioFixable || !IsPort(argument))
        return false;
      audioFixed_ = true;
      audioPort_ = argument;
      return true;
    case 0x8D:
    case 0x8F: {
      const std::size_t hub = (code - 0x8D) / 2;
      if (!offers.hub[hub])
        return false;
      hubFixed_[hub] = false;
      return true;
    }
    case 0x8E:
    case 0x90: {
      const std::size_t hub = (code - 0x8E) / 2;
      if (!offers.hub[hub] || !offers.hubFixable[hub])
        return false;
      hubPort_[hub] = HubPort(static_cast<int>(hub));  // stays where it is
      hubFixed_[hub] = true;
      return true;
    }
    case 0x91:
      if (!offers.universalHotKey ||
          std::find(kTriggerKeys.begin(), kTriggerKeys.end(), argument) == kTriggerKeys.end()) {
        return false;
      }
      triggerKey_ = argument;
      return true;
    default:
      return false;
  }
}

bool SimulatedSwitch::ExecuteCommandPacket(const UInt8* packet, std::size_t length) {
  if (config_.generation != 1 || packet == nullptr || length != 8)
    return false;
  const UInt8 argument = packet[1];
  const Capabilities& offers = capabilities_;
  switch (packet[0]) {
    case 0x01:
      if (!CanSelect(argument))
        return false;
      SelectPort(argument);
      return true;
    case 0x02:
    case 0x03:
      if (!offers.buzzer)
        return false;
      buzzerOn_ = packet[0] == 0x02;
      return true;
    case 0x04:
      if (!offers.audio)
        return false;
      audioFixed_ = false;
      return true;
    case 0x05:
      if (!offers.audio || !offers.audioFixable || !IsPort(argument))
        return false;
      audioFixed_ = true;
      audioPort_ = argument;
      return true;
    case 0x06:
      if (!offers.autoScanPeriod)
        return false;
      SetAutoScanSeconds(argument * 5);
      return true;
    case 0x07:
    case 0x08:
      SetAutoScan(packet[0] == 0x07);
      return true;
    default:
      return false;
  }
}

void SimulatedSwitch::Record(Exchange exchange) {
  exchange.tick = TickCount();
  exchanges_.push_back(std::move(exchange));
}

void SimulatedSwitch::FailNext(Operation operation, int count, IOReturn status) {
  faults_[operation] = Fault{count, status};
}

void SimulatedSwitch::FailNextOpens(int count, IOReturn status) {
  FailNext(Generation() == 2 ? Operation::kHIDOpen : Operation::kUSBDeviceOpen, count, status);
}

void SimulatedSwitch::FailNextReads(int count, IOReturn status) {
  FailNext(Generation() == 2 ? Operation::kGetReport : Operation::kDeviceRequest, count, status);
}

void SimulatedSwitch::FailNextWrites(int count, IOReturn status) {
  FailNext(Generation() == 2 ? Operation::kSetReport : Operation::kWritePipe, count, status);
}

void SimulatedSwitch::RejectReport(std::optional<UInt32> reportID, IOReturn status) {
  rejectedReport_ = reportID;
  rejectionStatus_ = status;
}

std::optional<IOReturn> SimulatedSwitch::TakeFault(Operation operation) {
  auto fault = faults_.find(operation);
  if (fault == faults_.end() || fault->second.count <= 0)
    return std::nullopt;
  --fault->second.count;
  return fault->second.status;
}

std::optional<IOReturn> SimulatedSwitch::RejectionOf(UInt32 reportID) const {
  if (rejectedReport_ && *rejectedReport_ == reportID)
    return rejectionStatus_;
  return std::nullopt;
}

}  // namespace plat::sim
