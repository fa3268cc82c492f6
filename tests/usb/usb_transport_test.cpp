#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/IOCFPlugIn.h"
#include "tests/switch/SimulatedLink.h"
#include "usb/USBCommands.h"
#include "usb/USBTransport.h"

namespace {

using plat::sim::Operation;
using plat::sim::SwitchConfig;
using plat::sim::USBLayout;

SwitchConfig Layout(USBLayout layout) {
  return SwitchConfig{.generation = 1, .usbLayout = layout};
}

struct Sent {
  int result;
  std::string messages;
};

Sent SendPort(SimulatedLink& link, int port) {
  testing::internal::CaptureStderr();
  const int result = USBSetPortNumber(&link.info.device, port);
  return {result, testing::internal::GetCapturedStderr()};
}

TEST(USBGetDeviceInfo, ReadsTheIdsAndTheSerialNumberStatusWithoutDelay) {
  SimulatedLink link(SwitchConfig{.generation = 1, .vendorID = 0x0CF6, .productID = 0x6B01});
  DEVICE_DATA& device = link.info.device;
  std::memset(device.report, 0xEE, sizeof device.report);
  ASSERT_EQ(USBGetDeviceInfo(&device), 0);
  EXPECT_EQ(device.vendorID, 0x0CF6u);
  EXPECT_EQ(device.productID, 0x6B01u);
  const auto serial = link.simulated->SerialNumberBytes();
  EXPECT_EQ(0, std::memcmp(device.report, serial.data(), serial.size()));
  // The switch sends three characters; the rest of the eight bytes are not left to chance.
  EXPECT_EQ(device.report[6], 0);
  EXPECT_EQ(device.report[7], 0);
  EXPECT_EQ(device.report[8], 0xEE);
  EXPECT_EQ(link.Trace(), "ORC");
  EXPECT_EQ(link.simulated->Exchanges()[1].id, 0x0303u);
  EXPECT_EQ(link.Ticks(), 0u);
}

TEST(USBGetDeviceInfo, ReportsWhatFails) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(USBGetDeviceInfo(nullptr), kIOReturnError);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "USBGetDeviceInfo: No known device\n");

  SimulatedLink link(SwitchConfig{.generation = 1});
  link.simulated->FailNextOpens(1, kIOReturnExclusiveAccess);
  link.simulated->FailNextReads(1, kIOReturnNotResponding);
  testing::internal::CaptureStderr();
  EXPECT_EQ(USBGetDeviceInfo(&link.info.device), kIOReturnExclusiveAccess);
  EXPECT_EQ(USBGetDeviceInfo(&link.info.device), kIOReturnNotResponding);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "USBGetDeviceInfo: unable to open device. ret = e00002c5\n"
            "USBGetDeviceInfo: unable to obtain the Serial string. ret = e00002ed\n");
  EXPECT_EQ(link.Trace(), "OORC");  // a failed open is not closed
}

TEST(USBTransferData, WritesToTheFirstOutPipeOfTheFirstInterfaceThatHasOne) {
  SimulatedLink link(SwitchConfig{.generation = 1});
  EXPECT_EQ(SendPort(link, 1).result, 0);
  EXPECT_EQ(link.info.device.outPipe, 2);
  EXPECT_EQ(link.Trace(), "OKiIiICiwI");
  EXPECT_EQ(link.simulated->CurrentPort(), 1);

  SimulatedLink third(Layout(USBLayout::kOutPipeThirdOfThree));
  EXPECT_EQ(SendPort(third, 1).messages, "");
  EXPECT_EQ(third.info.device.outPipe, 3);

  SimulatedLink two(Layout(USBLayout::kTwoOutInterfaces));
  EXPECT_EQ(SendPort(two, 1).result, 0);
  EXPECT_EQ(two.Trace(), "OKiICiwI");  // the second interface is not even opened
  EXPECT_EQ(two.simulated->Exchanges()[6].interfaceNumber, 0);
}

