// The USB route's view of a device: interfaces and endpoints from sysfs's copy of the active
// configuration (nothing claimed, nothing opened to look), and where a packet for an OUT
// endpoint goes: through the hidraw node of an interface the HID driver holds, else a claim.
#include <gtest/gtest.h>

#include <fstream>

#include "FakeHidraw.h"
#include "FakeSysfs.h"
#include "platform/linux/ServiceTree.h"
#include "platform/linux/UsbConnections.h"
#include "platform/linux/UsbDescriptors.h"
#include "platform/model/iokit/IORegistry.h"

using namespace plat::linux_dev;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kDevice = {18, 1, 0, 2, 0, 0, 0, 64, 0xD5, 0x10, 0x0D, 0, 0, 1, 1, 2, 3, 2};
// Configuration 1: HID interface 0 with IN 0x81. Configuration 2 adds vendor interface 1 with
// IN 0x82 and OUT 0x02, and an alternate setting 1 of it with one more endpoint.
const Bytes kConfiguration1 = {9, 2, 25, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0,
                               1, 3, 0,  0, 0, 7, 5, 0x81, 3,  8, 0, 10};
const Bytes kConfiguration2 = {
    9, 2, 64, 0, 2, 2,    0, 0x80, 50,                           // configuration 2, two interfaces
    9, 4, 0,  0, 1, 3,    0, 0,    0,  7, 5, 0x81, 3, 8, 0, 10,  // HID, IN
    9, 4, 1,  0, 2, 0xFF, 0, 0,    0,  7, 5, 0x82, 3, 8, 0, 10, 7, 5, 0x02, 3, 8, 0, 10,  // vendor
    9, 4, 1,  1, 1, 0xFF, 0, 0,    0,  7, 5, 0x03, 3, 8, 0, 10};  // its alternate setting 1
// Interface 0 of the HID driver with its IN 0x81 and OUT 0x01 endpoints.
const Bytes kHidOutConfiguration = {9, 2, 32, 0, 1,    1, 0, 0x80, 50, 9, 4, 0,    0, 2, 3, 0,
                                    0, 0, 7,  5, 0x81, 3, 8, 0,    10, 7, 5, 0x01, 3, 8, 0, 10};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace

TEST(UsbDescriptors, InterfacesComeFromTheActiveConfiguration) {
  struct Case {
    Bytes bytes;
    std::uint8_t value;
    std::vector<std::size_t> endpointsPerInterface;  // empty with `valid` false: nothing
    bool valid;
  };
  const Case cases[] = {
      {Concat({kDevice, kConfiguration1, kConfiguration2}), 1, {1}, true},
      {Concat({kDevice, kConfiguration1, kConfiguration2}), 2, {1, 2}, true},
      {Concat({kDevice, kConfiguration1}), 2, {}, false},  // no such configuration
      {Concat({kDevice, kConfiguration1}), 0, {}, false},  // unconfigured
      {Concat({kDevice, Bytes(kConfiguration1.begin(), kConfiguration1.end() - 1)}), 1, {}, false},
      {Bytes(kDevice.begin(), kDevice.end() - 1), 1, {}, false},  // no device descriptor
      {Concat({kDevice, {9, 2, 11, 0, 1, 1, 0, 0x80, 50, 0, 4}}), 1, {}, false},  // 0-length item
  };
  for (const Case& c : cases) {
    const auto interfaces = InterfacesOfConfiguration(c.bytes, c.value);
    ASSERT_EQ(interfaces.has_value(), c.valid) << int{c.value};
    if (!interfaces)
      continue;
    ASSERT_EQ(interfaces->size(), c.endpointsPerInterface.size());
    for (std::size_t i = 0; i < interfaces->size(); ++i) {
      EXPECT_EQ((*interfaces)[i].number, i);
      EXPECT_EQ((*interfaces)[i].endpoints.size(), c.endpointsPerInterface[i]);
    }
  }
  const auto second = InterfacesOfConfiguration(Concat({kDevice, kConfiguration2}), 2);
  ASSERT_TRUE(second);
  EXPECT_EQ((*second)[1].interfaceClass, 0xFF);
  EXPECT_EQ((*second)[1].endpoints[1].address, 0x02);
  EXPECT_EQ((*second)[1].endpoints[1].maxPacketSize, 8);
  EXPECT_EQ(ParseDeviceDescriptor(kDevice)->serialIndex, 3);
}

