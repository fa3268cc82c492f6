// Event targets, handler chains and synchronous sending.
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/model/toolbox/ToolboxModel.h"

using plat::toolbox::TargetKind;
using plat::toolbox::TargetPtr;
using HandlerPtr = std::shared_ptr<OpaqueEventHandlerRef>;

namespace {

std::map<const OpaqueEventTargetRef*, std::weak_ptr<OpaqueEventTargetRef>>& Targets() {
  static std::map<const OpaqueEventTargetRef*, std::weak_ptr<OpaqueEventTargetRef>> targets;
  return targets;
}

// Every installed handler, until it is removed.
std::map<const OpaqueEventHandlerRef*, HandlerPtr>& Handlers() {
  static std::map<const OpaqueEventHandlerRef*, HandlerPtr> handlers;
  return handlers;
}

// One sending of an event: the handlers of the whole chain that accepted its type when it was
// sent, and the target it was sent to.
struct Dispatch {
  std::vector<HandlerPtr> handlers;
  TargetPtr original;
};

}  // namespace

// The call reference a handler receives: where it stands in its dispatch.
struct OpaqueEventHandlerCallRef {
  Dispatch* dispatch;
  std::size_t index;
  bool calledNext;
};

bool OpaqueEventHandlerRef::Accepts(UInt32 eventClass, UInt32 kind) const {
  return std::any_of(types.begin(), types.end(), [&](const EventTypeSpec& type) {
    return type.eventClass == eventClass && type.eventKind == kind;
  });
}

namespace {

// Runs the handlers from `from` on; a handler that answers anything but eventNotHandledErr, or
// that already ran the rest of the chain itself, ends the dispatch.
OSStatus RunFrom(Dispatch& dispatch, EventRef event, std::size_t from) {
  const UInt32 eventClass = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  for (std::size_t i = from; i < dispatch.handlers.size(); ++i) {
    const HandlerPtr handler = dispatch.handlers[i];
    // Removed, detached or narrowed while the event was under way.
    if (handler->target == nullptr || !handler->Accepts(eventClass, kind))
      continue;
    OpaqueEventHandlerCallRef frame{&dispatch, i, false};
    const OSStatus status = handler->proc(&frame, event, handler->userData);
    if (frame.calledNext || status != eventNotHandledErr)
      return status;
  }
  return plat::toolbox::StandardHandler(event, dispatch.original);
}

void AddTypes(OpaqueEventHandlerRef& handler, ItemCount numTypes, const EventTypeSpec* list) {
  for (ItemCount i = 0; i < numTypes; ++i) {
    if (!handler.Accepts(list[i].eventClass, list[i].eventKind))
      handler.types.push_back(list[i]);
  }
}

OpaqueEventHandlerRef* FindHandler(EventHandlerRef handler) {
  auto it = Handlers().find(handler);
  return it == Handlers().end() ? nullptr : it->second.get();
}

}  // namespace

namespace plat::toolbox {

TargetPtr NewTarget(TargetKind kind, UInt32 owner) {
  auto target = std::make_shared<OpaqueEventTargetRef>();
  target->kind = kind;
  target->owner = owner;
  Targets()[target.get()] = target;
  return target;
}

void DestroyTarget(const TargetPtr& target) {
  if (!target)
    return;
  for (const HandlerPtr& handler : target->handlers)
    handler->target = nullptr;
  target->handlers.clear();
  target->alive = false;
  Targets().erase(target.get());
}

bool IsLiveTarget(EventTargetRef target) {
  return Targets().contains(target);
}

TargetPtr SharedTarget(EventTargetRef target) {
  auto it = Targets().find(target);
  return it == Targets().end() ? nullptr : it->second.lock();
}

TargetPtr ApplicationTarget() {
  static const TargetPtr application = NewTarget(TargetKind::kApplication, 0);
  return application;
}

std::vector<TargetPtr> TargetChain(const TargetPtr& target) {
  std::vector<TargetPtr> chain{target};
  auto addWindow = [&chain](WindowRef ref) {
    if (const Window* window = FindWindow(ref))
      chain.push_back(window->target);
  };
  switch (target->kind) {
    case TargetKind::kControl:
      if (const Control* control = FindControl(ControlRef(target->owner))) {
        addWindow(control->window);
      }
      break;
    case TargetKind::kMenu:
      // The Dock menu belongs to the Dock, not to the window the person is working in.
      if (MenuRef(target->owner) != GetApplicationDockTileMenu()) {
        addWindow(ActiveNonFloatingWindow());
      }
      break;
    case TargetKind::kWindow:
    case TargetKind::kApplication:
      break;
  }
  if (target->kind != TargetKind::kApplication)
    chain.push_back(ApplicationTarget());
  return chain;
}

void ResetHandlers() {
  for (auto& [raw, handler] : Handlers())
    handler->target = nullptr;
  ApplicationTarget()->handlers.clear();
}

}  // namespace plat::toolbox

