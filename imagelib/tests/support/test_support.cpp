#include "test_support.h"

#include <cstring>

namespace testing_support {

ImagePtr MakeImage(unsigned width, unsigned height, int bitCount) {
  return ImagePtr(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, width, height, bitCount == 32 ? 4 : 3, 3780,
                                       3780, LANGUAGE_ENGLISH));
}

static std::size_t MemorySize(const ZEMADisplayFCDIB& img) {
  const BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
  std::size_t stride = (static_cast<std::size_t>(h.biWidth) * (h.biBitCount / 8) + 3) & ~std::size_t{3};
  return stride * static_cast<std::size_t>(h.biHeight + 1);
}

void FillRandom(ZEMADisplayFCDIB& img, std::uint32_t seed) {
  Rng rng(seed);
  std::size_t n = MemorySize(img);
  for (std::size_t i = 0; i < n; ++i) img.Bits[i] = static_cast<unsigned char>(rng.Next() >> 24);
}

std::vector<unsigned char> PixelMemory(const ZEMADisplayFCDIB& img) {
  return std::vector<unsigned char>(img.Bits, img.Bits + MemorySize(img));
}

std::vector<unsigned char> PixelAt(const ZEMADisplayFCDIB& img, long x, long y) {
  const BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
  int bpp = h.biBitCount / 8;
  std::size_t stride = (static_cast<std::size_t>(h.biWidth) * bpp + 3) & ~std::size_t{3};
  const unsigned char* p = img.Bits + static_cast<std::size_t>(h.biHeight - 1 - y) * stride + x * bpp;
  return std::vector<unsigned char>(p, p + bpp);
}

}  // namespace testing_support
