// Uevent text, HID_ID and HID_UNIQ, and report descriptors as the registry reads them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/ReportDescriptor.h"
#include "platform/linux/Uevent.h"

using namespace plat::linux_dev;

TEST(Uevent, ReadsHidIdentityAndSerialNumberIfAny) {
  const auto values = ParseUevent(
      "DRIVER=hid-generic\nHID_ID=0003:000010D5:000055FF\nHID_NAME=Velbrook KVM\n"
      "garbage line\n=novalue\nHID_UNIQ=V1-0042\n");
  ASSERT_EQ(values.count("HID_ID"), 1u);
  EXPECT_EQ(values.count(""), 0u);
  const auto id = ParseHidId(values.at("HID_ID"));
  ASSERT_TRUE(id);
  EXPECT_EQ(id->bus, 3u);
  EXPECT_EQ(id->vendor, 0x10D5u);
  EXPECT_EQ(id->product, 0x55FFu);
  EXPECT_EQ(SerialNumberFromUniq(values), "V1-0042");
  // An empty or missing HID_UNIQ is no serial number.
  EXPECT_FALSE(SerialNumberFromUniq(ParseUevent("HID_UNIQ=\nHID_ID=0003:1:2")));
  EXPECT_FALSE(SerialNumberFromUniq(ParseUevent("HID_ID=0003:1:2")));
}

TEST(Uevent, RejectsMalformedHidIds) {
  for (const char* text :
       {"", "0003:000010D5", "0003:000010D5:000055FF:1", "0003::000055FF", "0003:0001FFFF:00000001",
        "0003:10D5:55FG", "0003:+10D5:55FF", "000000003:10D5:55FF"}) {
    EXPECT_FALSE(ParseHidId(text)) << text;
  }
}

namespace {

// Report 4 (7 data bytes) and report 5 (3 data bytes), both feature, as a switch describes them.
const std::vector<std::uint8_t> kSwitchDescriptor = {
    0x06, 0x00, 0xFF,        // Usage Page (vendor)
    0x09, 0x01,              // Usage
    0xA1, 0x01,              // Collection (application)
    0x85, 0x04,              //   Report ID 4
    0x75, 0x08,              //   Report Size 8
    0x95, 0x07,              //   Report Count 7
    0x09, 0x02, 0xB1, 0x02,  // Usage, Feature
    0x85, 0x05,              //   Report ID 5
    0x95, 0x03,              //   Report Count 3
    0x09, 0x03, 0xB1, 0x02,  // Usage, Feature
    0x95, 0x40, 0x81, 0x02,  //   a 64-byte input report does not count
    0xC0};

}  // namespace

// The largest feature report counts its ID byte; a malformed descriptor, or one with sizes beyond
// any real report, is an error.
TEST(ReportDescriptor, LargestFeatureReportOrAnError) {
  using Bytes = std::vector<std::uint8_t>;
  const std::pair<Bytes, std::optional<std::uint32_t>> cases[] = {
      {kSwitchDescriptor, 8},
      // Feature items of one ID add up; bits round up to bytes.
      {{0x85, 0x02, 0x75, 0x01, 0x95, 0x03, 0xB1, 0x02, 0x95, 0x0A, 0xB1, 0x02}, 3},
      {{0x75, 0x08, 0x95, 0x08, 0xB1, 0x02}, 8},  // unnumbered: no ID byte
      {{0x75, 0x08, 0x95, 0x08, 0x81, 0x02}, 0},  // input only
      {{}, 0},
      // A long item whose data looks like items; Push, Report Count 16 in a 4-byte item, Pop.
      {{0xFE, 0x03, 0x10, 0xB1, 0x95, 0xFF, 0x75, 0x08, 0x95, 0x04, 0xA4, 0x97, 0x10, 0x00, 0x00,
        0x00, 0xB4, 0xB1, 0x02},
       4},
      {{kSwitchDescriptor.begin(), kSwitchDescriptor.begin() + 2}, std::nullopt},  // cut short
      {{0xFE, 0x05, 0x00, 0x01}, std::nullopt},
      {{0xFE, 0x05}, std::nullopt},
      {{0xB4}, std::nullopt},  // Pop without Push
      {{0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0xB1, 0x02}, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(MaxFeatureReportSize(cases[i].first), cases[i].second) << "case " << i;
}
