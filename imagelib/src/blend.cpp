// Blending one image onto another (PutImage). The pixel loops are kernels
// (kernels.h), one per source depth, destination depth and T = 0 or not,
// picked once per call; their arithmetic is explained in rounding.h.
#include "internal.h"
#include "kernels.h"
#include "transfer.h"

#include <cstring>

using namespace pixolan;

namespace {

// A 24-bit source at T = 0 is a copy: whole rows that lie back to back in
// both memories (between two images of one width without row padding) in
// one piece, others row by row; into 32 bits with alpha 0.
void Copy24(const Kernels& k, Transfer t, bool dst32) {
  if (dst32) {
    for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride) k.widen(t.src, t.dst, t.cols, 0);
    return;
  }
  const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(t.cols) * 3;
  if (t.srcStride == -rowBytes && t.dstStride == -rowBytes) {
    // The strides are negative only between two images: separate memories.
    k.copyBytes(t.src, t.dst, static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(t.rows));
    return;
  }
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride)
    std::memmove(t.dst, t.src, static_cast<std::size_t>(rowBytes));  // one image may be both
}

}  // namespace

int ZEMADisplayFCDIB::PutImage(ZEMADisplayFCDIB* Source, unsigned short Transparency, int WholeImage) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  if (Transparency >= 256) return ErrorCode;
  if (!HasPixels(*Source)) return ErrorCode = ERR_EXTERNAL;
  if (!HasPixels(*this)) return ErrorCode;

  long long sx = 0, sy = 0, n = Width(*Source), m = Height(*Source);
  if (!WholeImage) {
    sx = Source->ViewOrigin.x;
    sy = Source->ViewOrigin.y;
    n = Source->ViewSize.cx;
    m = Source->ViewSize.cy;
  }
  Transfer t;
  if (!PlaceTransfer(*Source, sx, sy, n, m, *this, ViewOrigin.x, ViewOrigin.y, t)) return ErrorCode;
  const Kernels& k = ActiveKernels();
  const bool dst32 = BytesPerPixel(*this) == 4;
  if (BytesPerPixel(*Source) == 4)
    k.put32[dst32][Transparency == 0](t, 256u - Transparency);
  else if (Transparency == 0)
    Copy24(k, t, dst32);
  else
    k.put24[dst32](t, Transparency);
  return ErrorCode;
}
