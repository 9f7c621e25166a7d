// Moving a rectangle of pixels from one image to another (or within one):
// where it lands, clipped to both images, and the word access the loops use.
#pragma once

#include "internal.h"
#include "kernels.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pixolan {

// Places the source rectangle (sx, sy, n, m) at (dx, dy) of the destination
// and clips it so that every pixel read and written lies inside its image.
// A valid view never needs more than the right and bottom clip against the
// destination; the rest only guards against views that a client wrote out of
// range. Returns false when nothing is left.
inline bool PlaceTransfer(const ZEMADisplayFCDIB& src, long long sx, long long sy, long long n, long long m,
                          const ZEMADisplayFCDIB& dst, long long dx, long long dy, Transfer& t) {
  auto clip = [](long long& s, long long& d, long long& extent, long long sLimit, long long dLimit) {
    if (s < 0) {
      d -= s;
      extent += s;
      s = 0;
    }
    if (d < 0) {
      s -= d;
      extent += d;
      d = 0;
    }
    if (extent > sLimit - s) extent = sLimit - s;
    if (extent > dLimit - d) extent = dLimit - d;
  };
  clip(sx, dx, n, Width(src), Width(dst));
  clip(sy, dy, m, Height(src), Height(dst));
  if (n <= 0 || m <= 0) return false;
  t.cols = static_cast<long>(n);
  t.rows = static_cast<long>(m);
  if (&src == &dst) {
    // Within one image the rows go from the top down, as the source is read.
    t.src = PixelAddress(src, static_cast<long>(sx), static_cast<long>(sy));
    t.srcStride = static_cast<std::ptrdiff_t>(Stride(src));
    t.dst = PixelAddress(dst, static_cast<long>(dx), static_cast<long>(dy));
    t.dstStride = static_cast<std::ptrdiff_t>(Stride(dst));
  } else {
    // Between two images the order is free: bottom row first walks both
    // memories upward, which the memory system streams far better.
    t.src = PixelAddress(src, static_cast<long>(sx), static_cast<long>(sy + m - 1));
    t.srcStride = -static_cast<std::ptrdiff_t>(Stride(src));
    t.dst = PixelAddress(dst, static_cast<long>(dx), static_cast<long>(dy + m - 1));
    t.dstStride = -static_cast<std::ptrdiff_t>(Stride(dst));
  }
  return true;
}

inline bool HasPixels(const ZEMADisplayFCDIB& img) { return img.hBitmap != nullptr && img.Bits != nullptr; }

inline std::uint32_t Load32(const Byte* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(Byte* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace pixolan
