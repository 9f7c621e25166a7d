// The blend arithmetic of PutImage and its rounding, written down once for
// the plain loops (kernels_plain.cpp) and the vector kernels (kernel_blend.h).
//
// A 24-bit source at transparency T (0 < T < 256), U = 256 - T: each colour
// becomes (s * U + d * T + 128) >> 8, a 32-bit destination's alpha a becomes
// (a * T + 128) >> 8 (the same with s = 0). The vector kernels take the bytes
// as signed, s' = s - 128 and d' = d - 128, and U and T as unsigned bytes:
// one multiply-add of byte pairs gives M = s' U + d' T = s U + d T - 32768,
// within -32768..32512, so the result is (M + 32896) >> 8 in 16-bit lanes.
//
// A 32-bit source with alpha sa weighs K = (255 - sa) * U, the destination
// L = 65280 - K, both in units of 1/65280. Each colour becomes R(d L + s K),
// a 32-bit destination's alpha R(a L), where R(V) is V / 65280 rounded to
// nearest, halves upward (RoundedDiv65280): y = (V + 32640) >> 8, then
// R = (y + (y >> 8) + 1) >> 8.
//
// The vector kernels split the weights into bytes, K = 256 Kh + Kl and
// L = 256 Lh + Ll. With the signed bytes d' and s' as above, two multiply-adds
// of byte pairs give
//   A = d' Lh + s' Kh, within -32640..32385 since Lh + Kh <= 255, and
//   B = d' Ll + s' Kl, within -32768..32512 since Ll + Kl is 0 or 256.
// As L + K = 65280, V + 32640 = 256 A + B + 256 * 32767 + 128, so exactly
//   y + 1 = A + 32768 + ((B + 128) >> 8)   (arithmetic shift),
// where (B + 128) >> 8 is one rounding multiply-high by 128. For every y a
// blend can give (at most 65152), (y + (y >> 8) + 1) >> 8 equals
// ((y + 1) * 257) >> 16, one unsigned multiply-high of 16-bit lanes. At T = 0,
// K = 256 (255 - sa) and L = 256 sa, so Kl = Ll = 0 and B = 0.
//
// Area averaging rounds its sums as (sum + 32768) >> 16 (stretch.h).
#pragma once

#include <cstdint>

namespace pixolan {

// V / 65280 rounded to nearest, halves upward, for 0 <= V <= 255 * 65280.
inline std::uint32_t RoundedDiv65280(std::uint32_t v) {
  const std::uint32_t y = (v + 32640) >> 8;  // about V / 256
  return (y + (y >> 8) + 1) >> 8;            // y / 255, rounded
}

}  // namespace pixolan
