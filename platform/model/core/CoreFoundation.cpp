#include "platform/CoreFoundation.h"

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace {

enum TypeID : CFTypeID { kStringType = 7, kNumberType = 22, kDictionaryType = 18, kURLType = 29 };

std::atomic<long> liveObjects{0};

}  // namespace

struct OpaqueCFType {
  explicit OpaqueCFType(CFTypeID id, bool constant = false) : typeID(id), immortal(constant) {
    if (!immortal) ++liveObjects;
  }
  OpaqueCFType(const OpaqueCFType&) = delete;
  OpaqueCFType& operator=(const OpaqueCFType&) = delete;
  virtual ~OpaqueCFType() {
    if (!immortal) --liveObjects;
  }
  const CFTypeID typeID;
  const bool immortal;
  mutable std::atomic<CFIndex> retainCount{1};
};

struct OpaqueCFString : OpaqueCFType {
  explicit OpaqueCFString(std::string utf8, bool constant = false)
      : OpaqueCFType(kStringType, constant), text(std::move(utf8)) {}
  std::string text;
};

struct OpaqueCFNumber : OpaqueCFType {
  OpaqueCFNumber(bool floating, std::int64_t i, double d)
      : OpaqueCFType(kNumberType), isFloat(floating), integer(i), real(d) {}
  bool isFloat;
  std::int64_t integer;
  double real;
};

struct OpaqueCFDictionary : OpaqueCFType {
  OpaqueCFDictionary() : OpaqueCFType(kDictionaryType) {}
  ~OpaqueCFDictionary() override {
    for (auto& [key, value] : entries) {
      CFRelease(key);
      CFRelease(value);
    }
  }
  std::vector<std::pair<CFTypeRef, CFTypeRef>> entries;  // both retained
};

struct OpaqueCFURL : OpaqueCFType {
  explicit OpaqueCFURL(std::string p) : OpaqueCFType(kURLType), path(std::move(p)) {}
  std::string path;
};

// Every object starts with its OpaqueCFType part (single inheritance), so a CFTypeRef can be
// taken back to it.
const OpaqueCFType* Obj(CFTypeRef object) { return static_cast<const OpaqueCFType*>(object); }

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks{};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks{};

namespace {

// Decodes UTF-8 into code points; nullopt when the bytes are not valid UTF-8.
std::optional<std::vector<char32_t>> DecodeUtf8(const std::string& text) {
  std::vector<char32_t> out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra;
    char32_t cp;
    if (lead < 0x80) {
      extra = 0;
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0)) {
      return std::nullopt;  // the sequence is cut short by the end of the text
    }
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return std::nullopt;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::vector<char16_t> ToUtf16(const std::vector<char32_t>& cps) {
  std::vector<char16_t> units;
  for (char32_t cp : cps) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(cp));
    }
  }
  return units;
}

template <typename T>
bool StoreInteger(std::int64_t value, void* out) {
  const bool fits = value >= static_cast<std::int64_t>(std::numeric_limits<T>::min()) &&
                    value <= static_cast<std::int64_t>(std::numeric_limits<T>::max());
  const T stored = static_cast<T>(value);
  std::memcpy(out, &stored, sizeof(T));
  return fits;
}

template <typename T>
bool StoreReal(double value, void* out) {
  const T stored = static_cast<T>(value);
  std::memcpy(out, &stored, sizeof(T));
  return static_cast<double>(stored) == value || std::isnan(value);
}

std::optional<std::pair<std::int64_t, double>> LoadNumber(CFNumberType type, const void* value,
                                                          bool& isFloat) {
  auto load = [value](auto sample) {
    decltype(sample) v;
    std::memcpy(&v, value, sizeof(v));
    return v;
  };
  isFloat = false;
  switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      return std::pair<std::int64_t, double>{load(std::int8_t{}), 0};
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      return std::pair<std::int64_t, double>{load(std::int16_t{}), 0};
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return std::pair<std::int64_t, double>{load(std::int32_t{}), 0};
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
      return std::pair<std::int64_t, double>{load(std::int64_t{}), 0};
    case kCFNumberLongType:
      return std::pair<std::int64_t, double>{load(long{}), 0};
    case kCFNumberCFIndexType:
      return std::pair<std::int64_t, double>{load(CFIndex{}), 0};
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      isFloat = true;
      return std::pair<std::int64_t, double>{0, load(float{})};
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
      isFloat = true;
      return std::pair<std::int64_t, double>{0, load(double{})};
  }
  return std::nullopt;
}