TEST(UsbDescriptors, StringsKeepEveryUtf16Unit) {
  struct Case {
    Bytes bytes;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {{8, 3, 0, 0, 'A', 0, 'B', 0}, std::string("\0AB", 3)},  // U+0000 first
      {{6, 3, 0xE9, 0, 0x3D, 0xD8}, "\xC3\xA9\xEF\xBF\xBD"},   // é, a lone surrogate
      {{6, 3, 0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},    // a pair
      {{5, 3, 'A', 0, 'B'}, "A"},                              // an odd byte left out
      {{10, 3, 'A', 0}, "A"},                                  // shorter than it says
      {{2, 3}, ""},
      {{4, 2, 'A', 0}, std::nullopt},
      {{1}, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringDescriptorText(c.bytes), c.text);
}

namespace {

class UsbConnectionTableTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::IORegistry::Shared().Reset(); }

  // The interface backends of the USB device of a hidraw device, as the USB route finds them.
  std::vector<std::shared_ptr<plat::USBInterfaceBackend>> Interfaces(
      const std::filesystem::path& hidraw) {
    tree.AddPresentDevices();
    plat::PlugInBackend made;
    EXPECT_EQ(Usb(hidraw)->MakePlugIn(kIOUSBDeviceUserClientTypeID, &made), kIOReturnSuccess);
    std::vector<std::shared_ptr<plat::IOService>> services;
    EXPECT_EQ(std::get<std::shared_ptr<plat::USBDeviceBackend>>(made)->InterfaceServices(
                  {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}, &services),
              kIOReturnSuccess);
    std::vector<std::shared_ptr<plat::USBInterfaceBackend>> interfaces;
    for (const auto& service : services) {
      EXPECT_EQ(service->MakePlugIn(kIOUSBInterfaceUserClientTypeID, &made), kIOReturnSuccess);
      interfaces.push_back(std::get<std::shared_ptr<plat::USBInterfaceBackend>>(made));
    }
    return interfaces;
  }
  std::shared_ptr<plat::IOService> Usb(const std::filesystem::path& hidraw) {
    return tree.UsbService(FakeSysfs::UsbDeviceOf(hidraw));
  }

  FakeSysfs sysfs;
  std::shared_ptr<FakeHidraw> kernel = std::make_shared<FakeHidraw>();
  ServiceTree tree{sysfs.Root(), {}, kernel};
};

}  // namespace

TEST_F(UsbConnectionTableTest, EndpointsAreReadWithoutOpeningTheDevice) {
  FakeSysfs::Device gadget{0x10D5, 0x000D, "S1", {}};
  gadget.configurations = Concat({kConfiguration1, kConfiguration2});
  sysfs.AddUsbDevice(0x1234, 0x5678);  // a neighbour on the bus
  const auto hidraw = sysfs.AddUsbHid(gadget);
  // The active configuration is the second; the usbfs node does not exist here, so every answer
  // below comes from sysfs.
  std::ofstream(FakeSysfs::UsbDeviceOf(hidraw) / "bConfigurationValue") << "2\n";
  const auto interfaces = Interfaces(hidraw);
  ASSERT_EQ(interfaces.size(), 2u);
  const auto& vendor = interfaces[1];
  ASSERT_EQ(vendor->Open(), kIOReturnSuccess);
  UInt8 count = 0;
  ASSERT_EQ(vendor->GetNumEndpoints(&count), kIOReturnSuccess);
  ASSERT_EQ(count, 2);
  plat::PipeProperties in;
  plat::PipeProperties out;
  ASSERT_EQ(vendor->GetPipeProperties(1, &in), kIOReturnSuccess);
  ASSERT_EQ(vendor->GetPipeProperties(2, &out), kIOReturnSuccess);
  EXPECT_EQ(in.direction, kUSBIn);
  EXPECT_EQ(out.direction, kUSBOut);
  EXPECT_EQ(out.number, 2);
  EXPECT_EQ(out.transferType, kUSBInterrupt);
  // A write there needs the device: no node, no device, and nothing through hidraw.
  const UInt8 packet[8] = {0x01, 0x02};
  EXPECT_EQ(vendor->WritePipe(2, packet, 8), kIOReturnNoDevice);
  EXPECT_EQ(vendor->WritePipe(1, packet, 8), kIOReturnBadArgument);
  EXPECT_TRUE(kernel->Calls().empty());
  // Something else at the node's path (here a plain file, not device 189:N): no device, and
  // libusb never sees it.
  const auto node = sysfs.Root() / "dev/bus/usb/001/003";
  std::filesystem::create_directories(node.parent_path());
  std::ofstream(node) << "";
  plat::PlugInBackend made;
  ASSERT_EQ(Usb(hidraw)->MakePlugIn(kIOUSBDeviceUserClientTypeID, &made), kIOReturnSuccess);
  EXPECT_EQ(std::get<std::shared_ptr<plat::USBDeviceBackend>>(made)->Open(), kIOReturnNoDevice);
}

TEST_F(UsbConnectionTableTest, AnOutEndpointOnTheHidInterfaceIsWrittenThroughHidraw) {
  struct Case {
    const char* driver;
    IOReturn write;
    std::size_t hidrawWrites;
  };
  // Held by the HID driver: an output report on hidraw. Without a driver: a claim, which needs
  // the usbfs node (absent here).
  kernel->info = {0x03, 0x10D5, 0x000D};
  for (const Case c : {Case{"", kIOReturnNoDevice, 0}, Case{"usbhid", kIOReturnSuccess, 1}}) {
    FakeSysfs::Device device{0x10D5, 0x000D, "S1", {}};
    kernel->number = makedev(FakeSysfs::kHidrawMajor,
                             static_cast<unsigned>(c.hidrawWrites));  // hidraw0, hidraw1
    device.configurations = kHidOutConfiguration;
    device.interfaceDriver = c.driver;
    auto interfaces = Interfaces(sysfs.AddUsbHid(device));
    ASSERT_EQ(interfaces.size(), 1u);
    ASSERT_EQ(interfaces[0]->Open(), kIOReturnSuccess);
    const UInt8 packet[8] = {0x01, 0x02};
    EXPECT_EQ(interfaces[0]->WritePipe(2, packet, 8), c.write) << c.driver;
    ASSERT_EQ(kernel->Calls().size(), c.hidrawWrites) << c.driver;
    if (c.hidrawWrites > 0) {
      EXPECT_EQ(kernel->Calls()[0].bytes, (Bytes{0, 0x01, 0x02, 0, 0, 0, 0, 0, 0}));
    }
  }
}
