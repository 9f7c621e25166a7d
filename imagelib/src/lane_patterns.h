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
// Four packed 24-bit pixels in reverse order.
alignas(16) constexpr Byte kReverse24[16] = {9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2, kZ, kZ, kZ, kZ};
// From per-pixel weight bytes [Ll, Lh, Kl, Kh]: the pairs (Lh, Kh) and
// (Ll, Kl) for the channel lanes of pixels 0, 1 and of pixels 2, 3.
alignas(16) constexpr Byte kHighPairs[2][16] = {{1, 3, 1, 3, 1, 3, 1, 3, 5, 7, 5, 7, 5, 7, 5, 7},
                                                {9, 11, 9, 11, 9, 11, 9, 11, 13, 15, 13, 15, 13, 15, 13, 15}};
alignas(16) constexpr Byte kLowPairs[2][16] = {{0, 2, 0, 2, 0, 2, 0, 2, 4, 6, 4, 6, 4, 6, 4, 6},
                                               {8, 10, 8, 10, 8, 10, 8, 10, 12, 14, 12, 14, 12, 14, 12, 14}};

}  // namespace
}  // namespace pixolan