const OpaqueCFDictionary* AsDictionary(CFTypeRef object) {
  return object != nullptr && Obj(object)->typeID == kDictionaryType
             ? static_cast<const OpaqueCFDictionary*>(Obj(object))
             : nullptr;
}

const OpaqueCFString* AsString(CFTypeRef object) {
  return object != nullptr && Obj(object)->typeID == kStringType
             ? static_cast<const OpaqueCFString*>(Obj(object))
             : nullptr;
}

}  // namespace

CFTypeRef CFRetain(CFTypeRef object) {
  if (object != nullptr && !Obj(object)->immortal) ++Obj(object)->retainCount;
  return object;
}

void CFRelease(CFTypeRef object) {
  if (object == nullptr || Obj(object)->immortal) return;
  if (--Obj(object)->retainCount == 0) delete Obj(object);
}

CFIndex CFGetRetainCount(CFTypeRef object) {
  if (object == nullptr) return 0;
  return Obj(object)->immortal ? std::numeric_limits<CFIndex>::max()
                               : Obj(object)->retainCount.load();
}

CFTypeID CFGetTypeID(CFTypeRef object) { return object == nullptr ? 0 : Obj(object)->typeID; }

Boolean CFEqual(CFTypeRef objectA, CFTypeRef objectB) {
  if (objectA == objectB) return true;
  const OpaqueCFType* a = Obj(objectA);
  const OpaqueCFType* b = Obj(objectB);
  if (a == nullptr || b == nullptr || a->typeID != b->typeID) return false;
  switch (a->typeID) {
    case kStringType:
      return static_cast<const OpaqueCFString*>(a)->text ==
             static_cast<const OpaqueCFString*>(b)->text;
    case kNumberType: {
      const auto* x = static_cast<const OpaqueCFNumber*>(a);
      const auto* y = static_cast<const OpaqueCFNumber*>(b);
      const double xv = x->isFloat ? x->real : static_cast<double>(x->integer);
      const double yv = y->isFloat ? y->real : static_cast<double>(y->integer);
      return (!x->isFloat && !y->isFloat) ? x->integer == y->integer : xv == yv;
    }
    case kURLType:
      return static_cast<const OpaqueCFURL*>(a)->path == static_cast<const OpaqueCFURL*>(b)->path;
    case kDictionaryType: {
      const auto* x = static_cast<const OpaqueCFDictionary*>(a);
      const auto* y = static_cast<const OpaqueCFDictionary*>(b);
      if (x->entries.size() != y->entries.size()) return false;
      for (const auto& [key, value] : x->entries) {
        if (!CFEqual(value, CFDictionaryGetValue(y, key))) return false;
      }
      return true;
    }
    default:
      return false;
  }
}

CFTypeID CFStringGetTypeID() { return kStringType; }

