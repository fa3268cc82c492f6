// The hidraw connection over a stand-in kernel: what reaches the node (identity checked at every
// open, the feature-report buffers byte for byte, sizes the ioctl can encode) and what a device
// that stops answering costs the caller.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "FakeHidraw.h"
#include "FakeSysfs.h"
#include "platform/linux/ErrnoStatus.h"
#include "platform/linux/HidrawConnection.h"

using plat::linux_dev::HidrawConnection;
using plat::linux_dev::HidrawDevice;
using plat::linux_dev::HidrawIdentity;
using namespace std::chrono_literals;

namespace {

constexpr auto kDeadline = 50ms;

HidrawIdentity SwitchIdentity() {
  return {"/dev/hidraw0", makedev(244, 0), {0x03, 0x10D5, 0x5501}, {}};
}

struct Rig {
  std::shared_ptr<FakeHidraw> kernel = std::make_shared<FakeHidraw>();
  std::shared_ptr<HidrawDevice> device =
      std::make_shared<HidrawDevice>(SwitchIdentity(), kernel, kDeadline);
  HidrawConnection connection{device};
};

// Until the stuck call has returned and let go of its descriptor (at most a second).
void WaitUntilFree(const HidrawDevice& device) {
  for (int i = 0; i < 500 && device.Busy(); ++i)
    std::this_thread::sleep_for(2ms);
}

}  // namespace

TEST(HidrawConnection, ANodeNowOwnedByAnotherDeviceIsNoDevice) {
  struct Case {
    const char* what;
    dev_t number;
    hidraw_devinfo info;
    IOReturn open;
  };
  const Case cases[] = {
      {"the same device", makedev(244, 0), {0x03, 0x10D5, 0x5501}, kIOReturnSuccess},
      {"another node number", makedev(244, 1), {0x03, 0x10D5, 0x5501}, kIOReturnNoDevice},
      {"another bus", makedev(244, 0), {0x05, 0x10D5, 0x5501}, kIOReturnNoDevice},
      {"another vendor", makedev(244, 0), {0x03, 0x1234, 0x5501}, kIOReturnNoDevice},
      {"another product", makedev(244, 0), {0x03, 0x10D5, 0x5678}, kIOReturnNoDevice},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.kernel->number = c.number;
    rig.kernel->info = c.info;
    EXPECT_EQ(rig.connection.Open(0), c.open) << c.what;
    UInt8 command[8] = {4, 0x81, 1};
    rig.connection.SetReport(kIOHIDReportTypeFeature, 4, command, 8);
    EXPECT_EQ(rig.kernel->Calls().size(), c.open == kIOReturnSuccess ? 1u : 0u) << c.what;
    EXPECT_EQ(rig.kernel->Opened(), 1) << c.what;
    if (c.open != kIOReturnSuccess) {
      EXPECT_EQ(rig.kernel->Closed(), 1) << c.what;
    }
  }
}

TEST(HidrawConnection, FeatureReportsReachTheNodeByteForByte) {
  Rig rig;
  ASSERT_EQ(rig.connection.Open(0), kIOReturnSuccess);
  const UInt8 command[8] = {0x04, 0x81, 0x01, 0, 0, 0, 0, 0};
  ASSERT_EQ(rig.connection.SetReport(kIOHIDReportTypeFeature, 4, command, 8), kIOReturnSuccess);
  // Report 5 read into a 4-byte buffer: the ID goes first, the answer comes back in place.
  rig.kernel->answer = {0x05, 0x21, 0x0F, 0x02};
  UInt8 status[4] = {};
  UInt32 size = sizeof status;
  ASSERT_EQ(rig.connection.GetReport(kIOHIDReportTypeFeature, 5, status, &size), kIOReturnSuccess);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::vector<UInt8>(status, status + 4), rig.kernel->answer);
  // A device that does not number its reports: a leading 0 the caller never sees.
  rig.kernel->answer = {0x00, 0xAA, 0xBB};
  UInt8 plain[2] = {};
  size = sizeof plain;
  ASSERT_EQ(rig.connection.GetReport(kIOHIDReportTypeFeature, 0, plain, &size), kIOReturnSuccess);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(std::vector<UInt8>(plain, plain + 2), (std::vector<UInt8>{0xAA, 0xBB}));
  const UInt8 unnumbered[2] = {0x11, 0x22};
  ASSERT_EQ(rig.connection.SetReport(kIOHIDReportTypeFeature, 0, unnumbered, 2), kIOReturnSuccess);

  const auto calls = rig.kernel->Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].request, static_cast<unsigned long>(HIDIOCSFEATURE(8)));
  EXPECT_EQ(calls[0].bytes, std::vector<UInt8>(command, command + 8));
  EXPECT_EQ(calls[1].request, static_cast<unsigned long>(HIDIOCGFEATURE(4)));
  EXPECT_EQ(calls[1].bytes, (std::vector<UInt8>{0x05, 0, 0, 0}));
  EXPECT_EQ(calls[2].request, static_cast<unsigned long>(HIDIOCGFEATURE(3)));
  EXPECT_EQ(calls[3].request, static_cast<unsigned long>(HIDIOCSFEATURE(3)));
  EXPECT_EQ(calls[3].bytes, (std::vector<UInt8>{0x00, 0x11, 0x22}));
}

