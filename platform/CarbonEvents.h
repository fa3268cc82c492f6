// The event manager: events with a class, a kind, a time, attributes and typed parameters;
// event targets (the application, each window, control and menu) with chains of handlers; the
// main event queue and the application event loop.
//
// Sending an event runs the handlers of its target, most recently installed first, then those of
// the targets it travels on to (control -> window -> application; menu -> application) and finally
// the platform's standard handler. A handler answers noErr when it took the event and
// eventNotHandledErr to let it go on; CallNextEventHandler runs the rest of the chain from inside a
// handler. Everything runs on the main thread.
#pragma once

#include "platform/Clock.h"
#include "platform/Geometry.h"
#include "platform/MacTypes.h"
#include "platform/ToolboxRefs.h"

struct OpaqueEventRef;
struct OpaqueEventTargetRef;
struct OpaqueEventHandlerRef;
struct OpaqueEventHandlerCallRef;
struct OpaqueEventQueueRef;
struct OpaqueDragRef;
using EventRef = OpaqueEventRef*;
using EventTargetRef = OpaqueEventTargetRef*;
using EventHandlerRef = OpaqueEventHandlerRef*;
using EventHandlerCallRef = OpaqueEventHandlerCallRef*;
using EventQueueRef = OpaqueEventQueueRef*;
using DragRef = OpaqueDragRef*;

using EventParamName = OSType;
using EventParamType = OSType;
using EventAttributes = UInt32;
using EventPriority = SInt16;
using ControlPartCode = SInt16;

struct EventTypeSpec {
  UInt32 eventClass;
  UInt32 eventKind;
};

using EventHandlerProcPtr = OSStatus (*)(EventHandlerCallRef callRef, EventRef event,
                                         void* userData);
using EventHandlerUPP = EventHandlerProcPtr;

// Event classes.
constexpr UInt32 kEventClassMouse = FourCC("mous");
constexpr UInt32 kEventClassKeyboard = FourCC("keyb");
constexpr UInt32 kEventClassTextInput = FourCC("text");
constexpr UInt32 kEventClassApplication = FourCC("appl");
constexpr UInt32 kEventClassMenu = FourCC("menu");
constexpr UInt32 kEventClassWindow = FourCC("wind");
constexpr UInt32 kEventClassControl = FourCC("cntl");
constexpr UInt32 kEventClassCommand = FourCC("cmds");
constexpr UInt32 kEventClassSystem = FourCC("macs");

// Keyboard kinds.
constexpr UInt32 kEventRawKeyDown = 1;
constexpr UInt32 kEventRawKeyRepeat = 2;
constexpr UInt32 kEventRawKeyUp = 3;
constexpr UInt32 kEventHotKeyPressed = 5;
constexpr UInt32 kEventHotKeyReleased = 6;

// Application kinds.
constexpr UInt32 kEventAppShown = 108;

// Menu kinds.
constexpr UInt32 kEventMenuPopulate = 9;

// Window kinds.
constexpr UInt32 kEventWindowDrawContent = 2;
constexpr UInt32 kEventWindowActivated = 5;
constexpr UInt32 kEventWindowDeactivated = 6;
constexpr UInt32 kEventWindowBoundsChanged = 27;
constexpr UInt32 kEventWindowClose = 72;
constexpr UInt32 kEventWindowGetIdealSize = 80;
constexpr UInt32 kEventWindowGetMinimumSize = 81;
constexpr UInt32 kEventWindowGetMaximumSize = 82;
// Sent to a window's handlers just before the window is destroyed; after it the window's handle
// is no longer valid.
constexpr UInt32 kEventWindowDisposed = 1005;

// Control kinds.
constexpr UInt32 kEventControlHit = 1;
// A person's click on a control: the standard handler tracks it (flips a checkbox, chooses a
// popup item, presses a button) and reports kEventControlHit.
constexpr UInt32 kEventControlClick = 13;

// Command kinds.
constexpr UInt32 kEventCommandProcess = 1;
constexpr UInt32 kEventCommandUpdateStatus = 2;

// System kinds.
constexpr UInt32 kEventSystemUserSessionActivated = 10;
constexpr UInt32 kEventSystemUserSessionDeactivated = 11;

