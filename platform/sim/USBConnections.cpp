#include <algorithm>
#include <cstring>

#include "platform/sim/SwitchConnections.h"

namespace plat::sim {

namespace {

constexpr UInt8 kLanguageEnglishUS[] = {0x09, 0x04};
constexpr const char* kManufacturer = "Velbrook";
constexpr const char* kProduct = "KVM Switch";
constexpr UInt8 kManufacturerIndex = 1;
constexpr UInt8 kProductIndex = 2;

// A string descriptor: its length, type 3, then UTF-16LE characters.
std::vector<UInt8> StringDescriptor(const UInt8* characters, std::size_t length) {
  std::vector<UInt8> descriptor(2 + length);
  descriptor[0] = static_cast<UInt8>(descriptor.size());
  descriptor[1] = kUSBStringDesc;
  std::copy(characters, characters + length, descriptor.begin() + 2);
  return descriptor;
}

std::vector<UInt8> AsciiStringDescriptor(const char* text) {
  std::vector<UInt8> characters;
  for (const char* c = text; *c != '\0'; ++c) {
    characters.push_back(static_cast<UInt8>(*c));
    characters.push_back(0);
  }
  return StringDescriptor(characters.data(), characters.size());
}

std::vector<UInt8> DeviceDescriptor(const SimulatedSwitch& simulated, UInt8 serialIndex) {
  const auto vendor = static_cast<UInt16>(simulated.VendorID());
  const auto product = static_cast<UInt16>(simulated.ProductID());
  return {18,
          kUSBDeviceDesc,
          0x00,
          0x02,  // USB 2.0
          0,
          0,
          0,
          8,
          static_cast<UInt8>(vendor & 0xFF),
          static_cast<UInt8>(vendor >> 8),
          static_cast<UInt8>(product & 0xFF),
          static_cast<UInt8>(product >> 8),
          0x00,
          0x01,
          kManufacturerIndex,
          kProductIndex,
          serialIndex,
          simulated.ConfigurationCount()};
}

// Opens a connection that one user at a time may hold, as the switch's USB device and each of
// its interfaces are, and records it with the switch.
IOReturn OpenExclusively(SimulatedSwitch& simulated, bool& open, Exchange exchange,
                         Operation operation) {
  if (!simulated.IsConnected()) {
    exchange.status = kIOReturnNoDevice;
  } else if (open) {
    exchange.status = kIOReturnExclusiveAccess;
  } else if (auto fault = simulated.TakeFault(operation)) {
    exchange.status = *fault;
  } else {
    open = true;
  }
  simulated.Record(exchange);
  return exchange.status;
}

bool Matches(UInt16 wanted, UInt8 value) {
  return wanted == kIOUSBFindInterfaceDontCare || wanted == value;
}

}  // namespace

IOReturn USBDeviceConnection::Open() {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  return OpenExclusively(*simulated, open_, Exchange(Exchange::Kind::kUSBDeviceOpen),
                         Operation::kUSBDeviceOpen);
}

IOReturn USBDeviceConnection::Close() {
  return CloseConnection(switch_.lock(), open_, Exchange(Exchange::Kind::kUSBDeviceClose));
}

IOReturn USBDeviceConnection::GetVendor(UInt16* vendor) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  *vendor = static_cast<UInt16>(simulated->VendorID());
  return kIOReturnSuccess;
}

IOReturn USBDeviceConnection::GetProduct(UInt16* product) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  *product = static_cast<UInt16>(simulated->ProductID());
  return kIOReturnSuccess;
}

IOReturn USBDeviceConnection::GetSerialNumberStringIndex(UInt8* index) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  // Only generation 1 has a serial number: its status.
  *index = simulated->Generation() == 1 ? SimulatedSwitch::kSerialNumberIndex : 0;
  return kIOReturnSuccess;
}

