// Filling the whole image or the view with one colour (EraseImage).
#include "clip.h"
#include "internal.h"
#include "transfer.h"

#include <cstring>

using namespace pixolan;

void ZEMADisplayFCDIB::EraseImage(tagB_BGRA Color, int WholeImage) {
  if (ErrorCode != ERR_NONE || hBitmap == nullptr) return;
  // A view written out of range by the client is cut to the image.
  Region r;
  if (!ClippedRegion(*this, WholeImage, r)) return;

  // Fill the bottom row of the area pixel by pixel, then copy it to the rows
  // above, upward through memory. Only the pixels are written: a 24-bit
  // row's padding keeps its bytes.
  const int bpp = BytesPerPixel(*this);
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  Byte* first = PixelAddress(*this, r.x, r.y + r.rows - 1);
  const std::size_t rowBytes = static_cast<std::size_t>(r.cols) * static_cast<std::size_t>(bpp);
  if (bpp == 4) {
    const Byte px[4] = {Color.Blue, Color.Green, Color.Red, Color.Alpha};
    const std::uint32_t word = Load32(px);
    for (long i = 0; i < r.cols; ++i) Store32(first + 4 * i, word);
  } else {
    for (long i = 0; i < r.cols; ++i) {
      first[3 * i + 0] = Color.Blue;
      first[3 * i + 1] = Color.Green;
      first[3 * i + 2] = Color.Red;
    }
  }
  Byte* row = first;
  for (long j = 1; j < r.rows; ++j) {
    row += stride;
    std::memcpy(row, first, rowBytes);
  }
}
