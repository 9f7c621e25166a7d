// BMP files built byte by byte for the reading and writing suites, and a plain
// per-pixel reference decoder to check the library's row loaders against.
#pragma once

#include "test_support.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bmp_test {

struct Layout {
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative: top row stored first
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t infoSize = 40;  // the biSize field; the header stays 40 bytes long
  std::uint32_t gap = 0;        // bytes between the palette and the first row
  std::int32_t xPels = 2835;
  std::int32_t yPels = 1417;
  std::uint32_t clrUsed = 0;
};

inline std::size_t RowSize(unsigned bits, std::int64_t width) {
  return static_cast<std::size_t>(((width * bits + 31) / 32) * 4);
}
inline std::size_t PaletteSize(unsigned bits) { return bits <= 8 ? std::size_t{4} << bits : 0; }
inline std::size_t OffBits(const Layout& l) { return 54 + PaletteSize(l.bits) + l.gap; }
inline std::size_t Rows(const Layout& l) {
  return static_cast<std::size_t>(l.height < 0 ? -static_cast<std::int64_t>(l.height) : l.height);
}

inline void Put16(std::vector<unsigned char>& v, std::uint32_t x) {
  v.push_back(static_cast<unsigned char>(x));
  v.push_back(static_cast<unsigned char>(x >> 8));
}
inline void Put32(std::vector<unsigned char>& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

inline BITMAPINFOHEADER InfoHeader(const Layout& l) {
  BITMAPINFOHEADER h = BITMAPINFOHEADER();
  h.biSize = l.infoSize;
  h.biWidth = l.width;
  h.biHeight = l.height;
  h.biPlanes = 1;
  h.biBitCount = l.bits;
  h.biCompression = l.compression;
  h.biSizeImage = 0;
  h.biXPelsPerMeter = l.xPels;
  h.biYPelsPerMeter = l.yPels;
  h.biClrUsed = l.clrUsed;
  h.biClrImportant = 7;
  return h;
}

// File header, info header, palette, gap (filled with 0xEE), rows.
inline std::vector<unsigned char> BuildFile(const Layout& l, const std::vector<unsigned char>& palette,
                                            const std::vector<unsigned char>& rows) {
  std::vector<unsigned char> f;
  const std::size_t off = 54 + palette.size() + l.gap;
  Put16(f, 0x4D42);
  Put32(f, static_cast<std::uint32_t>(off + rows.size()));
  Put32(f, 0);
  Put32(f, static_cast<std::uint32_t>(off));
  const BITMAPINFOHEADER h = InfoHeader(l);
  Put32(f, h.biSize);
  Put32(f, static_cast<std::uint32_t>(h.biWidth));
  Put32(f, static_cast<std::uint32_t>(h.biHeight));
  Put16(f, h.biPlanes);
  Put16(f, h.biBitCount);
  Put32(f, h.biCompression);
  Put32(f, h.biSizeImage);
  Put32(f, static_cast<std::uint32_t>(h.biXPelsPerMeter));
  Put32(f, static_cast<std::uint32_t>(h.biYPelsPerMeter));
  Put32(f, h.biClrUsed);
  Put32(f, h.biClrImportant);
  f.insert(f.end(), palette.begin(), palette.end());
  f.insert(f.end(), l.gap, 0xEE);
  f.insert(f.end(), rows.begin(), rows.end());
  return f;
}

inline std::vector<unsigned char> RandomBytes(std::size_t n, std::uint32_t seed) {
  testing_support::Rng rng(seed);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(rng.Next() >> 24);
  return v;
}

// Pixel (x, y) from the top-left as blue, green, red, fourth byte, decoded the
// slow way: one bit field at a time. A 24-bit source has fourth byte 0.
inline std::array<unsigned char, 4> ReferencePixel(const Layout& l, const std::vector<unsigned char>& palette,
                                                   const std::vector<unsigned char>& rows, long x, long y) {
  const std::size_t stored = l.height > 0 ? Rows(l) - 1 - static_cast<std::size_t>(y) : static_cast<std::size_t>(y);
  const unsigned char* row = rows.data() + stored * RowSize(l.bits, l.width);
  unsigned index = 0;
  switch (l.bits) {
    case 1:
      index = (row[x / 8] >> (7 - x % 8)) & 1u;
      break;
    case 4:
      index = x % 2 ? row[x / 2] & 15u : row[x / 2] >> 4;
      break;
    case 8:
      index = row[x];
      break;
    case 24:
      return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    default:
      return {row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
  }
  const unsigned char* e = palette.data() + 4 * index;
  return {e[0], e[1], e[2], e[3]};
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::vector<unsigned char> out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return out;
  unsigned char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return out;
}

inline bool FileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

inline testing_support::ImagePtr LoadFile(const std::string& path, int colorType) {
  return testing_support::ImagePtr(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr,
                                                        const_cast<char*>(path.c_str()), colorType, LANGUAGE_ENGLISH));
}

inline testing_support::ImagePtr LoadMemory(const Layout& l, std::vector<unsigned char>& palette,
                                            std::vector<unsigned char>& rows, int colorType) {
  return testing_support::ImagePtr(
      new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, InfoHeader(l), palette.empty() ? nullptr : palette.data(),
                           rows.empty() ? nullptr : rows.data(), colorType, LANGUAGE_ENGLISH));
}

inline std::uint32_t Le32At(const std::vector<unsigned char>& v, std::size_t at) {
  return static_cast<std::uint32_t>(v[at]) | static_cast<std::uint32_t>(v[at + 1]) << 8 |
         static_cast<std::uint32_t>(v[at + 2]) << 16 | static_cast<std::uint32_t>(v[at + 3]) << 24;
}

// True when every byte of the pixel memory is zero.
inline bool AllZero(const ZEMADisplayFCDIB& img) {
  for (unsigned char b : testing_support::PixelMemory(img))
    if (b != 0) return false;
  return true;
}

}  // namespace bmp_test
