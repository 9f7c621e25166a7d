// Byte-shuffle patterns of one 16-byte lane, shared by the widths that
// shuffle bytes (SSSE3 and wider), which repeat them in every lane.
#pragma once

#include "kernels.h"

namespace pixolan {
namespace {

// Shuffle patterns of one 16-byte lane (index 0x80 gives 0).
constexpr Byte kZ = 0x80;
// Four 24-bit pixels in bytes 0..11 to 32-bit lanes, and back.
alignas(16) constexpr Byte kSpread24[16] = {0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ};
alignas(16) constexpr Byte kPack24[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, kZ, kZ, kZ, kZ};
// Four 32-bit pixels packed so, their four alpha bytes after them.
alignas(16) constexpr Byte kPackWithAlpha[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15};
// Four pixels stored channel by channel (bytes 4c..4c+3: channel c of
// pixels 0..3) as pixels in order, of four channels or of the first three.
alignas(16) constexpr Byte kInterleave32[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
alignas(16) constexpr Byte kInterleave24[16] = {0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ};
// The channels of pixels 0 and 1, and of 2 and 3, side by side: channel c
// of pixels 2h and 2h + 1 in bytes 8h + 2c and 8h + 2c + 1.
alignas(16) constexpr Byte kPixelPairs[16] = {0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15};
// The same from four packed 24-bit pixels, with 0 for the fourth channel.
alignas(16) constexpr Byte kPixelPairs24[16] = {0, 3, 1, 4, 2, 5, kZ, kZ, 6, 9, 7, 10, 8, 11, kZ, kZ};
// Four packed 24-bit pixels in reverse order.
alignas(16) constexpr Byte kReverse24[16] = {9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2, kZ, kZ, kZ, kZ};

// For the 16-bit lanes of channels 8 * half .. 8 * half + 7 after unpacking
// bytes: bytes `a` and `b` of the pixel each channel belongs to, four
// channels to a pixel in 32-bit lanes or three in packed lanes (where
// channels 12 to 15 belong to no pixel and take the last one's).
struct LanePattern {
  Byte b[16];
};
constexpr LanePattern PixelPairs(bool packed, int half, int a, int b) {
  LanePattern p{};
  for (int i = 0; i < 8; ++i) {
    int pixel = (8 * half + i) / (packed ? 3 : 4);
    if (pixel > 3) pixel = 3;
    p.b[2 * i] = static_cast<Byte>(4 * pixel + a);
    p.b[2 * i + 1] = static_cast<Byte>(4 * pixel + b);
  }
  return p;
}
// From per-pixel weight bytes [Ll, Lh, Kl, Kh]: the pairs (Lh, Kh) and
// (Ll, Kl); from the source pixels the pairs (sa, sa), which a flip of the
// second byte makes (sa, 255 - sa). [packed lanes][half]
alignas(16) constexpr LanePattern kHighPairs[2][2] = {{PixelPairs(false, 0, 1, 3), PixelPairs(false, 1, 1, 3)},
                                                      {PixelPairs(true, 0, 1, 3), PixelPairs(true, 1, 1, 3)}};
alignas(16) constexpr LanePattern kLowPairs[2][2] = {{PixelPairs(false, 0, 0, 2), PixelPairs(false, 1, 0, 2)},
                                                     {PixelPairs(true, 0, 0, 2), PixelPairs(true, 1, 0, 2)}};
alignas(16) constexpr LanePattern kAlphaPairs[2][2] = {{PixelPairs(false, 0, 3, 3), PixelPairs(false, 1, 3, 3)},
                                                       {PixelPairs(true, 0, 3, 3), PixelPairs(true, 1, 3, 3)}};
alignas(16) constexpr Byte kFlipSecond[16] = {0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF};

}  // namespace
}  // namespace pixolan
