// Fuzz target for the memory constructor. The input is a BMP file: the info
// header at bytes 14..53, the palette from byte 54 and the rows from bfOffBits
// (or behind the palette when bfOffBits lies outside the input), each copied
// into a buffer of exactly the size the header asks for, so that reading past
// one is caught. Headers that the library must refuse for their size are
// handed over with no buffers at all; acceptable but large images are
// skipped, they only cost time. Each input is read as a 24-bit, 32-bit and
// automatic image (ColorType 3, 4 and 0).
#include "bmp_fuzz_common.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 54) return 0;
  const BITMAPINFOHEADER h = le::InfoHeader(data + 14);
  const Size s = Classify(h);
  if (s == Size::Large) return 0;
  std::unique_ptr<unsigned char[]> palette, rows;
  if (s == Size::Small) {
    const unsigned bits = h.biBitCount;
    const std::size_t paletteBytes = bits == 1 || bits == 4 || bits == 8 ? std::size_t{4} << bits : 0;
    const std::uint64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    const std::size_t rowBytes = static_cast<std::size_t>(RowBytes(bits, h.biWidth) * height);
    std::size_t offBits = le::U32(data + 10);
    if (offBits >= size) offBits = 54 + paletteBytes;
    palette = Exact(data, size, 54, paletteBytes);
    rows = Exact(data, size, offBits, rowBytes);
  }
  for (int colorType : {3, 4, 0}) {
    ZEMADisplayFCDIB img(LibraryVersion, nullptr, nullptr, h, palette.get(), rows.get(), colorType, LANGUAGE_ENGLISH);
  }
  return 0;
}