IOReturn USBDeviceConnection::DeviceRequest(IOUSBDevRequest& request) {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  Exchange exchange{Exchange::Kind::kDeviceRequest, request.wValue};
  exchange.status = [&]() -> IOReturn {
    if (!simulated->IsConnected())
      return kIOReturnNoDevice;
    if (!open_)
      return kIOReturnNotOpen;
    if (auto fault = simulated->TakeFault(Operation::kDeviceRequest))
      return *fault;
    const bool getDescriptor =
        request.bmRequestType == USBmakebmRequestType(kUSBIn, kUSBStandard, kUSBDevice) &&
        request.bRequest == kUSBRqGetDescriptor;
    if (!getDescriptor)
      return kIOUSBPipeStalled;
    const auto type = static_cast<UInt8>(request.wValue >> 8);
    const auto index = static_cast<UInt8>(request.wValue & 0xFF);
    const bool hasSerial = simulated->Generation() == 1;
    std::vector<UInt8> answer;
    if (type == kUSBDeviceDesc) {
      answer = DeviceDescriptor(*simulated, hasSerial ? SimulatedSwitch::kSerialNumberIndex : 0);
    } else if (type == kUSBStringDesc && index == 0) {
      answer = StringDescriptor(kLanguageEnglishUS, sizeof kLanguageEnglishUS);
    } else if (type == kUSBStringDesc &&
               request.wIndex != (kLanguageEnglishUS[0] | kLanguageEnglishUS[1] << 8)) {
      return kIOUSBPipeStalled;  // strings only in the one language listed in string 0
    } else if (type == kUSBStringDesc && index == kManufacturerIndex) {
      answer = AsciiStringDescriptor(kManufacturer);
    } else if (type == kUSBStringDesc && index == kProductIndex) {
      answer = AsciiStringDescriptor(kProduct);
    } else if (type == kUSBStringDesc && hasSerial &&
               index == SimulatedSwitch::kSerialNumberIndex) {
      const auto serial = simulated->SerialNumberBytes();
      answer = StringDescriptor(serial.data(), serial.size());
    } else {
      return kIOUSBPipeStalled;
    }
    const std::size_t length = std::min<std::size_t>(request.wLength, answer.size());
    std::memcpy(request.pData, answer.data(), length);
    request.wLenDone = static_cast<UInt32>(length);
    exchange.bytes.assign(answer.begin(), answer.begin() + static_cast<long>(length));
    return kIOReturnSuccess;
  }();
  simulated->Record(exchange);
  return exchange.status;
}

IOReturn USBDeviceConnection::GetNumberOfConfigurations(UInt8* count) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  *count = simulated->ConfigurationCount();
  return kIOReturnSuccess;
}

IOReturn USBDeviceConnection::GetConfigurationDescriptor(
    UInt8 index, IOUSBConfigurationDescriptorPtr* descriptor) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  if (index >= simulated->ConfigurationCount())
    return kIOReturnBadArgument;
  if (auto fault = simulated->TakeFault(Operation::kConfigurationDescriptor))
    return *fault;
  std::size_t endpoints = 0;
  for (const InterfaceLayout& layout : simulated->Interfaces())
    endpoints += layout.pipes.size();
  const std::size_t interfaces = simulated->Interfaces().size();
  descriptor_ = {9,
                 kUSBConfDesc,
                 static_cast<UInt16>(9 + 9 * interfaces + 7 * endpoints),
                 static_cast<UInt8>(interfaces),
                 1,
                 0,
                 0x80,
                 50};
  *descriptor = &descriptor_;
  return kIOReturnSuccess;
}

IOReturn USBDeviceConnection::SetConfiguration(UInt8 configurationValue) {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  Exchange exchange{Exchange::Kind::kSetConfiguration, configurationValue};
  if (!simulated->IsConnected()) {
    exchange.status = kIOReturnNoDevice;
  } else if (!open_) {
    exchange.status = kIOReturnNotOpen;
  } else if (configurationValue > simulated->ConfigurationCount()) {
    exchange.status = kIOUSBPipeStalled;
  } else if (auto fault = simulated->TakeFault(Operation::kSetConfiguration)) {
    exchange.status = *fault;
  } else {
    simulated->SetConfigurationValue(configurationValue);
  }
  simulated->Record(exchange);
  return exchange.status;
}

