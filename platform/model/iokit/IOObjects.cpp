#include "platform/model/iokit/IOObjects.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace plat {

namespace {

struct HandleEntry {
  std::shared_ptr<IOObject> object;
  long references;
};

// Handles start where the kernel's port names would, so a stray small integer names nothing.
io_object_t nextHandle = 0x1003;
std::map<io_object_t, HandleEntry>& Entries() {
  static std::map<io_object_t, HandleEntry> entries;
  return entries;
}
std::map<const IOObject*, io_object_t>& HandlesByObject() {
  static std::map<const IOObject*, io_object_t> handles;
  return handles;
}
long liveReferences = 0;

}  // namespace

IOService::IOService(std::string className, std::shared_ptr<IOService> parent)
    : className_(std::move(className)),
      parent_(std::move(parent)),
      properties_(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks)) {}

IOService::~IOService() {
  CFRelease(properties_);
}

void IOService::SetProperty(const char* key, CFTypeRef value) {
  CFHolder name(MakeCFString(key));
  CFDictionarySetValue(properties_, name.get(), value);
}

void IOService::SetNumberProperty(const char* key, long value) {
  CFHolder number(CFNumberCreate(nullptr, kCFNumberLongType, &value));
  SetProperty(key, number.get());
}

void IOService::SetStringProperty(const char* key, const std::string& utf8) {
  CFHolder text(MakeCFString(utf8));
  SetProperty(key, text.get());
}

void IOService::RemoveProperty(const char* key) {
  CFHolder name(MakeCFString(key));
  CFDictionaryRemoveValue(properties_, name.get());
}

IOReturn IOService::MakePlugIn(CFUUIDRef pluginType, PlugInBackend* backend) const {
  *backend = std::monostate{};
  if (!factory_)
    return kIOReturnUnsupported;
  return factory_(pluginType, backend);
}

io_object_t RetainHandle(const std::shared_ptr<IOObject>& object) {
  if (object == nullptr)
    return 0;
  ++liveReferences;
  auto known = HandlesByObject().find(object.get());
  if (known != HandlesByObject().end()) {
    ++Entries()[known->second].references;
    return known->second;
  }
  const io_object_t handle = nextHandle++;
  Entries()[handle] = HandleEntry{object, 1};
  HandlesByObject()[object.get()] = handle;
  return handle;
}

std::shared_ptr<IOObject> ObjectForHandle(io_object_t handle) {
  auto entry = Entries().find(handle);
  return entry == Entries().end() ? nullptr : entry->second.object;
}

io_iterator_t MakeIteratorHandle(std::vector<std::shared_ptr<IOObject>> items) {
  return RetainHandle(std::make_shared<IOIteratorObject>(std::move(items)));
}

long LiveIOObjects() {
  return liveReferences;
}

io_object_t HandleOf(const IOObject* object) {
  auto known = HandlesByObject().find(object);
  return known == HandlesByObject().end() ? 0 : known->second;
}

void ResetIOObjects() {
  // Objects may hold handles of others; let them all go before touching the tables again.
  std::map<io_object_t, HandleEntry> dropped;
  dropped.swap(Entries());
  HandlesByObject().clear();
  liveReferences = 0;
  dropped.clear();
}

}  // namespace plat

kern_return_t IOObjectRetain(io_object_t object) {
  auto found = plat::ObjectForHandle(object);
  if (found == nullptr)
    return kIOReturnBadArgument;
  plat::RetainHandle(found);
  return KERN_SUCCESS;
}

kern_return_t IOObjectRelease(io_object_t object) {
  auto entry = plat::Entries().find(object);
  if (entry == plat::Entries().end())
    return kIOReturnBadArgument;
  --plat::liveReferences;
  if (--entry->second.references == 0) {
    // Drop the table's entries before the object itself may go.
    std::shared_ptr<plat::IOObject> last = std::move(entry->second.object);
    plat::HandlesByObject().erase(last.get());
    plat::Entries().erase(entry);
  }
  return KERN_SUCCESS;
}

kern_return_t IOObjectGetClass(io_object_t object, io_name_t className) {
  auto found = plat::ObjectForHandle(object);
  if (found == nullptr || className == nullptr)
    return kIOReturnBadArgument;
  const std::string name = found->ClassName();
  const std::size_t length = std::min(name.size(), sizeof(io_name_t) - 1);
  std::memcpy(className, name.data(), length);
  className[length] = '\0';
  return KERN_SUCCESS;
}

Boolean IOObjectConformsTo(io_object_t object, const char* className) {
  auto found = plat::ObjectForHandle(object);
  if (found == nullptr || className == nullptr)
    return false;
  const bool isService = std::dynamic_pointer_cast<plat::IOService>(found) != nullptr;
  return found->ClassName() == className ||
         (isService && (std::strcmp(className, "IOService") == 0 ||
                        std::strcmp(className, "IORegistryEntry") == 0));
}

io_object_t IOIteratorNext(io_iterator_t iterator) {
  auto found = plat::ObjectForHandleAs<plat::IOIteratorBase>(iterator);
  return found == nullptr ? 0 : plat::RetainHandle(found->Next());
}

void IOIteratorReset(io_iterator_t iterator) {
  auto found = plat::ObjectForHandleAs<plat::IOIteratorBase>(iterator);
  if (found != nullptr)
    found->Reset();
}

Boolean IOIteratorIsValid(io_iterator_t iterator) {
  return plat::ObjectForHandleAs<plat::IOIteratorBase>(iterator) != nullptr;
}

kern_return_t IORegistryEntryGetParentEntry(io_registry_entry_t entry, const char* plane,
                                            io_registry_entry_t* parent) {
  if (parent == nullptr)
    return kIOReturnBadArgument;
  *parent = 0;
  auto service = plat::ObjectForHandleAs<plat::IOService>(entry);
  if (service == nullptr || plane == nullptr || std::strcmp(plane, kIOServicePlane) != 0) {
    return kIOReturnBadArgument;
  }
  if (service->Parent() == nullptr)
    return kIOReturnNoDevice;
  *parent = plat::RetainHandle(service->Parent());
  return KERN_SUCCESS;
}

kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry,
                                                CFMutableDictionaryRef* properties,
                                                CFAllocatorRef allocator, IOOptionBits) {
  if (properties == nullptr)
    return kIOReturnBadArgument;
  *properties = nullptr;
  auto service = plat::ObjectForHandleAs<plat::IOService>(entry);
  if (service == nullptr)
    return kIOReturnBadArgument;
  if (auto fault = service->PropertiesFault())
    return *fault;
  *properties = CFDictionaryCreateMutableCopy(allocator, 0, service->Properties());
  return *properties == nullptr ? kIOReturnNoMemory : KERN_SUCCESS;
}
