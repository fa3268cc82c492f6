#include "framework/TNib.h"

TNib::TNib() : nib(nullptr) {}

TNib::TNib(IBNibRef owned) : nib(owned) {}

TNib::TNib(CFStringRef nibName) : nib(nullptr) {
  Init(nibName);
}

TNib::~TNib() {
  if (nib != nullptr)
    DisposeNibReference(nib);
}

OSStatus TNib::Init(IBNibRef owned) {
  if (nib != nullptr && nib != owned)
    DisposeNibReference(nib);
  nib = owned;
  return noErr;
}

OSStatus TNib::Init(CFStringRef nibName) {
  IBNibRef opened = nullptr;
  const OSStatus status = CreateNibReference(nibName, &opened);
  if (status == noErr)
    Init(opened);
  return status;
}

OSStatus TNib::CreateWindow(CFStringRef windowName, WindowRef* outWindow) {
  return CreateWindowFromNib(nib, windowName, outWindow);
}

OSStatus TNib::CreateMenu(CFStringRef menuName, MenuRef* outMenu) {
  return CreateMenuFromNib(nib, menuName, outMenu);
}

OSStatus TNib::CreateMenuBar(CFStringRef menuBarName, Handle* outMenuBar) {
  return CreateMenuBarFromNib(nib, menuBarName, outMenuBar);
}

OSStatus TNib::SetMenuBar(CFStringRef menuBarName) {
  return SetMenuBarFromNib(nib, menuBarName);
}
