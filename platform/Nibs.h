// Interface descriptions ("nibs") from the application bundle: windows, menus and menu bars
// built by name. The file format is described in docs/nib-format.md.
//
// A nib that cannot be used (missing, not valid, naming an unknown control kind) and an object
// that a nib lacks give an error status and one line on stderr naming the file and the problem.
#pragma once

#include "platform/CoreFoundation.h"
#include "platform/MacTypes.h"
#include "platform/ToolboxRefs.h"

struct OpaqueIBNibRef;
using IBNibRef = OpaqueIBNibRef*;

// Opens "<nibName>.nib" of the main bundle; kIBCarbonRuntimeCantFindNibFile when it is missing
// or cannot be read as a nib.
OSStatus CreateNibReference(CFStringRef nibName, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef nibRef);
// kIBCarbonRuntimeCantFindObject when the nib has no object of that name,
// kIBCarbonRuntimeObjectNotOfRequestedType when it has one of another sort.
OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef name, WindowRef* outWindow);
OSStatus CreateMenuFromNib(IBNibRef nibRef, CFStringRef name, MenuRef* outMenu);
OSStatus CreateMenuBarFromNib(IBNibRef nibRef, CFStringRef name, Handle* outMenuBar);
OSStatus SetMenuBarFromNib(IBNibRef nibRef, CFStringRef name);

namespace plat {
// Nib references opened and not yet disposed of.
int LiveNibReferences();
}  // namespace plat
