#include "framework/TEventHandler.h"

#include "framework/TCarbonEvent.h"

EventHandlerUPP TEventHandler::sHandlerProc = nullptr;

TEventHandler::TEventHandler() : handler(nullptr) {}

TEventHandler::~TEventHandler() {
  if (handler != nullptr)
    RemoveEventHandler(handler);
}

EventHandlerRef TEventHandler::GetEventHandler() {
  if (handler == nullptr) {
    // Installed with no event types: RegisterForEvents adds them. A failed installation leaves
    // the field empty, and the platform reports it to the call that follows.
    InstallEventHandler(GetEventTarget(), GetEventHandlerProc(), 0, nullptr, this, &handler);
  }
  return handler;
}

OSStatus TEventHandler::RegisterForEvents(UInt32 numEvents, const EventTypeSpec* list) {
  return AddEventTypesToHandler(GetEventHandler(), numEvents, list);
}

OSStatus TEventHandler::UnregisterForEvents(UInt32 numEvents, const EventTypeSpec* list) {
  return RemoveEventTypesFromHandler(GetEventHandler(), numEvents, list);
}

EventHandlerUPP TEventHandler::GetEventHandlerProc() {
  if (sHandlerProc == nullptr)
    sHandlerProc = NewEventHandlerUPP(EventHandler);
  return sHandlerProc;
}

OSStatus TEventHandler::EventHandler(EventHandlerCallRef callRef, EventRef event, void* userData) {
  // The wrapper holds the event while the object handles it, and lets go of it on every way out.
  TCarbonEvent wrapper(event);
  return static_cast<TEventHandler*>(userData)->HandleEvent(callRef, wrapper);
}
