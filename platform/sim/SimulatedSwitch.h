// A simulated KVM switch of either generation: it keeps its own state, publishes it the way the
// hardware does, carries out every command of both encodings and scans its ports by itself on
// the platform clock.
//
// Generation 2 answers feature report 5 (4 bytes: ports and capabilities) and feature report 4
// (8 bytes: settings) and takes 8-byte command reports with report ID 4 (codes 0x81 to 0x91).
// Generation 1 publishes its state in the first three characters of its USB serial-number
// string and takes 8-byte command packets (codes 0x01 to 0x08) on a USB OUT pipe.
//
// For tests it records every exchange with the host and can be told to fail.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MacTypes.h"
#include "platform/RunLoop.h"
#include "platform/model/iokit/DeviceBackends.h"
#include "platform/model/iokit/IOObjects.h"

namespace plat::sim {

// What a switch offers to be changed; the reports carry these bits.
struct Capabilities {
  bool buzzer = true;
  bool audio = true;
  bool audioFixable = true;
  bool autoScanPeriod = true;
  std::array<bool, 2> hub{true, true};
  std::array<bool, 2> hubFixable{true, true};
  bool universalHotKey = true;
};

// How the interfaces and pipes of a generation-1 switch's USB configuration are laid out.
enum class USBLayout {
  kStandard,             // interface 0: HID, one IN pipe; interface 1: vendor, IN then OUT
  kOnlyInEndpoints,      // interface 0: HID, one IN pipe; interface 1: vendor, two IN pipes
  kOutPipeThirdOfThree,  // interface 0: vendor, IN, IN, then OUT
  kTwoOutInterfaces,     // interfaces 0 and 1: vendor, each with one OUT pipe
  kNoConfiguration,      // the device reports zero configurations
};

struct SwitchConfig {
  int generation = 2;  // 1 or 2
  int ports = 4;       // 2 to 4; generation 1 knows only 2 and 4 (3 becomes 4)
  UInt32 vendorID = 0x10D5;
  UInt32 productID = 0x5504;
  USBLayout usbLayout = USBLayout::kStandard;
  // The generation's own set when not given: generation 1 has no hubs and no trigger key.
  std::optional<Capabilities> capabilities = std::nullopt;
};

// One exchange with the host, as the switch saw it (failed ones too).
struct Exchange {
  enum class Kind {
    kHIDOpen,
    kHIDClose,
    kGetReport,
    kSetReport,
    kUSBDeviceOpen,
    kUSBDeviceClose,
    kDeviceRequest,
    kSetConfiguration,
    kInterfaceOpen,
    kInterfaceClose,
    kWritePipe,
  };
  explicit Exchange(Kind what, UInt32 which = 0, int interface = -1, std::vector<UInt8> data = {},
                    IOReturn result = kIOReturnSuccess)
      : kind(what), id(which), interfaceNumber(interface), bytes(std::move(data)), status(result) {}

  Kind kind;
  UInt32 id = 0;             // report ID, pipe reference, configuration value or request wValue
  int interfaceNumber = -1;  // for interface and pipe exchanges
  std::vector<UInt8> bytes;  // sent by the host, or answered by the switch
  IOReturn status = kIOReturnSuccess;
  UInt32 tick = 0;  // TickCount() when it happened
};

// Operations that can be told to fail.
enum class Operation {
  kHIDOpen,
  kGetReport,
  kSetReport,
  kUSBDeviceOpen,
  kDeviceRequest,
  kInterfaceOpen,
  kWritePipe,
  kPlugIn,  // making a plug-in for one of the switch's services (status 0: none made)
  // A plug-in is made, but asked for its device interface it answers the status (an HRESULT,
  // e.g. E_NOINTERFACE; S_OK: a success that hands out nothing).
  kQueryInterface,
  kConfigurationDescriptor,  // status 0: a success without a descriptor
  kSetConfiguration,
  kInterfaceIterator,
  kNumEndpoints,
  kPipeProperties,
};

struct InterfaceLayout {
  UInt8 number;
  UInt8 interfaceClass;  // 3 = HID, 0xFF = vendor
  std::vector<PipeProperties> pipes;
};

// The switch's services: a HID device two levels below its USB device.
struct SwitchServices {
  std::shared_ptr<IOService> usbDevice;                   // "IOUSBDevice"
  std::vector<std::shared_ptr<IOService>> usbInterfaces;  // "IOUSBInterface", interface order
  std::shared_ptr<IOService> hidDevice;                   // "IOHIDDevice", below interface 0
};

class SimulatedSwitch : public std::enable_shared_from_this<SimulatedSwitch> {
 public:
  static constexpr UInt8 kSerialNumberIndex = 3;
  // The keys the switch accepts as its own trigger key (USB HID usages).
  static constexpr std::array<UInt8, 5> kTriggerKeys{0x47, 0x53, 0x39, 0x45, 0x29};

  static std::shared_ptr<SimulatedSwitch> Create(SwitchConfig config = {});
  ~SimulatedSwitch();
  SimulatedSwitch(const SimulatedSwitch&) = delete;
  SimulatedSwitch& operator=(const SimulatedSwitch&) = delete;

