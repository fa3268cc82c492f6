// The objects behind io_object_t handles: services, iterators, and the table of handles.
//
// Services form a tree (a HID device below its USB interface below its USB device); each has a
// class name, a property dictionary and, from the backend that owns it, a factory for the
// plug-ins of its device interfaces. Handles carry references (see IOKitLib.h); the objects
// themselves live as long as a handle, an iterator, a child or the registry holds them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CoreFoundation.h"
#include "platform/IOKitLib.h"
#include "platform/model/iokit/DeviceBackends.h"

namespace plat {

class IOObject {
 public:
  virtual ~IOObject() = default;
  virtual std::string ClassName() const = 0;
};

class IOService final : public IOObject {
 public:
  explicit IOService(std::string className, std::shared_ptr<IOService> parent = nullptr);
  ~IOService() override;
  IOService(const IOService&) = delete;
  IOService& operator=(const IOService&) = delete;

  std::string ClassName() const override { return className_; }
  const std::shared_ptr<IOService>& Parent() const { return parent_; }

  // Owned by the service; callers copy what they keep.
  CFDictionaryRef Properties() const { return properties_; }
  void SetProperty(const char* key, CFTypeRef value);
  void SetNumberProperty(const char* key, long value);
  void SetStringProperty(const char* key, const std::string& utf8);
  void RemoveProperty(const char* key);

  void SetPlugInFactory(PlugInFactory factory) { factory_ = std::move(factory); }
  // The backend of a plug-in of `pluginType`; kIOReturnUnsupported when the service has none.
  IOReturn MakePlugIn(CFUUIDRef pluginType, PlugInBackend* backend) const;

  // A terminated service has left the registry; plug-ins can no longer be made for it.
  bool IsTerminated() const { return terminated_; }
  void MarkTerminated() { terminated_ = true; }

  // Makes reading the properties fail with `status` (0: the read succeeds but yields no
  // dictionary), as a device whose descriptors cannot be read; nullopt reads them again.
  void SetPropertiesFault(std::optional<IOReturn> status) { propertiesFault_ = status; }
  std::optional<IOReturn> PropertiesFault() const { return propertiesFault_; }

 private:
  std::string className_;
  std::shared_ptr<IOService> parent_;
  CFMutableDictionaryRef properties_;
  PlugInFactory factory_;
  bool terminated_ = false;
  std::optional<IOReturn> propertiesFault_;
};

// What IOIteratorNext walks: a fixed list, or the services a matching notification has found.
class IOIteratorBase : public IOObject {
 public:
  // The next object, or null at the end.
  virtual std::shared_ptr<IOObject> Next() = 0;
  virtual void Reset() = 0;
};

class IOIteratorObject final : public IOIteratorBase {
 public:
  explicit IOIteratorObject(std::vector<std::shared_ptr<IOObject>> items)
      : items_(std::move(items)) {}
  std::string ClassName() const override { return "IOIterator"; }
  std::shared_ptr<IOObject> Next() override {
    return next_ < items_.size() ? items_[next_++] : nullptr;
  }
  void Reset() override { next_ = 0; }

 private:
  std::vector<std::shared_ptr<IOObject>> items_;
  std::size_t next_ = 0;
};

// A new reference to `object`: its handle (the same one while references are held).
io_object_t RetainHandle(const std::shared_ptr<IOObject>& object);
// The object a handle names, or null.
std::shared_ptr<IOObject> ObjectForHandle(io_object_t handle);
template <typename T>
std::shared_ptr<T> ObjectForHandleAs(io_object_t handle) {
  return std::dynamic_pointer_cast<T>(ObjectForHandle(handle));
}
// An iterator over `items`, with one reference for the caller.
io_iterator_t MakeIteratorHandle(std::vector<std::shared_ptr<IOObject>> items);
// The handle `object` has while references to it are held, or 0; adds no reference.
io_object_t HandleOf(const IOObject* object);
// Forgets every handle and its references, for the next test.
void ResetIOObjects();

}  // namespace plat
