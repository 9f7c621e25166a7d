// Regions of the whole bitmap or the view, kept inside the pixel memory.
//
// The library's own view operations always leave a valid view, but the
// members are public and a client may write any values into them. The
// in-place operations therefore work on the part of the region that lies
// inside the bitmap; one that needs the exact rectangle asks RectInside.
#pragma once

#include "internal.h"

namespace pixolan {

// The view's rectangle cut to the bitmap; an extent is 0 where nothing of
// the view lies inside in that direction.
struct ViewRect {
  long x = 0, y = 0, cols = 0, rows = 0;
};
inline ViewRect ViewInside(const ZEMADisplayFCDIB& img) {
  const long long w = Width(img), h = Height(img);
  long long x0 = img.ViewOrigin.x, y0 = img.ViewOrigin.y;
  long long x1 = x0 + img.ViewSize.cx, y1 = y0 + img.ViewSize.cy;
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > w) x1 = w;
  if (y1 > h) y1 = h;
  ViewRect r;
  r.x = static_cast<long>(x0);
  r.y = static_cast<long>(y0);
  r.cols = x1 > x0 ? static_cast<long>(x1 - x0) : 0;
  r.rows = y1 > y0 ? static_cast<long>(y1 - y0) : 0;
  return r;
}

// The whole bitmap (non-zero wholeImage) or the part of the view inside it.
// Returns false when nothing of it is left.
inline bool ClippedRegion(const ZEMADisplayFCDIB& img, int wholeImage, Region& r) {
  if (img.Bits == nullptr) return false;  // only a failed image whose code a client cleared
  if (wholeImage) {
    r = Region{Row(img, 0), 0, 0, Width(img), Height(img)};
    return true;
  }
  const ViewRect v = ViewInside(img);
  if (v.cols == 0 || v.rows == 0) return false;
  r = Region{PixelAddress(img, v.x, v.y), v.x, v.y, v.cols, v.rows};
  return true;
}

// Whether the rectangle (x, y, w, h) is at least one pixel and lies wholly
// inside the bitmap.
inline bool RectInside(const ZEMADisplayFCDIB& img, long long x, long long y, long long w, long long h) {
  return img.Bits != nullptr && x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= Width(img) && y + h <= Height(img);
}

}  // namespace pixolan
