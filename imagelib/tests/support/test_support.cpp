#include "test_support.h"

#include <cstring>

namespace testing_support {

ImagePtr MakeImage(unsigned width, unsigned height, int bitCount) {
  return ImagePtr(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, width, height, bitCount == 32 ? 4 : 3, 3780,
                                       3780, LANGUAGE_ENGLISH));
}

static std::size_t MemorySize(const ZEMADisplayFCDIB& img) {
  return GeoOf(img).stride * static_cast<std::size_t>(img.BitmapInfo.bmiHeader.biHeight + 1);
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
  const Geo g = GeoOf(img);
  const unsigned char* p = img.Bits + Offset(g, x, y);
  return std::vector<unsigned char>(p, p + g.bpp);
}

}  // namespace testing_support