CFStringRef CFSTR(const char* text) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<OpaqueCFString>, std::less<>> constants;
  std::lock_guard lock(mutex);
  auto it = constants.find(std::string_view(text));
  if (it == constants.end()) {
    it = constants.emplace(text, std::make_unique<OpaqueCFString>(text, true)).first;
  }
  return it->second.get();
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text,
                                      CFStringEncoding encoding) {
  if (text == nullptr) return nullptr;
  const std::string bytes(text);
  switch (encoding) {
    case kCFStringEncodingUTF8:
      if (!DecodeUtf8(bytes)) return nullptr;
      return new OpaqueCFString(bytes);
    case kCFStringEncodingASCII:
      for (unsigned char c : bytes) {
        if (c >= 0x80) return nullptr;
      }
      return new OpaqueCFString(bytes);
    case kCFStringEncodingMacRoman: {
      // Bytes above 0x7F are taken as the Latin-1 characters of the same value.
      std::string utf8;
      for (unsigned char c : bytes) AppendUtf8(utf8, c);
      return new OpaqueCFString(utf8);
    }
    default:
      return nullptr;
  }
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFTypeRef, CFStringRef format, ...) {
  const OpaqueCFString* fmt = AsString(format);
  if (fmt == nullptr) return nullptr;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int length = std::vsnprintf(nullptr, 0, fmt->text.c_str(), copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(out.data(), out.size(), fmt->text.c_str(), args);
    out.resize(static_cast<std::size_t>(length));
  }
#pragma GCC diagnostic pop
  va_end(args);
  if (length < 0) return nullptr;
  return new OpaqueCFString(out);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string) {
  const OpaqueCFString* s = AsString(string);
  return s == nullptr ? nullptr : new OpaqueCFString(s->text);
}

CFIndex CFStringGetLength(CFStringRef string) {
  const OpaqueCFString* s = AsString(string);
  if (s == nullptr) return 0;
  auto cps = DecodeUtf8(s->text);
  return cps ? static_cast<CFIndex>(ToUtf16(*cps).size()) : 0;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  const OpaqueCFString* s = AsString(string);
  if (s == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  const auto size = static_cast<std::size_t>(bufferSize);
  switch (encoding) {
    case kCFStringEncodingUTF8:
      if (s->text.size() + 1 > size) return false;
      std::memcpy(buffer, s->text.c_str(), s->text.size() + 1);
      return true;
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman:
      for (unsigned char c : s->text) {
        if (c >= 0x80) return false;
      }
      if (s->text.size() + 1 > size) return false;
      std::memcpy(buffer, s->text.c_str(), s->text.size() + 1);
      return true;
    case kCFStringEncodingUnicode: {
      auto cps = DecodeUtf8(s->text);
      if (!cps) return false;
      std::vector<char16_t> units = ToUtf16(*cps);
      units.push_back(0);
      const std::size_t bytes = units.size() * sizeof(char16_t);
      if (bytes > size) return false;
      std::memcpy(buffer, units.data(), bytes);
      return true;
    }
    default:
      return false;
  }
}

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding) {
  const OpaqueCFString* s = AsString(string);
  if (s == nullptr || encoding != kCFStringEncodingUTF8) return nullptr;
  return s->text.c_str();
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags) {
  const int order = plat::ToStdString(a).compare(plat::ToStdString(b));
  return order < 0 ? kCFCompareLessThan : order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

CFTypeID CFNumberGetTypeID() { return kNumberType; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value) {
  if (value == nullptr) return nullptr;
  bool isFloat = false;
  auto loaded = LoadNumber(type, value, isFloat);
  if (!loaded) return nullptr;
  return new OpaqueCFNumber(isFloat, loaded->first, loaded->second);
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value) {
  if (number == nullptr || number->typeID != kNumberType || value == nullptr) return false;
  const bool floatType = type == kCFNumberFloat32Type || type == kCFNumberFloatType ||
                         type == kCFNumberFloat64Type || type == kCFNumberDoubleType;
  std::int64_t integer = number->integer;
  bool exact = true;
  if (number->isFloat && !floatType) {
    const double truncated = std::trunc(number->real);
    exact = truncated == number->real && truncated >= -9.2e18 && truncated <= 9.2e18;
    integer = (truncated >= -9.2e18 && truncated <= 9.2e18) ? static_cast<std::int64_t>(truncated)
                                                            : 0;
  }
  const double real = number->isFloat ? number->real : static_cast<double>(number->integer);
  switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      return StoreInteger<std::int8_t>(integer, value) && exact;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      return StoreInteger<std::int16_t>(integer, value) && exact;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return StoreInteger<std::int32_t>(integer, value) && exact;
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
      return StoreInteger<std::int64_t>(integer, value) && exact;
    case kCFNumberLongType:
      return StoreInteger<long>(integer, value) && exact;
    case kCFNumberCFIndexType:
      return StoreInteger<CFIndex>(integer, value) && exact;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      return StoreReal<float>(real, value);
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
      return StoreReal<double>(real, value);
  }
  return false;
}

