// The main event queue and the application event loop, both on the main run loop: each posted
// event is delivered by run-loop work, so queued events and timers run in time order.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/model/toolbox/ToolboxModel.h"

struct OpaqueEventQueueRef {};

namespace {

OpaqueEventQueueRef mainQueue;

struct QueuedEvent {
  EventRef event;  // one reference held by the queue
  EventPriority priority;
  std::uint64_t order;
};
std::vector<QueuedEvent> queued;
std::uint64_t nextOrder = 0;

bool quitRequested = false;
int loopDepth = 0;
plat::Front* installedFront = nullptr;

std::vector<QueuedEvent>::iterator Find(EventRef event) {
  return std::find_if(queued.begin(), queued.end(),
                      [event](const QueuedEvent& entry) { return entry.event == event; });
}

// Delivers the queued event of highest priority, the oldest among equals.
void DeliverNext() {
  if (queued.empty())
    return;
  auto next = std::min_element(queued.begin(), queued.end(), [](const auto& a, const auto& b) {
    return a.priority != b.priority ? a.priority > b.priority : a.order < b.order;
  });
  EventRef event = next->event;
  queued.erase(next);
  EventTargetRef target = GetEventDispatcherTarget();
  EventTargetRef postTarget = nullptr;
  if (GetEventParameter(event, kEventParamPostTarget, typeEventTargetRef, nullptr,
                        sizeof postTarget, nullptr, &postTarget) == noErr) {
    // An event posted to a target that has gone since is dropped, not sent elsewhere.
    target = plat::toolbox::IsLiveTarget(postTarget) ? postTarget : nullptr;
  }
  if (target != nullptr)
    SendEventToEventTarget(event, target);
  ReleaseEvent(event);
}

}  // namespace

EventQueueRef GetMainEventQueue() {
  return &mainQueue;
}
EventQueueRef GetCurrentEventQueue() {
  return &mainQueue;
}

OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority) {
  if (queue != &mainQueue || event == nullptr)
    return paramErr;
  if (Find(event) != queued.end())
    return eventAlreadyPostedErr;
  queued.push_back(QueuedEvent{RetainEvent(event), priority, nextOrder++});
  plat::RunLoop::Main().Post(DeliverNext);
  return noErr;
}

OSStatus RemoveEventFromQueue(EventQueueRef queue, EventRef event) {
  if (queue != &mainQueue)
    return paramErr;
  auto it = Find(event);
  if (it == queued.end())
    return eventNotInQueueErr;
  queued.erase(it);
  ReleaseEvent(event);
  return noErr;
}

ItemCount GetNumEventsInQueue(EventQueueRef queue) {
  return queue == &mainQueue ? queued.size() : 0;
}

Boolean IsEventInQueue(EventQueueRef queue, EventRef event) {
  return queue == &mainQueue && Find(event) != queued.end();
}

void RunApplicationEventLoop() {
  if (!quitRequested) {
    // The front comes up with the outermost loop only.
    plat::Front* const front = loopDepth == 0 ? installedFront : nullptr;
    ++loopDepth;
    if (front != nullptr)
      front->Start();
    // A front may quit at once (nothing to read).
    if (!quitRequested)
      plat::RunLoop::Main().RunUntil(plat::kForever);
    if (front != nullptr)
      front->Stop();
    --loopDepth;
  }
  quitRequested = false;
}

void QuitApplicationEventLoop() {
  quitRequested = true;
  if (loopDepth > 0)
    plat::RunLoop::Main().Stop();
}

namespace plat {
void InstallFront(Front* front) {
  installedFront = front;
}
Front* InstalledFront() {
  return installedFront;
}
}  // namespace plat

namespace plat::toolbox {
void ResetEventQueue() {
  for (const QueuedEvent& entry : queued)
    ReleaseEvent(entry.event);
  queued.clear();
  quitRequested = false;
}
}  // namespace plat::toolbox
