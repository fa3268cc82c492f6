// The registry's services built from fake sysfs trees, and discovery's 258 pairs matched
// against them.
#include <gtest/gtest.h>

#include "FakeSysfs.h"
#include "hid/HIDDiscovery.h"
#include "platform/linux/ServiceTree.h"
#include "platform/model/iokit/IORegistry.h"

using plat::IORegistry;
using plat::IOService;
using plat::linux_dev::ServiceTree;

namespace {

const std::vector<std::uint8_t> kVersion2Descriptor = {0x85, 0x04, 0x75, 0x08, 0x95, 0x07, 0xB1,
                                                       0x02, 0x85, 0x05, 0x95, 0x03, 0xB1, 0x02};

long NumberProperty(const IOService& service, const char* key) {
  plat::CFHolder name(plat::MakeCFString(key));
  auto number = static_cast<CFNumberRef>(CFDictionaryGetValue(service.Properties(), name.get()));
  long value = -1;
  if (number != nullptr)
    CFNumberGetValue(number, kCFNumberLongType, &value);
  return value;
}

bool HasProperty(const IOService& service, const char* key) {
  plat::CFHolder name(plat::MakeCFString(key));
  return CFDictionaryGetValue(service.Properties(), name.get()) != nullptr;
}

// The pairs of DeviceList for which a present HID device matches, as discovery asks.
std::vector<std::pair<int, int>> MatchedPairs() {
  std::vector<std::pair<int, int>> matched;
  for (int row = 0; row < VendorCount; ++row) {
    for (int product = static_cast<int>(DeviceList[row].firstProductID);
         product <= static_cast<int>(DeviceList[row].lastProductID); ++product) {
      CFMutableDictionaryRef matching = IOServiceMatching("IOHIDDevice");
      int vendor = static_cast<int>(DeviceList[row].vendorID);
      plat::CFHolder v(CFNumberCreate(nullptr, kCFNumberIntType, &vendor));
      plat::CFHolder p(CFNumberCreate(nullptr, kCFNumberIntType, &product));
      CFDictionarySetValue(matching, CFSTR("VendorID"), v.get());
      CFDictionarySetValue(matching, CFSTR("ProductID"), p.get());
      io_iterator_t iterator = 0;
      EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, matching, &iterator), 0);
      while (io_object_t service = IOIteratorNext(iterator)) {
        matched.emplace_back(vendor, product);
        IOObjectRelease(service);
      }
      IOObjectRelease(iterator);
    }
  }
  return matched;
}

// A backend that starts on the program's first search, reading the tree given here.
ServiceTree* startingTree = nullptr;
int starts = 0;
void StartFromTree() {
  ++starts;
  startingTree->AddPresentDevices();
}

void IgnoreArrivals(void*, io_iterator_t) {}

class ServiceTreeTest : public ::testing::Test {
 protected:
  void TearDown() override { IORegistry::Shared().Reset(); }
  FakeSysfs sysfs;
};

}  // namespace

TEST_F(ServiceTreeTest, SupportedPairsMatchAndNeighboursDoNot) {
  sysfs.AddUsbHid({0x10D5, 0x55FF, "", kVersion2Descriptor});
  sysfs.AddUsbHid({0x10D5, 0x5600, "", kVersion2Descriptor});
  sysfs.AddUsbHid({0x0CF6, 0x6B01, "A1", {}});
  ServiceTree tree(sysfs.Root());
  tree.AddPresentDevices();
  EXPECT_EQ(MatchedPairs(), (std::vector<std::pair<int, int>>{{0x10D5, 0x55FF}, {0x0CF6, 0x6B01}}));
}

