// Helpers shared by the library's test suites (native and Windows).
#pragma once

#include "pixolan.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

using ImagePtr = std::unique_ptr<ZEMADisplayFCDIB>;

// A blank healthy image of width x height at 24 or 32 bits, English messages.
ImagePtr MakeImage(unsigned width, unsigned height, int bitCount);

// Fills every byte of the pixel memory (padding and spare row included) with
// reproducible pseudo-random values.
void FillRandom(ZEMADisplayFCDIB& img, std::uint32_t seed);

// The bytes of the pixel memory, all rows plus the spare row.
std::vector<unsigned char> PixelMemory(const ZEMADisplayFCDIB& img);

// Pixel (x, y) from the top-left as bytes (3 or 4 of them).
std::vector<unsigned char> PixelAt(const ZEMADisplayFCDIB& img, long x, long y);

// Bytes of one stored row of `width` pixels of `bytesPerPixel`.
inline std::size_t RowBytes(std::size_t width, std::size_t bytesPerPixel) {
  return pixolan::PixelRows::Stride(width, bytesPerPixel);
}

// Where a pixel lies in an image's memory.
struct Geo {
  long w, h;
  int bpp;
  std::size_t stride;
};
inline Geo GeoOf(const ZEMADisplayFCDIB& img) {
  const BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
  return Geo{h.biWidth, h.biHeight, h.biBitCount / 8, pixolan::PixelRows::Of(img).stride};
}
inline std::size_t Offset(const Geo& g, long x, long y) {
  return static_cast<std::size_t>(g.h - 1 - y) * g.stride + static_cast<std::size_t>(x) * g.bpp;
}

// A small deterministic generator, the same on every platform.
struct Rng {
  std::uint32_t state;
  explicit Rng(std::uint32_t seed) : state(seed * 2654435761u + 1u) {}
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
};

// Records every message box the code under test shows, and closes it, for as
// long as the object lives. Texts and captions come back as CP932 bytes.
struct ShownBox {
  std::string text;
  std::string caption;
  HWND owner;
};
class BoxCapture {
 public:
  BoxCapture();
  ~BoxCapture();
  std::vector<ShownBox> Boxes();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// A file name in a fresh temporary folder of this test program.
std::string TempPath(const std::string& name);

}  // namespace testing_support
