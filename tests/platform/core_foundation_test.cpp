#include <gtest/gtest.h>

#include <cstring>

#include "platform/CoreFoundation.h"

namespace {

TEST(CoreFoundation, ObjectsAreCountedUntilTheirLastRelease) {
  const long before = plat::LiveCFObjects();
  CFStringRef text = CFStringCreateWithCString(nullptr, "abc", kCFStringEncodingUTF8);
  int value = 7;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &value);
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dict, CFSTR("key"), number);
  CFDictionarySetValue(dict, text, number);
  EXPECT_EQ(plat::LiveCFObjects(), before + 3);
  CFRelease(number);
  CFRelease(text);
  // The dictionary still holds both.
  EXPECT_EQ(plat::LiveCFObjects(), before + 3);
  CFRelease(dict);
  EXPECT_EQ(plat::LiveCFObjects(), before);
  // Constants are not counted, and releasing one does nothing.
  CFRelease(CFSTR("key"));
  EXPECT_EQ(plat::ToStdString(CFSTR("key")), "key");
}

TEST(CoreFoundation, NumbersConvertOnlyWhenTheValueFits) {
  long big = 70000;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberLongType, &big);
  long asLong = 0;
  EXPECT_TRUE(CFNumberGetValue(number, kCFNumberLongType, &asLong));
  EXPECT_EQ(asLong, 70000);
  short asShort = 0;
  EXPECT_FALSE(CFNumberGetValue(number, kCFNumberShortType, &asShort));
  CFRelease(number);
}

TEST(CoreFoundation, UnicodeConversionNeedsRoomForTheTextAndItsTerminator) {
  char buffer[8];
  // Three UTF-16 units and a two-byte terminator fill eight bytes exactly.
  CFStringRef three = plat::MakeCFString("0\xC2\x86\x05");
  ASSERT_TRUE(CFStringGetCString(three, buffer, sizeof buffer, kCFStringEncodingUnicode));
  char16_t units[4];
  std::memcpy(units, buffer, sizeof units);
  EXPECT_EQ(units[0], u'0');
  EXPECT_EQ(units[1], 0x86);
  EXPECT_EQ(units[2], 0x05);
  EXPECT_EQ(units[3], 0);
  CFStringRef four = plat::MakeCFString("ABCD");
  EXPECT_FALSE(CFStringGetCString(four, buffer, sizeof buffer, kCFStringEncodingUnicode));
  // Invalid UTF-8 does not convert at all.
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xFF", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xE2\x82", kCFStringEncodingUTF8), nullptr);
  // ASCII refuses what is not ASCII.
  CFStringRef latin = plat::MakeCFString("\xC3\xA9");
  EXPECT_FALSE(CFStringGetCString(latin, buffer, sizeof buffer, kCFStringEncodingASCII));
  CFRelease(three);
  CFRelease(four);
  CFRelease(latin);
}

TEST(CoreFoundation, FormatAndURLs) {
  CFStringRef item = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), 12);
  EXPECT_EQ(plat::ToStdString(item), "12");
  CFRelease(item);
  CFURLRef url = plat::MakeFileURL("/opt/tallowmere/share/velbrook1.icns");
  CFStringRef last = CFURLCopyLastPathComponent(url);
  EXPECT_EQ(plat::ToStdString(last), "velbrook1.icns");
  UInt8 small[4];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, small, sizeof small));
  CFRelease(last);
  CFRelease(url);
}

}  // namespace
