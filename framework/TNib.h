// Owns one nib reference and builds windows, menus and menu bars from it.
#pragma once

#include "platform/Nibs.h"

class TNib {
 public:
  TNib();
  // Takes ownership of `nib`.
  explicit TNib(IBNibRef nib);
  // Opens the nib of that name in the main bundle; stays empty when it cannot.
  explicit TNib(CFStringRef nibName);
  ~TNib();
  TNib(const TNib&) = delete;
  TNib& operator=(const TNib&) = delete;

  // Both take the place of a reference already held, which is disposed of.
  OSStatus Init(IBNibRef nib);
  OSStatus Init(CFStringRef nibName);

  OSStatus CreateWindow(CFStringRef windowName, WindowRef* outWindow);
  OSStatus CreateMenu(CFStringRef menuName, MenuRef* outMenu);
  OSStatus CreateMenuBar(CFStringRef menuBarName, Handle* outMenuBar);
  OSStatus SetMenuBar(CFStringRef menuBarName);

  operator IBNibRef() const { return nib; }

 private:
  IBNibRef nib;
};
