// Mirroring in place: left-right, upside-down and both (a half turn).
#include "internal.h"

#include <cstring>

using namespace pixolan;

namespace {

// Pixels move as units of BPP bytes; a 32-bit pixel (alpha included) as one word.
template <int BPP>
inline void SwapPixels(unsigned char* a, unsigned char* b) {
  unsigned char ta[BPP], tb[BPP];
  std::memcpy(ta, a, BPP);
  std::memcpy(tb, b, BPP);
  std::memcpy(a, tb, BPP);
  std::memcpy(b, ta, BPP);
}

// Exchanges `pairs` pixels walking `front` to the right and `back` to the left.
template <int BPP>
inline void SwapRun(unsigned char* front, unsigned char* back, std::size_t pairs) {
  for (; pairs != 0; --pairs, front += BPP, back -= BPP) SwapPixels<BPP>(front, back);
}

template <int BPP>
void MirrorRows(const Region& r, std::ptrdiff_t stride) {
  const std::size_t cols = static_cast<std::size_t>(r.cols);
  unsigned char* row = r.first;
  for (std::size_t y = static_cast<std::size_t>(r.rows); y != 0; --y, row -= stride)
    SwapRun<BPP>(row, row + (cols - 1) * BPP, cols >> 1);
}

template <int BPP>
void HalfTurn(const Region& r, std::ptrdiff_t stride) {
  const std::size_t cols = static_cast<std::size_t>(r.cols);
  const std::size_t rows = static_cast<std::size_t>(r.rows);
  unsigned char* front = r.first;
  unsigned char* back = r.first + (cols - 1) * BPP - static_cast<std::ptrdiff_t>(rows - 1) * stride;
  for (std::size_t y = rows >> 1; y != 0; --y, front -= stride, back += stride) SwapRun<BPP>(front, back, cols);
  if (rows & 1) SwapRun<BPP>(front, back, cols >> 1);  // the middle row mirrors onto itself
}

// The region of a healthy image, or nothing to do. Only a view written
// without normalising can be empty, and only an image whose failure code a
// client cleared lacks pixel memory; the unsigned loops below see neither.
bool Workable(const ZEMADisplayFCDIB& img, int wholeImage, Region& r) {
  if (img.ErrorCode != ERR_NONE || img.Bits == nullptr) return false;
  r = SelectRegion(img, wholeImage);
  return r.cols > 0 && r.rows > 0;
}

}  // namespace

int ZEMADisplayFCDIB::TurnImage(int Direction, int WholeImage) {
  switch (Direction & 3) {
    case 1: return TurnImageLR(WholeImage);
    case 2: return TurnImageUD(WholeImage);
    case 3: return TurnImageUDLR(WholeImage);
    default: return ErrorCode;
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
  unsigned char* spare = Bits + static_cast<std::ptrdiff_t>(pixolan::Height(*this)) * stride;
  unsigned char* top = r.first;
  unsigned char* bottom = r.first - static_cast<std::ptrdiff_t>(r.rows - 1) * stride;
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
    HalfTurn<3>(r, stride);
  else
    HalfTurn<4>(r, stride);
  return ErrorCode;
}
