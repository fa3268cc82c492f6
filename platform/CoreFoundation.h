// Reference-counted values the platform API passes around: strings, numbers, dictionaries and
// file URLs. Every object made by a Create or Copy call is owned by the caller, who gives it
// back with CFRelease; Get calls return borrowed objects.
#pragma once

#include <string>

#include "platform/MacTypes.h"

using CFIndex = long;
using CFTypeID = unsigned long;
using CFOptionFlags = unsigned long;
using CFHashCode = unsigned long;

struct OpaqueCFString;
struct OpaqueCFNumber;
struct OpaqueCFDictionary;
struct OpaqueCFURL;
struct OpaqueCFAllocator;

// Any platform object, as on the Mac: every Ref below converts to it.
using CFTypeRef = const void*;
using CFStringRef = const OpaqueCFString*;
using CFMutableStringRef = OpaqueCFString*;
using CFNumberRef = const OpaqueCFNumber*;
using CFDictionaryRef = const OpaqueCFDictionary*;
using CFMutableDictionaryRef = OpaqueCFDictionary*;
using CFURLRef = const OpaqueCFURL*;
using CFAllocatorRef = const OpaqueCFAllocator*;

constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);
CFTypeID CFGetTypeID(CFTypeRef object);
Boolean CFEqual(CFTypeRef a, CFTypeRef b);

// Strings.
using CFStringEncoding = UInt32;
constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;
constexpr CFStringEncoding kCFStringEncodingUnicode = 0x0100;  // UTF-16 in host byte order
constexpr CFStringEncoding kCFStringEncodingUTF16 = 0x0100;
constexpr CFStringEncoding kCFStringEncodingASCII = 0x0600;
constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;

enum CFComparisonResult : CFIndex {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1
};

CFTypeID CFStringGetTypeID();
// A constant string: lives for the whole process, CFRetain and CFRelease do nothing to it.
CFStringRef CFSTR(const char* text);
// Null when `text` is not valid in `encoding`.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding);
// printf-style formatting of `format`'s text (the system uses "%d" and "%s").
CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFTypeRef formatOptions,
                                     CFStringRef format, ...);
CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef string);
// Number of UTF-16 code units.
CFIndex CFStringGetLength(CFStringRef string);
// Converts into `buffer` with a terminating NUL (two bytes for UTF-16); false when a character
// has no form in the encoding or the text and its terminator do not fit.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
// The UTF-8 text when the string holds it directly (always, here).
const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);

// Numbers.
enum CFNumberType : CFIndex {
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberCharType = 7,
  kCFNumberShortType = 8,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10,
  kCFNumberLongLongType = 11,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
  kCFNumberCFIndexType = 14,
};

CFTypeID CFNumberGetTypeID();
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* value);
// Stores the value as `type`; false when it does not fit exactly (the stored value is then the
// nearest one the type holds) or when `number` is not a number.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);

// Dictionaries: keys and values are retained; keys compare with CFEqual.
struct CFDictionaryKeyCallBacks {};
struct CFDictionaryValueCallBacks {};
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;
using CFDictionaryApplierFunction = void (*)(const void* key, const void* value, void* context);

CFTypeID CFDictionaryGetTypeID();
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity,
                                                     CFDictionaryRef dictionary);
void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value);
void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key);
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);
Boolean CFDictionaryContainsKey(CFDictionaryRef dictionary, const void* key);
CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
void CFDictionaryApplyFunction(CFDictionaryRef dictionary, CFDictionaryApplierFunction applier,
                               void* context);

// File URLs.
enum CFURLPathStyle : CFIndex { kCFURLPOSIXPathStyle = 0 };
CFTypeID CFURLGetTypeID();
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer,
                                                 CFIndex length, Boolean isDirectory);
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxLength);
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
CFStringRef CFURLCopyLastPathComponent(CFURLRef url);

namespace plat {
// The UTF-8 text of a string ("" for null).
std::string ToStdString(CFStringRef string);
// A new string owned by the caller.
CFStringRef MakeCFString(const std::string& utf8);
// A new file URL owned by the caller.
CFURLRef MakeFileURL(const std::string& path);
std::string URLPath(CFURLRef url);
// Objects made by Create and Copy calls that are not released yet (constants do not count).
long LiveCFObjects();
// Releases `object` when it goes out of scope.
class CFHolder {
 public:
  explicit CFHolder(CFTypeRef object = nullptr) : object_(object) {}
  CFHolder(const CFHolder&) = delete;
  CFHolder& operator=(const CFHolder&) = delete;
  ~CFHolder() {
    if (object_ != nullptr) CFRelease(object_);
  }
  CFTypeRef get() const { return object_; }

 private:
  CFTypeRef object_;
};
}  // namespace plat
