// COM-style objects: what a plug-in or device interface handle points at.
//
// A handle is `Table**`: it points at the object's first member, the pointer to the shared
// function table, and every function of the table receives the handle back as `self`. The
// object counts its references and is deleted by the Release that gives back the last one.
#pragma once

#include <utility>

#include "platform/IOCFPlugIn.h"

namespace plat {

// Objects alive now, of every kind (LivePlugInInterfaces).
void CountComObjects(long delta);

inline bool SameIID(const REFIID& iid, CFUUIDRef uuid) {
  return uuid != nullptr && CFUUIDEqualBytes(iid, uuid->uuid);
}

template <typename Table, typename State>
class ComObject {
 public:
  // A new object with one reference, as its handle.
  static Table** Create(Table* table, State state) {
    auto* object = new Layout{table, new Body{1, std::move(state)}};
    CountComObjects(+1);
    return &object->table;
  }

  static State& StateOf(void* self) { return FromSelf(self)->body->state; }

  static ULONG AddRef(void* self) { return ++FromSelf(self)->body->references; }

  static ULONG Release(void* self) {
    Layout* object = FromSelf(self);
    const ULONG left = --object->body->references;
    if (left == 0) {
      delete object->body;
      delete object;
      CountComObjects(-1);
    }
    return left;
  }

  // Hands out the object itself for IUnknown and for `own`, its own interface identifier.
  static HRESULT QueryOwn(void* self, REFIID iid, LPVOID* out, CFUUIDRef own,
                          CFUUIDRef alias = nullptr) {
    if (out == nullptr)
      return E_POINTER;
    if (SameIID(iid, kIUnknownUUID) || SameIID(iid, own) || SameIID(iid, alias)) {
      AddRef(self);
      *out = self;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

 private:
  struct Body {
    ULONG references;
    State state;
  };
  // Two pointers only, so that a pointer to the object is a pointer to its first member.
  struct Layout {
    Table* table;
    Body* body;
  };
  static Layout* FromSelf(void* self) { return static_cast<Layout*>(self); }
};

}  // namespace plat