  // The state.
  int Generation() const { return config_.generation; }
  int PortCount() const { return config_.ports; }
  UInt32 VendorID() const { return config_.vendorID; }
  UInt32 ProductID() const { return config_.productID; }
  const Capabilities& Offers() const { return capabilities_; }
  int CurrentPort() const { return currentPort_; }
  UInt8 AvailablePorts() const { return available_; }
  bool BuzzerOn() const { return buzzerOn_; }
  bool AudioFixed() const { return audioFixed_; }
  // The port the audio is on: its fixed port, or the current one while it follows.
  int AudioPort() const { return audioFixed_ ? audioPort_ : currentPort_; }
  bool HubFixed(int hub) const { return hubFixed_[Hub(hub)]; }
  int HubPort(int hub) const { return hubFixed_[Hub(hub)] ? hubPort_[Hub(hub)] : currentPort_; }
  bool AutoScanOn() const { return autoScanOn_; }
  int AutoScanSeconds() const { return autoScanSeconds_; }
  UInt8 TriggerKey() const { return triggerKey_; }

  // What a person does at the switch or its PCs.
  // A front-panel button: selects the port when it can be selected.
  void PressButton(int port);
  // A PC switched on or off: only available ports can be selected.
  void SetPortAvailable(int port, bool available);

  // The reports of generation 2.
  std::array<UInt8, 4> StatusReport() const;    // feature report 5
  std::array<UInt8, 8> SettingsReport() const;  // feature report 4
  // The status of generation 1: three UTF-16 characters, low byte first; never U+0000, never a
  // surrogate, so that the serial number is always valid text of exactly three characters.
  std::array<UInt8, 6> SerialNumberBytes() const;
  std::string SerialNumberText() const;  // UTF-8

  // Commands as they arrive; false when the switch ignored it.
  bool ExecuteCommandReport(const UInt8* report, std::size_t length);
  bool ExecuteCommandPacket(const UInt8* packet, std::size_t length);

  // The services of the switch, made afresh; the next task's registry attaches them.
  SwitchServices CreateServices();
  const std::vector<InterfaceLayout>& Interfaces() const { return interfaces_; }
  UInt8 ConfigurationCount() const;
  UInt8 ConfigurationValue() const { return configuration_; }
  void SetConfigurationValue(UInt8 value) { configuration_ = value; }

  // The exchange log.
  const std::vector<Exchange>& Exchanges() const { return exchanges_; }
  void ClearExchanges() { exchanges_.clear(); }
  void Record(Exchange exchange);

  // Failure injection.
  void FailNext(Operation operation, int count, IOReturn status);
  // The open, read or write of this generation's own link.
  void FailNextOpens(int count, IOReturn status);
  void FailNextReads(int count, IOReturn status);
  void FailNextWrites(int count, IOReturn status);
  // Every read of this report fails with `status` until the rejection is withdrawn (nullopt).
  void RejectReport(std::optional<UInt32> reportID, IOReturn status = kIOReturnUnsupported);
  // Makes the settings report give another port than the status report (nullopt: the same).
  void ReportConfirmedPort(std::optional<int> port) { confirmedOverride_ = port; }
  // An unplugged switch answers nothing: every exchange fails with kIOReturnNoDevice.
  void SetConnected(bool connected) { connected_ = connected; }
  bool IsConnected() const { return connected_; }

  // For the device connections: the injected failure of the operation (consumed), if any.
  std::optional<IOReturn> TakeFault(Operation operation);
  std::optional<IOReturn> RejectionOf(UInt32 reportID) const;

 private:
  explicit SimulatedSwitch(SwitchConfig config);
  static std::size_t Hub(int hub) { return hub == 0 ? 0 : 1; }
  bool CanSelect(int port) const;
  bool IsPort(int port) const { return port >= 0 && port < config_.ports; }
  void SelectPort(int port);
  void SetAutoScan(bool on);
  void SetAutoScanSeconds(int seconds);
  void RestartScanTimer();
  void ScanToNextPort();
  int AutoScanUnits() const { return autoScanSeconds_ / 5; }

  SwitchConfig config_;
  Capabilities capabilities_;
  std::vector<InterfaceLayout> interfaces_;
  UInt8 configuration_ = 1;

  int currentPort_ = 0;
  UInt8 available_;
  bool buzzerOn_ = true;
  bool audioFixed_ = false;
  int audioPort_ = 0;
  std::array<bool, 2> hubFixed_{false, false};
  std::array<int, 2> hubPort_{0, 0};
  bool autoScanOn_ = false;
  int autoScanSeconds_ = 10;
  UInt8 triggerKey_ = kTriggerKeys[0];
  std::optional<RunLoop::Id> scanTimer_;

  std::vector<Exchange> exchanges_;
  struct Fault {
    int count = 0;
    IOReturn status = kIOReturnSuccess;
  };
  std::map<Operation, Fault> faults_;
  std::optional<UInt32> rejectedReport_;
  IOReturn rejectionStatus_ = kIOReturnUnsupported;
  std::optional<int> confirmedOverride_;
  bool connected_ = true;
};

}  // namespace plat::sim
