// What both BMP fuzz targets share: each input is a BMP file, whose info
// header decides how large an image it asks for.
#pragma once

#include "little_endian.h"
#include "pixolan.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace fuzz {

constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 20;     // larger acceptable images are skipped
constexpr std::uint64_t kRefusedBytes = std::uint64_t{1} << 30;  // the library's pixel memory limit

enum class Size { Refused, Large, Small };

// How the header's dimensions stand: refused by the library whatever the
// depth (24-bit pixel memory with the spare row above its limit, or width
// below 1), too large to be worth the time, or small.
inline Size Classify(const BITMAPINFOHEADER& h) {
  const std::int64_t w = h.biWidth;
  std::int64_t rows = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
  if (w < 1) return Size::Refused;
  if (rows == 0) rows = 1;
  const std::uint64_t stride = pixolan::PixelRows::Stride<std::uint64_t>(static_cast<std::uint64_t>(w), 3);
  if (stride * static_cast<std::uint64_t>(rows + 1) > kRefusedBytes) return Size::Refused;
  return static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(rows) > kMaxPixels ? Size::Large : Size::Small;
}

inline std::uint64_t RowBytes(unsigned bits, std::int64_t w) {
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return 0;
  return (static_cast<std::uint64_t>(w) * bits + 31) / 32 * 4;
}

// A buffer of exactly n bytes: input bytes from `from` on, zeros where the input ends.
inline std::unique_ptr<unsigned char[]> Exact(const std::uint8_t* data, std::size_t size, std::size_t from,
                                              std::size_t n) {
  std::unique_ptr<unsigned char[]> buf(new unsigned char[n]);
  const std::size_t have = from < size ? size - from : 0;
  const std::size_t copied = have < n ? have : n;
  if (copied) std::memcpy(buf.get(), data + from, copied);
  if (n > copied) std::memset(buf.get() + copied, 0, n - copied);
  return buf;
}

}  // namespace fuzz