// A lookup that fails at any step sends nothing, says why, closes the device it opened and
// keeps no interface or handle.
TEST(USBTransferData, ALookupThatFailsSendsNothingAndLeavesNothingBehind) {
  const std::string noPipe = "USBTransferData: unable to open interface. ret = e00002bc\n";
  const std::string notResponding = "USBTransferData: unable to open interface. ret = e00002ed\n";
  const auto noPlugIn = [](const char* status) {
    return std::string("USBGetInterfaceInterface: unable to create plugin. ret = ") + status +
           ", iodev = (nil)\n";
  };
  const auto noInterface = [](const char* status) {
    return std::string("USBGetInterfaceInterface: unable to create a device interface. ret = ") +
           status + ", intf = (nil)\n";
  };
  const std::string endpoints =
      "USBGetInterfaceInterface: unable to get number of endpoints. ret = e00002be\n";
  const auto pipe = [](int number) {
    return "USBGetInterfaceInterface: unable to get pipe hidProperties for pipe " +
           std::to_string(number) + ", result = e00002be\n";
  };
  const struct {
    USBLayout layout;
    std::optional<Operation> fault;  // failing each time it is asked for (three at most)
    IOReturn status;
    const char* trace;
    std::string said;
  } cases[] = {
      {USBLayout::kOnlyInEndpoints, std::nullopt, 0, "OKiIiIC",
       "USBGetInterfaceInterface: unable to find interface. ret = 00000000\n" + noPipe},
      {USBLayout::kNoConfiguration, std::nullopt, 0, "OC",
       "USBGetInterfaceInterface: unable to obtain the number of configurations. ret = "
       "00000000\n" +
           noPipe},
      {USBLayout::kStandard, Operation::kConfigurationDescriptor, kIOReturnNotResponding, "OC",
       "USBGetInterfaceInterface:unable to get config descriptor for index 0\n" + notResponding},
      {USBLayout::kStandard, Operation::kConfigurationDescriptor, KERN_SUCCESS, "OC",
       "USBGetInterfaceInterface:unable to get config descriptor for index 0\n" + noPipe},
      {USBLayout::kStandard, Operation::kInterfaceIterator, kIOReturnNotResponding, "OKC",
       "USBGetInterfaceInterface: unable to create interface iterator\n" + notResponding},
      {USBLayout::kStandard, Operation::kSetConfiguration, kIOReturnNotResponding, "OKC",
       "USBGetInterfaceInterface: unable to set the configuration\n" + notResponding},
      {USBLayout::kStandard, Operation::kPlugIn, kIOReturnNoResources, "OKC",
       noPlugIn("e00002be") + noPlugIn("e00002be") +
           "USBGetInterfaceInterface: unable to find interface. ret = e00002be\n" + noPipe},
      {USBLayout::kStandard, Operation::kPlugIn, KERN_SUCCESS, "OKC",
       noPlugIn("00000000") + noPlugIn("00000000") +
           "USBGetInterfaceInterface: unable to find interface. ret = e00002bc\n" + noPipe},
      {USBLayout::kStandard, Operation::kQueryInterface, E_NOINTERFACE, "OKC",
       noInterface("80000004") + noInterface("80000004") +
           "USBGetInterfaceInterface: unable to find interface. ret = 80000004\n" + noPipe},
      {USBLayout::kStandard, Operation::kQueryInterface, S_OK, "OKC",
       noInterface("00000000") + noInterface("00000000") +
           "USBGetInterfaceInterface: unable to find interface. ret = e00002bc\n" + noPipe},
      {USBLayout::kStandard, Operation::kNumEndpoints, kIOReturnNoResources, "OKiIiIC",
       endpoints + endpoints +
           "USBGetInterfaceInterface: unable to find interface. ret = e00002be\n" + noPipe},
      {USBLayout::kStandard, Operation::kPipeProperties, kIOReturnNoResources, "OKiIiIC",
       pipe(1) + pipe(1) + pipe(2) +
           "USBGetInterfaceInterface: unable to find interface. ret = e00002be\n" + noPipe},
  };
  for (const auto& [layout, fault, status, trace, said] : cases) {
    SimulatedLink link(Layout(layout));
    const long interfaces = plat::LivePlugInInterfaces();
    const long handles = plat::LiveIOObjects();
    if (fault)
      link.simulated->FailNext(*fault, 3, status);
    const Sent sent = SendPort(link, 1);
    EXPECT_EQ(sent.result, status == kIOReturnNotResponding ? status : kIOReturnError);
    EXPECT_EQ(sent.messages, said);
    EXPECT_EQ(link.Trace(), trace);
    EXPECT_EQ(link.info.device.interfaceInterface, nullptr);
    EXPECT_EQ(plat::LivePlugInInterfaces(), interfaces);
    EXPECT_EQ(plat::LiveIOObjects(), handles);
  }
}

TEST(USBTransferData, EachLookupGivesBackTheInterfaceOfTheLastAndMayFindNone) {
  SimulatedLink link(SwitchConfig{.generation = 1});
  SendPort(link, 1);
  const long interfaces = plat::LivePlugInInterfaces();
  const long handles = plat::LiveIOObjects();
  SendPort(link, 2);
  SendPort(link, 3);
  EXPECT_EQ(plat::LivePlugInInterfaces(), interfaces);
  EXPECT_EQ(plat::LiveIOObjects(), handles);
  EXPECT_EQ(link.simulated->CurrentPort(), 3);

  // A later lookup that finds no interface fails instead of leaving pipe 0 to write to.
  link.simulated->FailNext(Operation::kInterfaceOpen, 2, kIOReturnExclusiveAccess);
  const Sent sent = SendPort(link, 0);
  EXPECT_EQ(sent.result, kIOReturnError);
  EXPECT_EQ(sent.messages,
            "USBGetInterfaceInterface: unable to find interface. ret = e00002c5\n"
            "USBTransferData: unable to open interface. ret = e00002bc\n");
  EXPECT_EQ(link.info.device.interfaceInterface, nullptr);
  EXPECT_EQ(link.info.device.outPipe, 0);
  EXPECT_EQ(plat::LivePlugInInterfaces(), interfaces - 1);
  EXPECT_EQ(link.simulated->CurrentPort(), 3);
}

TEST(USBTransferData, AFailedWriteIsReportedAndTheInterfaceClosed) {
  SimulatedLink link(SwitchConfig{.generation = 1});
  link.simulated->FailNextWrites(1, kIOReturnNotResponding);
  const Sent sent = SendPort(link, 3);
  EXPECT_EQ(sent.result, kIOReturnNotResponding);
  EXPECT_EQ(sent.messages, "USBTransferData: WritePipeFailed, result = e00002ed\n");
  EXPECT_EQ(link.Trace().substr(link.Trace().size() - 3), "iwI");
  EXPECT_EQ(link.simulated->CurrentPort(), 0);
}

}  // namespace
