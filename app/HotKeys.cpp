#include "app/HotKeys.h"

#include "platform/HotKeys.h"
#include "switch/KVMSwitch.h"

namespace {

constexpr UInt32 kHotKeyModifiers = controlKey | optionKey;  // 0x1800
constexpr OSType kFirstSignature = FourCC("PCH1");

// Entry i is the registration of port i + 1; they live for the whole process.
EventHotKeyRef eventHotKeyRef[4];
bool hotKeysRegistered = false;

}  // namespace

void RegisterHotKeys() {
  if (hotKeysRegistered) {
    for (EventHotKeyRef& hotKey : eventHotKeyRef)
      UnregisterEventHotKey(hotKey);
  }
  for (UInt32 i = 0; i < 4; ++i) {
    const EventHotKeyID id{kFirstSignature + i, i + 1};
    // A key that cannot be registered leaves its handle empty; the others go on regardless.
    eventHotKeyRef[i] = nullptr;
    RegisterEventHotKey(KVMSwitch.hotKeys[i].keyCode, kHotKeyModifiers, id,
                        GetApplicationEventTarget(), 0, &eventHotKeyRef[i]);
  }
  hotKeysRegistered = true;
}
