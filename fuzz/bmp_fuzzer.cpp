// Fuzz target for both BMP reading constructors. The input is a BMP file:
//  - the file constructor reads it from a temporary file, as 24-bit, 32-bit
//    and automatic image (ColorType 3, 4 and 0);
//  - the memory constructor gets the info header at bytes 14..53, the palette
//    from byte 54 and the rows from bfOffBits (or behind the palette when
//    bfOffBits lies outside the input), each copied into a buffer of exactly
//    the size the header asks for, so that reading past one is caught.
// Headers that the library must refuse for their size are handed over with no
// buffers at all; acceptable but large images are skipped, they only cost time.
#include "pixolan.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 20;     // larger acceptable images are skipped
constexpr std::uint64_t kRefusedBytes = std::uint64_t{1} << 30;  // the library's pixel memory limit

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

BITMAPINFOHEADER InfoHeader(const std::uint8_t* p) {
  BITMAPINFOHEADER h;
  h.biSize = Le32(p);
  h.biWidth = static_cast<LONG>(Le32(p + 4));
  h.biHeight = static_cast<LONG>(Le32(p + 8));
  h.biPlanes = static_cast<WORD>(p[12] | p[13] << 8);
  h.biBitCount = static_cast<WORD>(p[14] | p[15] << 8);
  h.biCompression = Le32(p + 16);
  h.biSizeImage = Le32(p + 20);
  h.biXPelsPerMeter = static_cast<LONG>(Le32(p + 24));
  h.biYPelsPerMeter = static_cast<LONG>(Le32(p + 28));
  h.biClrUsed = Le32(p + 32);
  h.biClrImportant = Le32(p + 36);
  return h;
}

enum class Size { Refused, Large, Small };

// How the header's dimensions stand: refused by the library whatever the
// depth (24-bit pixel memory with the spare row above its limit, or width
// below 1), too large to be worth the time, or small.
Size Classify(const BITMAPINFOHEADER& h) {
  const std::int64_t w = h.biWidth;
  std::int64_t rows = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
  if (w < 1) return Size::Refused;
  if (rows == 0) rows = 1;
  const std::uint64_t stride = (static_cast<std::uint64_t>(w) * 3 + 3) & ~std::uint64_t{3};
  if (stride * static_cast<std::uint64_t>(rows + 1) > kRefusedBytes) return Size::Refused;
  return static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(rows) > kMaxPixels ? Size::Large : Size::Small;
}

std::uint64_t RowBytes(unsigned bits, std::int64_t w) {
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return 0;
  return (static_cast<std::uint64_t>(w) * bits + 31) / 32 * 4;
}

// A buffer of exactly n bytes: input bytes from `from` on, zeros where the input ends.
std::unique_ptr<unsigned char[]> Exact(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t n) {
  std::unique_ptr<unsigned char[]> buf(new unsigned char[n]);
  const std::size_t have = from < size ? size - from : 0;
  const std::size_t copied = have < n ? have : n;
  if (copied) std::memcpy(buf.get(), data + from, copied);
  if (n > copied) std::memset(buf.get() + copied, 0, n - copied);
  return buf;
}

void FromMemory(const std::uint8_t* data, std::size_t size) {
  if (size < 54) return;
  const BITMAPINFOHEADER h = InfoHeader(data + 14);
  const Size s = Classify(h);
  if (s == Size::Large) return;
  std::unique_ptr<unsigned char[]> palette, rows;
  if (s == Size::Small) {
    const unsigned bits = h.biBitCount;
    const std::size_t paletteBytes = bits == 1 || bits == 4 || bits == 8 ? std::size_t{4} << bits : 0;
    const std::uint64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    const std::size_t rowBytes = static_cast<std::size_t>(RowBytes(bits, h.biWidth) * height);
    std::size_t offBits = Le32(data + 10);
    if (offBits >= size) offBits = 54 + paletteBytes;
    palette = Exact(data, size, 54, paletteBytes);
    rows = Exact(data, size, offBits, rowBytes);
  }
  for (int colorType : {3, 4, 0}) {
    ZEMADisplayFCDIB img(LibraryVersion, nullptr, nullptr, h, palette.get(), rows.get(), colorType, LANGUAGE_ENGLISH);
  }
}

// One file per process, removed again when the process exits. The name lives
// in static storage with no destructor, so the exit handler can still use it.
char gTempName[] = "/tmp/pixolan-fuzz-XXXXXX";

const char* TempFile() {
  static const bool made = [] {
    const int fd = ::mkstemp(gTempName);
    if (fd < 0) return false;
    ::close(fd);
    std::atexit([] { std::remove(gTempName); });
    return true;
  }();
  return made ? gTempName : nullptr;
}

void FromFile(const std::uint8_t* data, std::size_t size) {
  if (size >= 54 && Classify(InfoHeader(data + 14)) == Size::Large) return;
  const char* path = TempFile();
  if (path == nullptr) return;
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) return;
  std::string name = path;
  for (int colorType : {3, 4, 0}) {
    ZEMADisplayFCDIB img(LibraryVersion, nullptr, nullptr, &name[0], colorType, LANGUAGE_ENGLISH);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FromMemory(data, size);
  FromFile(data, size);
  return 0;
}
