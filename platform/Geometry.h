// Points, rectangles and regions: the QuickDraw integer forms and the floating-point forms.
#pragma once

#include "platform/MacTypes.h"

// Window-manager coordinates: v (vertical) before h (horizontal), as the event parameters store
// them.
struct Point {
  SInt16 v;
  SInt16 h;
};

struct Rect {
  SInt16 top;
  SInt16 left;
  SInt16 bottom;
  SInt16 right;
};

// Single precision, so the floating-point forms keep the sizes of their event parameters
// (8, 8 and 16 bytes).
using CGFloat = float;

struct CGPoint {
  CGFloat x;
  CGFloat y;
};

struct CGSize {
  CGFloat width;
  CGFloat height;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
};

static_assert(sizeof(Point) == 4 && sizeof(Rect) == 8);
static_assert(sizeof(CGPoint) == 8 && sizeof(CGSize) == 8 && sizeof(CGRect) == 16);

// A region: here always a rectangle (or empty), which is all the program's windows need.
struct OpaqueRgnHandle;
using RgnHandle = OpaqueRgnHandle*;

RgnHandle NewRgn();
void DisposeRgn(RgnHandle region);
void SetRectRgn(RgnHandle region, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void RectRgn(RgnHandle region, const Rect* rect);
Rect* GetRegionBounds(RgnHandle region, Rect* bounds);
Boolean EmptyRgn(RgnHandle region);

namespace plat {
// Regions made by NewRgn and not yet disposed of.
int LiveRegions();
}  // namespace plat
