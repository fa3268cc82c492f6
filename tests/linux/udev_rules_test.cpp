// The udev rule file grants access to exactly the supported vendor/product pairs, on both the
// USB device node and the hidraw node.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "hid/HIDDiscovery.h"

TEST(UdevRules, CoverExactlyTheSupportedPairs) {
  std::set<std::pair<unsigned, unsigned>> supported;
  for (int row = 0; row < VendorCount; ++row) {
    for (int product = static_cast<int>(DeviceList[row].firstProductID);
         product <= static_cast<int>(DeviceList[row].lastProductID); ++product)
      supported.emplace(static_cast<unsigned>(DeviceList[row].vendorID),
                        static_cast<unsigned>(product));
  }
  ASSERT_EQ(supported.size(), 258u);

  std::ifstream rules(TALLOWMERE_UDEV_RULES);
  ASSERT_TRUE(rules) << TALLOWMERE_UDEV_RULES;
  const std::regex usbRule(
      R"re(^SUBSYSTEM=="usb", ENV\{DEVTYPE\}=="usb_device", ATTR\{idVendor\}=="([0-9a-f]{4})", ATTR\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re");
  const std::regex hidrawRule(
      R"re(^SUBSYSTEM=="hidraw", KERNEL=="hidraw\*", ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re");
  std::set<std::pair<unsigned, unsigned>> usb;
  std::set<std::pair<unsigned, unsigned>> hidraw;
  std::string line;
  while (std::getline(rules, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    std::smatch match;
    auto* into = std::regex_match(line, match, usbRule)      ? &usb
                 : std::regex_match(line, match, hidrawRule) ? &hidraw
                                                             : nullptr;
    ASSERT_NE(into, nullptr) << "unexpected rule: " << line;
    EXPECT_TRUE(
        into->emplace(std::stoul(match[1], nullptr, 16), std::stoul(match[2], nullptr, 16)).second)
        << "repeated: " << line;
  }
  EXPECT_EQ(usb, supported);
  EXPECT_EQ(hidraw, supported);
}

TEST(UdevRules, FileIsOrderedBeforeUaccess) {
  const std::string name = std::filesystem::path(TALLOWMERE_UDEV_RULES).filename().string();
  EXPECT_LT(std::stoi(name.substr(0, 2)), 73) << name;
}