// Parameter names.
constexpr EventParamName kEventParamDirectObject = FourCC("----");
constexpr EventParamName kEventParamPostTarget = FourCC("ptrg");
constexpr EventParamName kEventParamKeyCode = FourCC("kcod");
constexpr EventParamName kEventParamKeyMacCharCodes = FourCC("kchr");
constexpr EventParamName kEventParamKeyModifiers = FourCC("kmod");
constexpr EventParamName kEventParamAttributes = FourCC("attr");
constexpr EventParamName kEventParamDimensions = FourCC("dims");
constexpr EventParamName kEventParamOriginalBounds = FourCC("obnd");
constexpr EventParamName kEventParamPreviousBounds = FourCC("prct");
constexpr EventParamName kEventParamCurrentBounds = FourCC("crct");
constexpr EventParamName kEventParamControlPart = FourCC("cprt");
constexpr EventParamName kEventParamMenuItemIndex = FourCC("item");

// Parameter types.
constexpr EventParamType typeWildCard = FourCC("****");
constexpr EventParamType typeBoolean = FourCC("bool");
constexpr EventParamType typeChar = FourCC("TEXT");
constexpr EventParamType typeUInt32 = FourCC("magn");
constexpr EventParamType typeSInt32 = FourCC("long");
constexpr EventParamType typeQDPoint = FourCC("QDpt");
constexpr EventParamType typeHIPoint = FourCC("hipt");
constexpr EventParamType typeQDRectangle = FourCC("qdrt");
constexpr EventParamType typeHIRect = FourCC("hirc");
constexpr EventParamType typeHISize = FourCC("hisz");
constexpr EventParamType typeQDRgnHandle = FourCC("rgnh");
constexpr EventParamType typeWindowRef = FourCC("wind");
constexpr EventParamType typeControlRef = FourCC("ctrl");
constexpr EventParamType typeMenuRef = FourCC("menu");
constexpr EventParamType typeDragRef = FourCC("drag");
constexpr EventParamType typeHICommand = FourCC("hcmd");
constexpr EventParamType typeControlPartCode = FourCC("cprt");
constexpr EventParamType typeEventHotKeyID = FourCC("hkid");
constexpr EventParamType typeEventTargetRef = FourCC("etrg");
constexpr EventParamType typeMenuItemIndex = FourCC("midx");

// A parameter stored with one type and asked for with another.
constexpr OSStatus errAECoercionFail = -1700;

// Event attributes.
constexpr EventAttributes kEventAttributeNone = 0;
constexpr EventAttributes kEventAttributeUserEvent = 1;

// Queue priorities: higher ones are delivered first.
constexpr EventPriority kEventPriorityLow = 0;
constexpr EventPriority kEventPriorityStandard = 1;
constexpr EventPriority kEventPriorityHigh = 2;

// Attributes of kEventWindowBoundsChanged.
constexpr UInt32 kWindowBoundsChangeUserDrag = 1u << 0;
constexpr UInt32 kWindowBoundsChangeUserResize = 1u << 1;
constexpr UInt32 kWindowBoundsChangeSizeChanged = 1u << 2;
constexpr UInt32 kWindowBoundsChangeOriginChanged = 1u << 3;

// Commands.
constexpr UInt32 kHICommandOK = FourCC("ok  ");
constexpr UInt32 kHICommandCancel = FourCC("not!");
constexpr UInt32 kHICommandQuit = FourCC("quit");
constexpr UInt32 kHICommandClose = FourCC("clos");
constexpr UInt32 kHICommandPreferences = FourCC("pref");

// Where a command came from (HICommand attributes).
constexpr UInt32 kHICommandFromMenu = 1u << 0;
constexpr UInt32 kHICommandFromControl = 1u << 1;
constexpr UInt32 kHICommandFromWindow = 1u << 2;

// The command record of kEventClassCommand events. Packed: both forms are 14 bytes, the size of
// their event parameter.
#pragma pack(push, 2)
struct HICommand {
  UInt32 attributes;
  UInt32 commandID;
  struct {
    MenuRef menuRef;
    MenuItemIndex menuItemIndex;
  } menu;
};

struct HICommandExtended {
  UInt32 attributes;
  UInt32 commandID;
  union {
    ControlRef control;
    WindowRef window;
    struct {
      MenuRef menuRef;
      MenuItemIndex menuItemIndex;
    } menu;
  } source;
};
#pragma pack(pop)
static_assert(sizeof(HICommand) == 14 && sizeof(HICommandExtended) == 14);

// The identity of a global hot key: the signature and id it was registered with.
struct EventHotKeyID {
  OSType signature;
  UInt32 id;
};

