// The header side of BMP reading: the checks a header passes before anything
// is allocated for it, and the image header that ColorType makes of it.
#include "bmp_loader.h"

using namespace pixolan;

namespace pixolan {

int AdoptSourceHeader(ZEMADisplayFCDIB& img, const BITMAPINFOHEADER& source, int colorType) {
  BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
  h = source;
  if (colorType == 3)
    h.biBitCount = 24;
  else if (colorType == 4)
    h.biBitCount = 32;
  else
    h.biBitCount = source.biBitCount <= 24 ? 24 : 32;
  if (LoadBMP::CheckHeader(source, h.biBitCount / 8u) != ERR_NONE) return img.ErrorCode = ERR_BMP_FORMAT;
  img.Position = POINT{0, 0};
  img.ViewOrigin = POINT{0, 0};
  img.ViewSize = SIZE{source.biWidth, source.biHeight};
  return ERR_NONE;
}

}  // namespace pixolan

std::uint64_t LoadBMP::SourceRowBytes(unsigned bitCount, std::int64_t width) {
  if (width < 1) return 0;
  const std::uint64_t w = static_cast<std::uint64_t>(width);
  switch (bitCount) {  // the bytes a row's pixels fill, padded as an image row is
    case 1:
      return StrideOf((w + 7) >> 3, 1);
    case 4:
      return StrideOf((w + 1) >> 1, 1);
    case 8:
      return StrideOf(w, 1);
    case 24:
      return StrideOf(w, 3);
    case 32:
      return StrideOf(w, 4);
    default:
      return 0;
  }
}

int LoadBMP::CheckHeader(const BITMAPINFOHEADER& header, unsigned imageBytesPerPixel) {
  const std::int64_t w = header.biWidth;
  if (w < 1) return ERR_BMP_FORMAT;  // the row loaders need at least one pixel per row
  std::int64_t h = AbsHeight(header);
  if (h == 0) h = 1;
  if (!PixelMemoryFits(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(h), imageBytesPerPixel))
    return ERR_BMP_FORMAT;
  if (SourceRowBytes(header.biBitCount, w) > kMaxPixelBytes) return ERR_BMP_FORMAT;
  return ERR_NONE;
}
