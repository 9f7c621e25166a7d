// The channel-masked copy (CopyImage). Whole pixels of one depth are row
// copies, between depths row conversions; any other mask merges the kept
// channels back (kernels.h), the loop picked once per call.
#include "internal.h"
#include "kernels.h"
#include "transfer.h"

#include <cstring>

using namespace pixolan;

int ZEMADisplayFCDIB::CopyImage(ZEMADisplayFCDIB* Source, int KeepMask) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  // A source that failed before its pixel memory existed has nothing to read.
  if (!HasPixels(*Source)) return ErrorCode = ERR_EXTERNAL;
  const unsigned mask = static_cast<unsigned>(KeepMask);
  if (mask > 15 || !HasPixels(*this)) return ErrorCode;

  Transfer t;
  if (!PlaceTransfer(*Source, Source->ViewOrigin.x, Source->ViewOrigin.y, Source->ViewSize.cx, Source->ViewSize.cy,
                     *this, ViewOrigin.x, ViewOrigin.y, t))
    return ErrorCode;
  const Kernels& k = ActiveKernels();
  const int sb = BytesPerPixel(*Source), db = BytesPerPixel(*this);
  // The alpha bit has nothing to keep in a 24-bit destination.
  const unsigned keep = db == 3 ? mask & 7 : mask;
  if (keep == (db == 3 ? 7u : 15u)) return ErrorCode;  // every channel kept
  if (keep != 0) {
    k.copyKeeping[sb == 4][db == 4](t, keep);
    return ErrorCode;
  }
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride) {
    if (sb == db)
      std::memmove(t.dst, t.src,
                   static_cast<std::size_t>(t.cols) * static_cast<std::size_t>(sb));  // one image may be both
    else if (sb == 3)
      k.widen(t.src, t.dst, t.cols, 0xFF);
    else
      k.narrow(t.src, t.dst, t.cols);
  }
  return ErrorCode;
}