// Events.
OSStatus CreateEvent(const void* allocator, UInt32 eventClass, UInt32 kind, EventTime when,
                     EventAttributes flags, EventRef* outEvent);
// A new event with the same class, kind, time, attributes and parameters.
EventRef CopyEvent(EventRef event);
EventRef RetainEvent(EventRef event);
// Releasing null does nothing.
void ReleaseEvent(EventRef event);
UInt32 GetEventRetainCount(EventRef event);
UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
EventTime GetEventTime(EventRef event);
OSStatus SetEventTime(EventRef event, EventTime time);

// Stores a copy of `size` bytes at `data` as parameter `name` of type `type`.
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data);
// Copies at most `bufferSize` bytes of parameter `name` to `outData` (when not null).
// `desiredType` must be the stored type or typeWildCard; `outActualType` and `outActualSize`
// (each may be null) receive the stored type and full size. eventParameterNotFoundErr when the
// event has no such parameter.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize,
                           ByteCount* outActualSize, void* outData);
OSStatus RemoveEventParameter(EventRef event, EventParamName name);

// Targets.
EventTargetRef GetApplicationEventTarget();
EventTargetRef GetWindowEventTarget(WindowRef window);
EventTargetRef GetControlEventTarget(ControlRef control);
EventTargetRef GetMenuEventTarget(MenuRef menu);
// Where queued events without a kEventParamPostTarget go: the application.
EventTargetRef GetEventDispatcherTarget();

// Handlers.
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc);
void DisposeEventHandlerUPP(EventHandlerUPP proc);
// Installs `handler` on `target` in front of the handlers already there, for the `numTypes`
// event types of `list`.
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
// A handler stays valid until it is removed, even when its target is destroyed first (it then
// receives nothing more).
OSStatus RemoveEventHandler(EventHandlerRef handler);
OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes,
                                const EventTypeSpec* list);
OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes,
                                     const EventTypeSpec* list);
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);

inline OSStatus InstallApplicationEventHandler(EventHandlerUPP handler, ItemCount numTypes,
                                               const EventTypeSpec* list, void* userData,
                                               EventHandlerRef* outRef) {
  return InstallEventHandler(GetApplicationEventTarget(), handler, numTypes, list, userData,
                             outRef);
}
inline OSStatus InstallWindowEventHandler(WindowRef window, EventHandlerUPP handler,
                                          ItemCount numTypes, const EventTypeSpec* list,
                                          void* userData, EventHandlerRef* outRef) {
  return InstallEventHandler(GetWindowEventTarget(window), handler, numTypes, list, userData,
                             outRef);
}
inline OSStatus InstallControlEventHandler(ControlRef control, EventHandlerUPP handler,
                                           ItemCount numTypes, const EventTypeSpec* list,
                                           void* userData, EventHandlerRef* outRef) {
  return InstallEventHandler(GetControlEventTarget(control), handler, numTypes, list, userData,
                             outRef);
}

// Sends `event` through `target`'s chain now and returns the answer of the chain; may be called
// from inside a handler (the event then runs nested).
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);

// The main event queue. A posted event is retained by the queue and delivered from the run loop
// (to its kEventParamPostTarget, else to the application), in priority order, then released.
EventQueueRef GetMainEventQueue();
EventQueueRef GetCurrentEventQueue();
OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority);
OSStatus RemoveEventFromQueue(EventQueueRef queue, EventRef event);
ItemCount GetNumEventsInQueue(EventQueueRef queue);
Boolean IsEventInQueue(EventQueueRef queue, EventRef event);

// Runs the main run loop (timers, device sources, queued events) until QuitApplicationEventLoop.
// A quit asked for while the loop is not running ends its next run at once. On the virtual
// clock the loop also returns when nothing could ever happen any more.
void RunApplicationEventLoop();
void QuitApplicationEventLoop();

namespace plat {
// Events created and not yet released.
long LiveEvents();
// Handlers installed and not yet removed.
long LiveEventHandlers();
// The attributes an event was created with.
EventAttributes EventAttributesOf(EventRef event);
// Back to a fresh toolbox for the next test: disposes of every window, menu and queued event,
// clears the menu bar, the Dock menu, the hot keys and any pending quit, and detaches every
// handler (handlers still owned by someone stay valid for their RemoveEventHandler).
void ResetToolbox();
}  // namespace plat
