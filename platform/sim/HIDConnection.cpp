#include <algorithm>
#include <cstring>

#include "platform/sim/SwitchConnections.h"

namespace plat::sim {

IOReturn HIDConnection::Open(IOOptionBits) {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  Exchange exchange{Exchange::Kind::kHIDOpen};
  if (!simulated->IsConnected()) {
    exchange.status = kIOReturnNoDevice;
  } else if (auto fault = simulated->TakeFault(Operation::kHIDOpen)) {
    exchange.status = *fault;
  } else {
    open_ = true;  // opening an open device changes nothing
  }
  simulated->Record(exchange);
  return exchange.status;
}

IOReturn HIDConnection::Close() {
  return CloseConnection(switch_.lock(), open_, Exchange(Exchange::Kind::kHIDClose));
}

IOReturn HIDConnection::GetReport(IOHIDReportType type, UInt32 reportID, UInt8* buffer,
                                  UInt32* size) {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  Exchange exchange{Exchange::Kind::kGetReport, reportID};
  exchange.status = [&]() -> IOReturn {
    if (!simulated->IsConnected())
      return kIOReturnNoDevice;
    if (!open_)
      return kIOReturnNotOpen;
    if (auto fault = simulated->TakeFault(Operation::kGetReport))
      return *fault;
    if (auto rejection = simulated->RejectionOf(reportID))
      return *rejection;
    if (type != kIOHIDReportTypeFeature || simulated->Generation() != 2) {
      return kIOReturnUnsupported;
    }
    std::vector<UInt8> report;
    if (reportID == 5) {
      const auto status = simulated->StatusReport();
      report.assign(status.begin(), status.end());
    } else if (reportID == 4) {
      const auto settings = simulated->SettingsReport();
      report.assign(settings.begin(), settings.end());
    } else {
      return kIOReturnUnsupported;
    }
    // A short buffer receives the beginning of the report.
    const std::size_t length = std::min<std::size_t>(*size, report.size());
    std::memcpy(buffer, report.data(), length);
    *size = static_cast<UInt32>(length);
    exchange.bytes.assign(report.begin(), report.begin() + static_cast<long>(length));
    return kIOReturnSuccess;
  }();
  simulated->Record(exchange);
  return exchange.status;
}

IOReturn HIDConnection::SetReport(IOHIDReportType type, UInt32 reportID, const UInt8* buffer,
                                  UInt32 size) {
  auto simulated = switch_.lock();
  if (simulated == nullptr)
    return kIOReturnNoDevice;
  Exchange exchange{Exchange::Kind::kSetReport, reportID};
  if (buffer != nullptr)
    exchange.bytes.assign(buffer, buffer + size);
  exchange.status = [&]() -> IOReturn {
    if (!simulated->IsConnected())
      return kIOReturnNoDevice;
    if (!open_)
      return kIOReturnNotOpen;
    if (auto fault = simulated->TakeFault(Operation::kSetReport))
      return *fault;
    if (type != kIOHIDReportTypeFeature || reportID != 4 || simulated->Generation() != 2) {
      return kIOReturnUnsupported;
    }
    if (size != 8)
      return kIOReturnBadArgument;
    // The switch takes the report whether or not it can carry the command out; the next status
    // read tells.
    simulated->ExecuteCommandReport(buffer, size);
    return kIOReturnSuccess;
  }();
  simulated->Record(exchange);
  return exchange.status;
}

}  // namespace plat::sim
