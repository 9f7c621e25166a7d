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
  // Written out so that its constants are made for this instruction set.
  Ssse3() {}  // NOLINT(modernize-use-equals-default)
  R spread = Kept(Lanes(kSpread24)), pack = Kept(Lanes(kPack24)), reverse = Kept(Lanes(kReverse24));
  R highPairs[2] = {Kept(Lanes(kHighPairs[0])), Kept(Lanes(kHighPairs[1]))};
  R lowPairs[2] = {Kept(Lanes(kLowPairs[0])), Kept(Lanes(kLowPairs[1]))};

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
  R ReverseRgb(R v) const { return Ungroup24(Shuffle8(GroupReversed24(v), reverse)); }
  void WeightPairs(R w, R& highLo, R& highHi, R& lowLo, R& lowHi) const {
    HighWeightPairs(w, highLo, highHi);
    lowLo = Shuffle8(w, lowPairs[0]);
    lowHi = Shuffle8(w, lowPairs[1]);
  }
  void HighWeightPairs(R w, R& highLo, R& highHi) const {
    highLo = Shuffle8(w, highPairs[0]);
    highHi = Shuffle8(w, highPairs[1]);
  }
};

}  // namespace
}  // namespace pixolan
