// The 16-byte width with byte shuffles and byte multiplies (SSSE3): the
// SSE2 width with those operations in single instructions. Included by
// kernels_ssse3.cpp only, inside its instruction-set region.
#pragma once

#include "lane_patterns.h"
#include "width_sse2.h"

#include <tmmintrin.h>

namespace pixolan {
namespace {

struct Ssse3 : Sse2 {
  static constexpr bool kShuffles = true;  // byte shuffles within lanes
  // Written out so that its constants are made for this instruction set.
  Ssse3() {}  // NOLINT(modernize-use-equals-default)
  R spread = Kept(Lanes(kSpread24)), pack = Kept(Lanes(kPack24)), reverse = Kept(Lanes(kReverse24));
  R highPairs[2][2] = {{Kept(Lanes(kHighPairs[0][0].b)), Kept(Lanes(kHighPairs[0][1].b))},
                       {Kept(Lanes(kHighPairs[1][0].b)), Kept(Lanes(kHighPairs[1][1].b))}};
  R lowPairs[2][2] = {{Kept(Lanes(kLowPairs[0][0].b)), Kept(Lanes(kLowPairs[0][1].b))},
                      {Kept(Lanes(kLowPairs[1][0].b)), Kept(Lanes(kLowPairs[1][1].b))}};
  R alphaPairs[2][2] = {{Kept(Lanes(kAlphaPairs[0][0].b)), Kept(Lanes(kAlphaPairs[0][1].b))},
                        {Kept(Lanes(kAlphaPairs[1][0].b)), Kept(Lanes(kAlphaPairs[1][1].b))}};
  R flipSecond = Kept(Lanes(kFlipSecond));

  static R Shuffle8(R v, R pattern) { return _mm_shuffle_epi8(v, pattern); }
  static R MaddUbs(R a, R b) { return _mm_maddubs_epi16(a, b); }
  // (a * 128 + 16384) >> 15 is (a + 128) >> 8.
  R c128 = Kept(Fill16(128));
  R RoundShift8(R a) const { return _mm_mulhrs_epi16(a, c128); }

  // The groups of four 24-bit pixels (12 bytes) that the lanes work on: here
  // the one lane is the group.
  R Group24(R v) const { return v; }
  R GroupReversed24(R v) const { return v; }
  R Ungroup24(R v) const { return v; }

  R Spread24(R v) const { return Shuffle8(Group24(v), spread); }
  R Pack24(R v) const { return Ungroup24(Shuffle8(v, pack)); }
  R SpreadLanes(R v) const { return Shuffle8(v, spread); }
  R PackLanes(R v) const { return Shuffle8(v, pack); }
  R ReverseLanes(R v) const { return Shuffle8(v, reverse); }
  R ReverseRgb(R v) const { return Ungroup24(Shuffle8(GroupReversed24(v), reverse)); }
  // The weight pairs for the channels of 32-bit pixels or of packed lanes
  // (kernel_blend.h): (Lh, Kh) and (Ll, Kl) from weight bytes, (sa, 255 - sa)
  // from the source pixels.
  template <bool Packed>
  void WeightPairs(R w, R& highLo, R& highHi, R& lowLo, R& lowHi) const {
    highLo = Shuffle8(w, highPairs[Packed][0]);
    highHi = Shuffle8(w, highPairs[Packed][1]);
    lowLo = Shuffle8(w, lowPairs[Packed][0]);
    lowHi = Shuffle8(w, lowPairs[Packed][1]);
  }
  template <bool Packed>
  void AlphaPairs(R s, R& lo, R& hi) const {
    lo = Xor(Shuffle8(s, alphaPairs[Packed][0]), flipSecond);
    hi = Xor(Shuffle8(s, alphaPairs[Packed][1]), flipSecond);
  }
};

}  // namespace
}  // namespace pixolan
