// Mirroring in place: left-right, upside-down and both (a half turn).
#include "clip.h"
#include "kernels.h"

#include <cstring>

using namespace pixolan;

namespace {

template <int BPP>
void MirrorRows(const Region& r, std::ptrdiff_t stride) {
  const auto swapRun = ActiveKernels().swapRun[BPP == 4];
  const std::size_t cols = static_cast<std::size_t>(r.cols);
  unsigned char* row = r.first;
  for (std::size_t y = static_cast<std::size_t>(r.rows); y != 0; --y, row -= stride)
    swapRun(row, row + (cols - 1) * BPP, cols >> 1);
}

template <int BPP>
void HalfTurn(const ZEMADisplayFCDIB& img, const Region& r, std::ptrdiff_t stride) {
  const auto swapRun = ActiveKernels().swapRun[BPP == 4];
  const std::size_t cols = static_cast<std::size_t>(r.cols);
  const std::size_t rows = static_cast<std::size_t>(r.rows);
  unsigned char* front = r.first;
  unsigned char* back = PixelAddress(img, r.x + r.cols - 1, r.y + r.rows - 1);
  for (std::size_t y = rows >> 1; y != 0; --y, front -= stride, back += stride) swapRun(front, back, cols);
  if (rows & 1) swapRun(front, back, cols >> 1);  // the middle row mirrors onto itself
}

// The region of a healthy image (the part of the view inside the bitmap),
// or false when there is nothing to do.
bool Workable(const ZEMADisplayFCDIB& img, int wholeImage, Region& r) {
  return img.ErrorCode == ERR_NONE && ClippedRegion(img, wholeImage, r);
}

}  // namespace

int ZEMADisplayFCDIB::TurnImage(int Direction, int WholeImage) {
  switch (Direction & 3) {
    case 1:
      return TurnImageLR(WholeImage);
    case 2:
      return TurnImageUD(WholeImage);
    case 3:
      return TurnImageUDLR(WholeImage);
    default:
      return ErrorCode;
  }
}

int ZEMADisplayFCDIB::TurnImageLR(int WholeImage) {
  Region r;
  if (!Workable(*this, WholeImage, r)) return ErrorCode;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  if (BytesPerPixel(*this) == 3)
    MirrorRows<3>(r, stride);
  else
    MirrorRows<4>(r, stride);
  return ErrorCode;
}

int ZEMADisplayFCDIB::TurnImageUD(int WholeImage) {
  Region r;
  if (!Workable(*this, WholeImage, r)) return ErrorCode;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  const std::size_t length = static_cast<std::size_t>(r.cols) * static_cast<std::size_t>(BytesPerPixel(*this));
  // Rows are exchanged through the spare row behind the top row, so nothing
  // is allocated; only the region's own columns are copied.
  unsigned char* spare = Row(*this, -1);
  unsigned char* top = r.first;
  unsigned char* bottom = PixelAddress(*this, r.x, r.y + r.rows - 1);
  for (std::size_t n = static_cast<std::size_t>(r.rows) >> 1; n != 0; --n, top -= stride, bottom += stride) {
    std::memcpy(spare, top, length);
    std::memcpy(top, bottom, length);
    std::memcpy(bottom, spare, length);
  }
  return ErrorCode;
}

int ZEMADisplayFCDIB::TurnImageUDLR(int WholeImage) {
  Region r;
  if (!Workable(*this, WholeImage, r)) return ErrorCode;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  if (BytesPerPixel(*this) == 3)
    HalfTurn<3>(*this, r, stride);
  else
    HalfTurn<4>(*this, r, stride);
  return ErrorCode;
}