TEST_F(ServiceTreeTest, HidServiceCarriesVersionPropertiesAndLeadsToItsUsbDevice) {
  const auto version2 = sysfs.AddUsbHid({0x10D5, 0x5501, "", kVersion2Descriptor});
  const auto version1 = sysfs.AddUsbHid({0x10D5, 0x000D, "S1", {}});
  const auto broken = sysfs.AddUsbHid({0x10D5, 0x5502, "", {0x85, 0x04, 0x75}});
  ServiceTree tree(sysfs.Root());
  tree.AddPresentDevices();

  const auto hid = tree.HidService(version2);
  ASSERT_NE(hid, nullptr);
  EXPECT_EQ(hid->ClassName(), "IOHIDDevice");
  EXPECT_EQ(NumberProperty(*hid, "VendorID"), 0x10D5);
  EXPECT_EQ(NumberProperty(*hid, "ProductID"), 0x5501);
  EXPECT_EQ(NumberProperty(*hid, "MaxFeatureReportSize"), 8);
  EXPECT_FALSE(HasProperty(*hid, "SerialNumber"));
  // Two levels up: the USB device, as discovery walks it.
  ASSERT_NE(hid->Parent(), nullptr);
  const auto usb = hid->Parent()->Parent();
  ASSERT_NE(usb, nullptr);
  EXPECT_EQ(usb->ClassName(), "IOUSBDevice");
  EXPECT_EQ(NumberProperty(*usb, "idVendor"), 0x10D5);
  EXPECT_EQ(NumberProperty(*usb, "idProduct"), 0x5501);

  const auto serial = tree.HidService(version1);
  ASSERT_NE(serial, nullptr);
  EXPECT_TRUE(HasProperty(*serial, "SerialNumber"));
  EXPECT_EQ(NumberProperty(*serial, "MaxFeatureReportSize"), 0);
  // A truncated descriptor gives no size rather than a wrong one.
  ASSERT_NE(tree.HidService(broken), nullptr);
  EXPECT_FALSE(HasProperty(*tree.HidService(broken), "MaxFeatureReportSize"));
}

TEST_F(ServiceTreeTest, BackendStartsOnceAtTheFirstSearchBeforeItMatches) {
  sysfs.AddUsbHid({0x10D5, 0x55FF, "", kVersion2Descriptor});
  ServiceTree tree(sysfs.Root());
  startingTree = &tree;
  starts = 0;
  IORegistry::SetBackendStart(&StartFromTree);
  EXPECT_TRUE(IORegistry::Shared().Services().empty());

  // The first-match notification that starts it already finds the switch plugged in.
  IONotificationPortRef port = IONotificationPortCreate(kIOMasterPortDefault);
  CFMutableDictionaryRef matching = IOServiceMatching("IOHIDDevice");
  io_iterator_t arrivals = 0;
  ASSERT_EQ(IOServiceAddMatchingNotification(port, kIOFirstMatchNotification, matching,
                                             IgnoreArrivals, nullptr, &arrivals),
            0);
  io_object_t present = IOIteratorNext(arrivals);
  EXPECT_NE(present, 0u);
  IOObjectRelease(present);
  IOObjectRelease(arrivals);
  IONotificationPortDestroy(port);

  EXPECT_EQ(MatchedPairs(), (std::vector<std::pair<int, int>>{{0x10D5, 0x55FF}}));
  EXPECT_EQ(starts, 1);
}

TEST_F(ServiceTreeTest, HidDeviceNotOnUsbHangsBelowStandInsThatLeaveWithIt) {
  const auto hidraw = sysfs.AddVirtualHid({0x10D5, 0x5504, "", kVersion2Descriptor});
  ServiceTree tree(sysfs.Root());
  tree.AddPresentDevices();
  const auto hid = tree.HidService(hidraw);
  ASSERT_NE(hid, nullptr);
  EXPECT_EQ(NumberProperty(*hid, "MaxFeatureReportSize"), 8);
  // Discovery walks two levels up and reads the ids there too.
  ASSERT_NE(hid->Parent(), nullptr);
  const auto transport = hid->Parent()->Parent();
  ASSERT_NE(transport, nullptr);
  EXPECT_NE(transport->ClassName(), "IOUSBDevice");  // nothing for the USB route to open
  EXPECT_EQ(NumberProperty(*transport, "idVendor"), 0x10D5);
  EXPECT_EQ(NumberProperty(*transport, "idProduct"), 0x5504);

  tree.HidrawRemoved(hidraw);
  EXPECT_TRUE(hid->IsTerminated());
  EXPECT_TRUE(transport->IsTerminated());
  EXPECT_TRUE(IORegistry::Shared().Services().empty());
  // Plugged again: a fresh set.
  tree.HidrawAdded(hidraw);
  ASSERT_NE(tree.HidService(hidraw), nullptr);
  EXPECT_NE(tree.HidService(hidraw), hid);
}
