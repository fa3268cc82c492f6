// What the parts of the toolbox model share: handle numbers, observers, resetting.
#include <map>

#include "platform/HotKeys.h"
#include "platform/Processes.h"
#include "platform/model/toolbox/ToolboxModel.h"

namespace plat::toolbox {
namespace {
UInt32 lastHandle = 0;
std::map<ObserverId, ModelObserver> observers;
ObserverId lastObserver = 0;
}  // namespace

UInt32 NewHandleValue() {
  return ++lastHandle;
}

void Notify(ModelChange::What what, WindowRef window, ControlRef control, MenuRef menu) {
  if (observers.empty())
    return;
  const ModelChange change{what, window, control, menu};
  // An observer may add or remove observers.
  const auto current = observers;
  for (const auto& [id, observer] : current) {
    if (observers.contains(id))
      observer(change);
  }
}

void ResetObservers() {
  observers.clear();
}

OSStatus SendSimpleEvent(EventTargetRef target, UInt32 eventClass, UInt32 kind, EventParamType type,
                         const void* ref, ByteCount size) {
  EventRef event = nullptr;
  OSStatus status = CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event);
  if (status != noErr)
    return status;
  SetEventParameter(event, kEventParamDirectObject, type, size, ref);
  status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

}  // namespace plat::toolbox

namespace plat {

ObserverId AddModelObserver(ModelObserver observer) {
  toolbox::observers[++toolbox::lastObserver] = std::move(observer);
  return toolbox::lastObserver;
}

void RemoveModelObserver(ObserverId observer) {
  toolbox::observers.erase(observer);
}

void ResetToolbox() {
  // Handlers first, so that nothing runs while the windows and menus go.
  toolbox::ResetHandlers();
  toolbox::ResetObservers();
  toolbox::DisposeAllWindows();
  toolbox::ReleaseAllMenus();
  toolbox::ResetEventQueue();
  ResetProcesses();
  ResetHotKeys();
}

}  // namespace plat