TEST(HidrawConnection, SizesBeyondTheIoctlSizeFieldAndBadReportsAreRefused) {
  Rig rig;
  ASSERT_EQ(rig.connection.Open(0), kIOReturnSuccess);
  std::vector<UInt8> big(16384, 4);
  struct Case {
    UInt32 reportID;
    UInt32 size;
    IOReturn set;
  };
  // The ioctl's 14-bit size field holds 16383, the unnumbered report's leading 0 included.
  const Case cases[] = {{4, 16383, kIOReturnSuccess}, {4, 16384, kIOReturnBadArgument},
                        {0, 16382, kIOReturnSuccess}, {0, 16383, kIOReturnBadArgument},
                        {4, 0, kIOReturnBadArgument}, {256, 8, kIOReturnBadArgument},
                        {5, 8, kIOReturnBadArgument}};  // a numbered report starts with its ID
  for (const Case& c : cases) {
    EXPECT_EQ(rig.connection.SetReport(kIOHIDReportTypeFeature, c.reportID, big.data(), c.size),
              c.set)
        << c.reportID << " " << c.size;
    UInt32 size = c.size;
    const IOReturn get =
        rig.connection.GetReport(kIOHIDReportTypeFeature, c.reportID, big.data(), &size);
    if (c.set == kIOReturnBadArgument && c.reportID != 5) {
      EXPECT_EQ(get, kIOReturnBadArgument) << c.reportID << " " << c.size;
    }
  }
  UInt32 size = 0xFFFFFFFF;
  EXPECT_EQ(rig.connection.GetReport(kIOHIDReportTypeFeature, 0, big.data(), &size),
            kIOReturnBadArgument);
  for (const auto& call : rig.kernel->Calls())
    EXPECT_LE(call.bytes.size(), 16383u);

  // An answer without data, or for another report, is a short read.
  UInt8 report[8] = {};
  for (const auto& answer : {std::vector<UInt8>{4}, std::vector<UInt8>{5, 1, 2, 3}}) {
    rig.kernel->answer = answer;
    size = sizeof report;
    EXPECT_EQ(rig.connection.GetReport(kIOHIDReportTypeFeature, 4, report, &size),
              kIOReturnUnderrun);
  }
  EXPECT_EQ(rig.connection.GetReport(kIOHIDReportTypeOutput, 4, report, &size),
            kIOReturnUnsupported);
}

