// What the widths with byte shuffles (SSSE3, AVX2, AVX-512 BW) do alike:
// each of their 16-byte lanes is an SSSE3 register, so the moves of 24-bit
// pixels within a lane and the weight pairs of the blends are the same byte
// shuffles (lane_patterns.h) at every such width. Base is the width's own
// operations, with how it puts groups of four 24-bit pixels into its lanes
// (Group24, GroupReversed24, Ungroup24). Included inside the instruction-set
// region of the width that uses it.
#pragma once

#include "lane_patterns.h"
#include "target_region.h"

namespace pixolan {
namespace {

template <class Base>
struct WithShuffles : Base {
  using R = typename Base::R;
  static constexpr bool kShuffles = true;

  // Written out so that its constants are made for this instruction set.
  PIXOLAN_ALWAYS_INLINE WithShuffles() {}  // NOLINT(modernize-use-equals-default)

  R spread = Keep(kSpread24), pack = Keep(kPack24), reverse = Keep(kReverse24);
  R packWithAlpha = Keep(kPackWithAlpha);
  R highPairs[2][2] = {{Keep(kHighPairs[0][0].b), Keep(kHighPairs[0][1].b)},
                       {Keep(kHighPairs[1][0].b), Keep(kHighPairs[1][1].b)}};
  R lowPairs[2][2] = {{Keep(kLowPairs[0][0].b), Keep(kLowPairs[0][1].b)},
                      {Keep(kLowPairs[1][0].b), Keep(kLowPairs[1][1].b)}};
  R alphaPairs[2][2] = {{Keep(kAlphaPairs[0][0].b), Keep(kAlphaPairs[0][1].b)},
                        {Keep(kAlphaPairs[1][0].b), Keep(kAlphaPairs[1][1].b)}};
  R flipSecond = Keep(kFlipSecond);
  R interleave32 = Keep(kInterleave32), interleave24 = Keep(kInterleave24);
  R pixelPairs = Keep(kPixelPairs), pixelPairs24 = Keep(kPixelPairs24);

  R Spread24(R v) const { return Base::Shuffle8(this->Group24(v), spread); }
  R Pack24(R v) const { return this->Ungroup24(Base::Shuffle8(v, pack)); }
  R SpreadLanes(R v) const { return Base::Shuffle8(v, spread); }
  R PackLanes(R v) const { return Base::Shuffle8(v, pack); }
  R PackWithAlpha(R v) const { return Base::Shuffle8(v, packWithAlpha); }
  R ReverseLanes(R v) const { return Base::Shuffle8(v, reverse); }
  R ReverseRgb(R v) const { return this->Ungroup24(Base::Shuffle8(this->GroupReversed24(v), reverse)); }
  // The channels of neighbouring pixels paired (lane_patterns.h), from a
  // register of 32-bit pixels or of packed 24-bit ones.
  template <int SB>
  R PairPixels(R v) const {
    if constexpr (SB == 4) return Base::Shuffle8(v, pixelPairs);
    return Base::Shuffle8(this->Group24(v), pixelPairs24);
  }
  // A register of planes (lane c: channel c of pixels 0 .. 4 * kLanes - 1)
  // as those pixels in memory order, of DB bytes each.
  template <int DB>
  R PixelsFromPlanes(R v) const {
    v = this->LaneMajor(v);
    if constexpr (DB == 4) return Base::Shuffle8(v, interleave32);
    return this->Ungroup24(Base::Shuffle8(v, interleave24));
  }
  // The weight pairs for the channels of 32-bit pixels or of packed lanes
  // (kernel_blend.h): (Lh, Kh) and (Ll, Kl) from weight bytes, (sa, 255 - sa)
  // from the source pixels.
  template <bool Packed>
  void WeightPairs(R w, R& highLo, R& highHi, R& lowLo, R& lowHi) const {
    highLo = Base::Shuffle8(w, highPairs[Packed][0]);
    highHi = Base::Shuffle8(w, highPairs[Packed][1]);
    lowLo = Base::Shuffle8(w, lowPairs[Packed][0]);
    lowHi = Base::Shuffle8(w, lowPairs[Packed][1]);
  }
  template <bool Packed>
  void AlphaPairs(R s, R& lo, R& hi) const {
    lo = Base::Xor(Base::Shuffle8(s, alphaPairs[Packed][0]), flipSecond);
    hi = Base::Xor(Base::Shuffle8(s, alphaPairs[Packed][1]), flipSecond);
  }

 private:
  static R Keep(const Byte* pattern) { return Base::Kept(Base::Lanes(pattern)); }
};

}  // namespace
}  // namespace pixolan