IOReturn USBDeviceConnection::InterfaceServices(const IOUSBFindInterfaceRequest& request,
                                                std::vector<std::shared_ptr<IOService>>* services) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  if (auto fault = simulated->TakeFault(Operation::kInterfaceIterator))
    return *fault;
  // An unconfigured device has no interfaces.
  if (simulated->ConfigurationCount() == 0 || simulated->ConfigurationValue() == 0) {
    return kIOReturnSuccess;
  }
  const std::vector<InterfaceLayout>& layouts = simulated->Interfaces();
  for (std::size_t i = 0; i < interfaces_.size() && i < layouts.size(); ++i) {
    auto service = interfaces_[i].lock();
    if (service == nullptr || !Matches(request.bInterfaceClass, layouts[i].interfaceClass) ||
        !Matches(request.bInterfaceSubClass, 0) || !Matches(request.bInterfaceProtocol, 0) ||
        !Matches(request.bAlternateSetting, 0)) {
      continue;
    }
    services->push_back(std::move(service));
  }
  return kIOReturnSuccess;
}

const InterfaceLayout* USBInterfaceConnection::Layout(const SimulatedSwitch& simulated) const {
  return index_ < simulated.Interfaces().size() ? &simulated.Interfaces()[index_] : nullptr;
}

IOReturn USBInterfaceConnection::Open() {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  return OpenExclusively(*simulated, open_,
                         Exchange(Exchange::Kind::kInterfaceOpen, 0, static_cast<int>(index_)),
                         Operation::kInterfaceOpen);
}

IOReturn USBInterfaceConnection::Close() {
  return CloseConnection(switch_.lock(), open_,
                         Exchange(Exchange::Kind::kInterfaceClose, 0, static_cast<int>(index_)));
}

IOReturn USBInterfaceConnection::GetNumEndpoints(UInt8* count) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  if (!open_)
    return kIOReturnNotOpen;
  if (auto fault = simulated->TakeFault(Operation::kNumEndpoints))
    return *fault;
  const InterfaceLayout* layout = Layout(*simulated);
  *count = layout == nullptr ? 0 : static_cast<UInt8>(layout->pipes.size());
  return kIOReturnSuccess;
}

IOReturn USBInterfaceConnection::GetPipeProperties(UInt8 pipeRef, PipeProperties* properties) {
  auto simulated = switch_.lock();
  if (simulated == nullptr || !simulated->IsConnected())
    return kIOReturnNoDevice;
  if (!open_)
    return kIOReturnNotOpen;
  if (auto fault = simulated->TakeFault(Operation::kPipeProperties))
    return *fault;
  const InterfaceLayout* layout = Layout(*simulated);
  if (layout == nullptr || pipeRef == 0 || pipeRef > layout->pipes.size()) {
    return kIOReturnBadArgument;
  }
  *properties = layout->pipes[pipeRef - 1];
  return kIOReturnSuccess;
}

IOReturn USBInterfaceConnection::WritePipe(UInt8 pipeRef, const UInt8* buffer, UInt32 size) {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  Exchange exchange{Exchange::Kind::kWritePipe, pipeRef, static_cast<int>(index_)};
  if (buffer != nullptr)
    exchange.bytes.assign(buffer, buffer + size);
  exchange.status = [&]() -> IOReturn {
    if (!simulated->IsConnected())
      return kIOReturnNoDevice;
    if (!open_)
      return kIOReturnNotOpen;
    const InterfaceLayout* layout = Layout(*simulated);
    if (layout == nullptr || pipeRef == 0 || pipeRef > layout->pipes.size() ||
        layout->pipes[pipeRef - 1].direction != kUSBOut) {
      return kIOReturnBadArgument;
    }
    if (auto fault = simulated->TakeFault(Operation::kWritePipe))
      return *fault;
    simulated->ExecuteCommandPacket(buffer, size);
    return kIOReturnSuccess;
  }();
  simulated->Record(exchange);
  return exchange.status;
}

}  // namespace plat::sim
