// Statuses of the hidraw connection where no hidraw node answers: failures never read as success.
#include <gtest/gtest.h>

#include <fstream>

#include "FakeSysfs.h"
#include "platform/linux/HidrawConnection.h"

using plat::linux_dev::HidrawConnection;

TEST(HidrawConnection, FailedOpenAndIoctlsAreFailures) {
  FakeSysfs folder;
  HidrawConnection missing(folder.Root() / "dev/hidraw9", 0x10D5, 0x55FF);
  EXPECT_EQ(missing.Open(0), kIOReturnNoDevice);
  UInt8 report[8] = {4};
  UInt32 size = sizeof report;
  EXPECT_EQ(missing.GetReport(kIOHIDReportTypeFeature, 4, report, &size), kIOReturnNotOpen);

  // A node that is not a hidraw device refuses the feature-report ioctls.
  const auto plain = folder.Root() / "not-hidraw";
  std::ofstream(plain) << "x";
  HidrawConnection connection(plain, 0x10D5, 0x55FF);
  ASSERT_EQ(connection.Open(0), kIOReturnSuccess);
  EXPECT_NE(connection.GetReport(kIOHIDReportTypeFeature, 4, report, &size), kIOReturnSuccess);
  EXPECT_EQ(size, sizeof report);
  EXPECT_NE(connection.SetReport(kIOHIDReportTypeFeature, 4, report, 8), kIOReturnSuccess);
  // A numbered report must start with its own ID; IDs are one byte.
  EXPECT_EQ(connection.SetReport(kIOHIDReportTypeFeature, 5, report, 8), kIOReturnBadArgument);
  EXPECT_EQ(connection.GetReport(kIOHIDReportTypeFeature, 256, report, &size),
            kIOReturnBadArgument);
  EXPECT_EQ(connection.Close(), kIOReturnSuccess);
  EXPECT_EQ(connection.Close(), kIOReturnNotOpen);
}

#include "platform/linux/ErrnoStatus.h"

TEST(HidrawConnection, NoAccessIsToldOncePerNodeWithHowToGrantIt) {
  testing::internal::CaptureStderr();
  plat::linux_dev::ReportNoAccess("/dev/hidraw7", 0x10D5, 0x5501);
  plat::linux_dev::ReportNoAccess("/dev/hidraw7", 0x10D5, 0x5501);
  plat::linux_dev::ReportNoAccess("/dev/bus/usb/001/004", 0x10D5, 0x000D);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tallowmere: no permission to open /dev/hidraw7 (switch 10D5:5501); install the udev "
            "rule with 'sudo cmake --install <build folder>', then unplug and replug the switch\n"
            "tallowmere: no permission to open /dev/bus/usb/001/004 (switch 10D5:000D); install "
            "the udev rule with 'sudo cmake --install <build folder>', then unplug and replug the "
            "switch\n");
  EXPECT_EQ(plat::linux_dev::StatusFromErrno(EACCES), kIOReturnNotPrivileged);
}
