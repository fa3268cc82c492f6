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
