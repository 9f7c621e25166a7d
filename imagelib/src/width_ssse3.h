// The 16-byte width with byte shuffles and byte multiplies (SSSE3): the
// SSE2 width with those operations in single instructions. Included by
// kernels_ssse3.cpp only, inside its instruction-set region.
#pragma once

#include "target_region.h"
#include "width_shuffles.h"
#include "width_sse2.h"

#include <tmmintrin.h>

namespace pixolan {
namespace {

struct Ssse3Lanes : Sse2 {
  // Written out so that its constants are made for this instruction set.
  PIXOLAN_ALWAYS_INLINE Ssse3Lanes() {}  // NOLINT(modernize-use-equals-default)

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
};

using Ssse3 = WithShuffles<Ssse3Lanes>;

}  // namespace
}  // namespace pixolan