EventTargetRef GetApplicationEventTarget() {
  return plat::toolbox::ApplicationTarget().get();
}
EventTargetRef GetEventDispatcherTarget() {
  return GetApplicationEventTarget();
}

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) {
  return proc;
}
void DisposeEventHandlerUPP(EventHandlerUPP) {}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP proc, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
  TargetPtr shared = plat::toolbox::SharedTarget(target);
  if (!shared || proc == nullptr || (numTypes > 0 && list == nullptr))
    return paramErr;
  auto handler = std::make_shared<OpaqueEventHandlerRef>();
  handler->proc = proc;
  handler->userData = userData;
  handler->target = shared.get();
  AddTypes(*handler, numTypes, list);
  shared->handlers.insert(shared->handlers.begin(), handler);
  Handlers()[handler.get()] = handler;
  if (outRef != nullptr)
    *outRef = handler.get();
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handlerRef) {
  auto it = Handlers().find(handlerRef);
  if (it == Handlers().end())
    return paramErr;
  HandlerPtr handler = it->second;
  if (handler->target != nullptr) {
    auto& list = handler->target->handlers;
    list.erase(std::remove(list.begin(), list.end(), handler), list.end());
    handler->target = nullptr;
  }
  Handlers().erase(it);
  return noErr;
}

OSStatus AddEventTypesToHandler(EventHandlerRef handlerRef, ItemCount numTypes,
                                const EventTypeSpec* list) {
  OpaqueEventHandlerRef* handler = FindHandler(handlerRef);
  if (handler == nullptr || (numTypes > 0 && list == nullptr))
    return paramErr;
  AddTypes(*handler, numTypes, list);
  return noErr;
}

OSStatus RemoveEventTypesFromHandler(EventHandlerRef handlerRef, ItemCount numTypes,
                                     const EventTypeSpec* list) {
  OpaqueEventHandlerRef* handler = FindHandler(handlerRef);
  if (handler == nullptr || (numTypes > 0 && list == nullptr))
    return paramErr;
  for (ItemCount i = 0; i < numTypes; ++i) {
    std::erase_if(handler->types, [&](const EventTypeSpec& type) {
      return type.eventClass == list[i].eventClass && type.eventKind == list[i].eventKind;
    });
  }
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
  if (callRef == nullptr || event == nullptr)
    return paramErr;
  callRef->calledNext = true;
  return RunFrom(*callRef->dispatch, event, callRef->index + 1);
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target) {
  if (event == nullptr)
    return paramErr;
  TargetPtr shared = plat::toolbox::SharedTarget(target);
  if (!shared)
    return paramErr;
  Dispatch dispatch;
  dispatch.original = shared;
  const UInt32 eventClass = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  for (const TargetPtr& link : plat::toolbox::TargetChain(shared)) {
    for (const HandlerPtr& handler : link->handlers) {
      if (handler->Accepts(eventClass, kind))
        dispatch.handlers.push_back(handler);
    }
  }
  // The event stays alive while it runs, whatever its handlers release.
  RetainEvent(event);
  struct Release {
    EventRef event;
    ~Release() { ReleaseEvent(event); }
  } release{event};
  return RunFrom(dispatch, event, 0);
}

namespace plat {
long LiveEventHandlers() {
  return static_cast<long>(Handlers().size());
}
}  // namespace plat

EventTargetRef GetWindowEventTarget(WindowRef ref) {
  const plat::toolbox::Window* window = plat::toolbox::FindWindow(ref);
  return window == nullptr ? nullptr : window->target.get();
}

EventTargetRef GetControlEventTarget(ControlRef ref) {
  const plat::toolbox::Control* control = plat::toolbox::FindControl(ref);
  return control == nullptr ? nullptr : control->target.get();
}

EventTargetRef GetMenuEventTarget(MenuRef ref) {
  const plat::toolbox::Menu* menu = plat::toolbox::FindMenu(ref);
  return menu == nullptr ? nullptr : menu->target.get();
}
