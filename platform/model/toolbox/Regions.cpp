// Regions, kept as their bounding rectangles.
#include "platform/Geometry.h"

struct OpaqueRgnHandle {
  Rect bounds{0, 0, 0, 0};
};

namespace {
int liveRegions = 0;
}

RgnHandle NewRgn() {
  ++liveRegions;
  return new OpaqueRgnHandle;
}

void DisposeRgn(RgnHandle region) {
  if (region == nullptr)
    return;
  delete region;
  --liveRegions;
}

void SetRectRgn(RgnHandle region, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  if (region == nullptr)
    return;
  // An empty or inverted rectangle makes the empty region.
  region->bounds =
      (right <= left || bottom <= top) ? Rect{0, 0, 0, 0} : Rect{top, left, bottom, right};
}

void RectRgn(RgnHandle region, const Rect* rect) {
  if (region == nullptr || rect == nullptr)
    return;
  SetRectRgn(region, rect->left, rect->top, rect->right, rect->bottom);
}

Rect* GetRegionBounds(RgnHandle region, Rect* bounds) {
  if (bounds == nullptr)
    return nullptr;
  *bounds = region == nullptr ? Rect{0, 0, 0, 0} : region->bounds;
  return bounds;
}

Boolean EmptyRgn(RgnHandle region) {
  return region == nullptr || region->bounds.right <= region->bounds.left ||
         region->bounds.bottom <= region->bounds.top;
}

namespace plat {
int LiveRegions() {
  return liveRegions;
}
}  // namespace plat