CFTypeID CFDictionaryGetTypeID() { return kDictionaryType; }

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex,
                                                 const CFDictionaryKeyCallBacks*,
                                                 const CFDictionaryValueCallBacks*) {
  return new OpaqueCFDictionary;
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex,
                                                     CFDictionaryRef dictionary) {
  auto* copy = new OpaqueCFDictionary;
  if (const OpaqueCFDictionary* source = AsDictionary(dictionary)) {
    for (const auto& [key, value] : source->entries) {
      copy->entries.emplace_back(CFRetain(key), CFRetain(value));
    }
  }
  return copy;
}

void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value) {
  if (AsDictionary(dictionary) == nullptr || key == nullptr || value == nullptr) return;
  auto k = static_cast<CFTypeRef>(key);
  auto v = static_cast<CFTypeRef>(value);
  CFRetain(v);
  for (auto& entry : dictionary->entries) {
    if (CFEqual(entry.first, k)) {
      CFRelease(entry.second);
      entry.second = v;
      return;
    }
  }
  dictionary->entries.emplace_back(CFRetain(k), v);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key) {
  if (AsDictionary(dictionary) == nullptr || key == nullptr) return;
  auto& entries = dictionary->entries;
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (CFEqual(it->first, static_cast<CFTypeRef>(key))) {
      CFRelease(it->first);
      CFRelease(it->second);
      entries.erase(it);
      return;
    }
  }
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key) {
  const OpaqueCFDictionary* d = AsDictionary(dictionary);
  if (d == nullptr || key == nullptr) return nullptr;
  for (const auto& [k, v] : d->entries) {
    if (CFEqual(k, static_cast<CFTypeRef>(key))) return v;
  }
  return nullptr;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef dictionary, const void* key) {
  return CFDictionaryGetValue(dictionary, key) != nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary) {
  const OpaqueCFDictionary* d = AsDictionary(dictionary);
  return d == nullptr ? 0 : static_cast<CFIndex>(d->entries.size());
}

void CFDictionaryApplyFunction(CFDictionaryRef dictionary, CFDictionaryApplierFunction applier,
                               void* context) {
  const OpaqueCFDictionary* d = AsDictionary(dictionary);
  if (d == nullptr || applier == nullptr) return;
  // A copy, so the applier may look the dictionary up while it runs.
  const auto entries = d->entries;
  for (const auto& [k, v] : entries) applier(k, v, context);
}

CFTypeID CFURLGetTypeID() { return kURLType; }

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer,
                                                 CFIndex length, Boolean) {
  if (buffer == nullptr || length < 0) return nullptr;
  return new OpaqueCFURL(
      std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length)));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer,
                                         CFIndex maxLength) {
  if (url == nullptr || url->typeID != kURLType || buffer == nullptr || maxLength <= 0) {
    return false;
  }
  if (url->path.size() + 1 > static_cast<std::size_t>(maxLength)) return false;
  std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle) {
  if (url == nullptr || url->typeID != kURLType) return nullptr;
  return new OpaqueCFString(url->path);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
  if (url == nullptr || url->typeID != kURLType) return nullptr;
  std::string path = url->path;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const auto slash = path.rfind('/');
  return new OpaqueCFString(slash == std::string::npos || path.size() == 1
                                ? path
                                : path.substr(slash + 1));
}

namespace plat {

std::string ToStdString(CFStringRef string) {
  const OpaqueCFString* s = AsString(string);
  return s == nullptr ? std::string() : s->text;
}

CFStringRef MakeCFString(const std::string& utf8) { return new OpaqueCFString(utf8); }

CFURLRef MakeFileURL(const std::string& path) { return new OpaqueCFURL(path); }

std::string URLPath(CFURLRef url) {
  return url == nullptr || url->typeID != kURLType ? std::string() : url->path;
}

long LiveCFObjects() { return liveObjects; }

}  // namespace plat