TEST(HidrawConnection, ADeviceThatStopsAnsweringCostsOneDeadlineThenFailsAtOnce) {
  Rig rig;
  ASSERT_EQ(rig.connection.Open(0), kIOReturnSuccess);
  rig.kernel->Hang();
  UInt8 report[8] = {4};
  UInt32 size = sizeof report;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(rig.connection.GetReport(kIOHIDReportTypeFeature, 4, report, &size), kIOReturnTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, kDeadline);
  EXPECT_EQ(rig.connection.SetReport(kIOHIDReportTypeFeature, 4, report, 8),
            kIOReturnNotResponding);
  // Closing leaves the descriptor to the stuck call; a new open (which the kernel would block
  // on the same lock) is not even tried.
  EXPECT_EQ(rig.connection.Close(), kIOReturnSuccess);
  EXPECT_EQ(rig.kernel->Closed(), 0);
  HidrawConnection other(rig.device);
  EXPECT_EQ(other.Open(0), kIOReturnNotResponding);
  EXPECT_EQ(rig.connection.Open(0), kIOReturnNotResponding);
  // The lock is the same for every hidraw node: another device does not open either.
  auto otherKernel = std::make_shared<FakeHidraw>();
  HidrawConnection otherDevice(std::make_shared<HidrawDevice>(SwitchIdentity(), otherKernel));
  EXPECT_EQ(otherDevice.Open(0), kIOReturnNotResponding);
  EXPECT_EQ(otherKernel->Opened(), 0);
  EXPECT_EQ(rig.kernel->Opened(), 1);
  EXPECT_EQ(rig.kernel->Calls().size(), 1u);

  // When the kernel gives up, the call closes its own descriptor, and the device works again.
  rig.kernel->Answer();
  WaitUntilFree(*rig.device);
  EXPECT_EQ(rig.kernel->Closed(), 1);
  ASSERT_EQ(rig.connection.Open(0), kIOReturnSuccess);
  EXPECT_EQ(rig.connection.SetReport(kIOHIDReportTypeFeature, 4, report, 8), kIOReturnSuccess);
}

TEST(HidrawConnection, RemovalWhileACallIsStuckIsSafe) {
  auto kernel = std::make_shared<FakeHidraw>();
  std::weak_ptr<HidrawDevice> gone;
  {
    auto device = std::make_shared<HidrawDevice>(SwitchIdentity(), kernel, kDeadline);
    gone = device;
    auto connection = std::make_unique<HidrawConnection>(device);
    ASSERT_EQ(connection->Open(0), kIOReturnSuccess);
    kernel->Hang();
    UInt8 report[8] = {4};
    EXPECT_EQ(connection->SetReport(kIOHIDReportTypeFeature, 4, report, 8), kIOReturnTimeout);
    // The switch is unplugged: its service, device and connection all go, without waiting.
    connection.reset();
    device.reset();
  }
  EXPECT_EQ(kernel->Closed(), 0);
  EXPECT_TRUE(gone.expired());
  kernel->Answer();
  for (int i = 0; i < 500 && kernel->Closed() == 0; ++i)
    std::this_thread::sleep_for(2ms);
  EXPECT_EQ(kernel->Closed(), 1);
}

TEST(HidrawConnection, TheProcessEndsWhileACallIsStuckForever) {
  EXPECT_EXIT(
      {
        Rig rig;
        rig.kernel->Hang();
        rig.connection.Open(0);
        UInt8 report[8] = {4};
        UInt32 size = sizeof report;
        rig.connection.GetReport(kIOHIDReportTypeFeature, 4, report, &size);
        std::exit(7);
      },
      testing::ExitedWithCode(7), "");
}

TEST(HidrawConnection, NoAccessIsToldOncePerRefusalWithItsCause) {
  FakeSysfs folder;
  const auto record = folder.Root() / "c244:7";
  HidrawIdentity identity{"/dev/hidraw7", makedev(244, 7), {0x03, 0x10D5, 0x5501}, record};
  auto kernel = std::make_shared<FakeHidraw>();
  kernel->openError = EACCES;
  HidrawConnection connection(std::make_shared<HidrawDevice>(identity, kernel));
  testing::internal::CaptureStderr();
  EXPECT_EQ(connection.Open(0), kIOReturnNotPrivileged);
  EXPECT_EQ(connection.Open(0), kIOReturnNotPrivileged);
  std::ofstream(record) << "E:ID_VENDOR_ID=10d5\nG:uaccess\nQ:uaccess\n";
  EXPECT_EQ(connection.Open(0), kIOReturnNotPrivileged);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tallowmere: no permission to open /dev/hidraw7 (switch 10D5:5501); install the udev "
            "rule with 'sudo cmake --install <build folder>', then apply it with 'sudo udevadm "
            "control --reload && sudo udevadm trigger'\n"
            "tallowmere: no permission to open /dev/hidraw7 (switch 10D5:5501); udev gives access "
            "only to the user of the active local session at the seat (for ssh, an inactive "
            "session or another seat, see 'Access to the switch' in README)\n");
}
