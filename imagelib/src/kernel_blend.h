// PutImage's kernels over a register width W; the arithmetic and its
// rounding are explained in rounding.h, the plain loops they match are in
// kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

namespace pixolan {
namespace {

// 32-bit source pixels s over destination pixels d, both in 32-bit lanes: each
// colour R(d L + s K), the fourth byte R(a L), with K = (255 - sa) * U.
template <class W, bool AtZero>
struct Over32 {
  using R = typename W::R;
  W w;
  R u;  // U in the low half of every 32-bit lane
  R flip = W::Kept(W::Fill8(0x80)), top = W::Kept(W::Fill16(0x8000)), c257 = W::Kept(W::Fill16(257));
  R c65280 = W::Kept(W::Fill32(65280));

  // d in 32-bit lanes, or (Packed) packed lanes with the result in packed
  // lanes too.
  template <bool Packed>
  R Blend(R s, R d) const {
    R highLo, highHi, yLo, yHi;  // y + 1 - 32768
    const R sb = W::Xor(Packed ? w.PackLanes(s) : W::AndNot(w.alphaMask, s), flip), db = W::Xor(d, flip);
    const R pairsLo = W::UnpackLo8(db, sb), pairsHi = W::UnpackHi8(db, sb);
    if constexpr (AtZero) {
      // K = 256 (255 - sa), L = 256 sa: only the high bytes, (sa, 255 - sa).
      w.template AlphaPairs<Packed>(s, highLo, highHi);
      yLo = W::MaddUbs(highLo, pairsLo);
      yHi = W::MaddUbs(highHi, pairsHi);
    } else {
      // Each pixel's weight bytes [Ll, Lh, Kl, Kh].
      const R k = W::MulLo16(W::template Srl32<24>(W::AndNot(s, w.alphaMask)), u);
      const R weights = W::Add32(W::Sub32(W::template Sll32<16>(k), k), c65280);  // L | K << 16
      R lowLo, lowHi;
      w.template WeightPairs<Packed>(weights, highLo, highHi, lowLo, lowHi);
      yLo = W::Add16(W::MaddUbs(highLo, pairsLo), w.RoundShift8(W::MaddUbs(lowLo, pairsLo)));
      yHi = W::Add16(W::MaddUbs(highHi, pairsHi), w.RoundShift8(W::MaddUbs(lowHi, pairsHi)));
    }
    return Rounded(yLo, yHi);
  }

  // At T = 0, register k of a quad of 24-bit destination pixels as it lies
  // in memory, every byte a colour, from the quad's four source blocks
  // packed with their alphas: its source colours and alpha pairs come from
  // blocks k and k + 1.
  template <int k>
  R BlendQuad24(const R (&p)[4], R d) const {
    const R sb = W::Xor(w.template JoinPacked<k>(p[k], p[k + 1]), flip), db = W::Xor(d, flip);
    R alphaLo, alphaHi;
    w.template Quad24AlphaPairs<k>(p[k], p[k + 1], alphaLo, alphaHi);
    const R yLo = W::MaddUbs(W::Xor(alphaLo, w.flipSecond), W::UnpackLo8(db, sb));
    const R yHi = W::MaddUbs(W::Xor(alphaHi, w.flipSecond), W::UnpackHi8(db, sb));
    return Rounded(yLo, yHi);
  }

 private:
  // R(V) of both halves from y + 1 - 32768, packed back to bytes.
  R Rounded(R yLo, R yHi) const {
    return W::PackUs16(W::MulHiU16(W::Xor(yLo, top), c257), W::MulHiU16(W::Xor(yHi, top), c257));
  }
};

// A 32-bit source over the destination. A block of invisible source pixels
// is skipped; at T = 0 a block of opaque ones is a copy (with alpha 0). A
// 24-bit destination is blended in packed lanes where the width can shuffle
// bytes, so that its bytes need not be spread and packed again.
template <class W, bool AtZero>
struct Put32Blocks {
  using R = typename W::R;
  static constexpr bool kReadsDestination = true;
  static constexpr bool kPackedDestination = W::kShuffles;
  Over32<W, AtZero> over;
  // At T = 0 one test first finds the blocks with an alpha strictly between
  // 0 and 255, for which neither shortcut applies.
  bool Skip(R s) const { return (!AtZero || over.w.MayAllBeAtEnds(s)) && over.w.AllAlphaFull(s); }
  R Apply(R s, R d) const {
    if (AtZero && over.w.MayAllBeAtEnds(s) && over.w.AllAlphaZero(s)) return s;
    return over.template Blend<false>(s, d);
  }
  R ApplyPacked(R s, R d) const {
    if (AtZero && over.w.AllAlphaZero(s)) return over.w.PackLanes(s);
    return over.template Blend<true>(s, d);
  }
  // At T = 0 a quad onto 24 bits is blended in the three registers it is in
  // memory where the width can take them apart (kQuad24Registers): no byte
  // of them is spent on a fourth channel, nor any work on spreading and
  // packing the destination. A quad of opaque pixels is their colours.
  static constexpr bool kQuad24Destination = AtZero && W::kQuad24Registers;
  void ApplyQuad24(const R (&s)[4], const R (&d)[3], R (&out)[3]) const {
    const W& w = over.w;
    const R p[4] = {w.PackWithAlpha(s[0]), w.PackWithAlpha(s[1]), w.PackWithAlpha(s[2]), w.PackWithAlpha(s[3])};
    if (w.MayAllBeAtEnds(s[0]) && w.AllAlphaZero(W::Or(W::Or(s[0], s[1]), W::Or(s[2], s[3])))) {
      out[0] = w.template JoinPacked<0>(p[0], p[1]);
      out[1] = w.template JoinPacked<1>(p[1], p[2]);
      out[2] = w.template JoinPacked<2>(p[2], p[3]);
      return;
    }
    out[0] = over.template BlendQuad24<0>(p, d[0]);
    out[1] = over.template BlendQuad24<1>(p, d[1]);
    out[2] = over.template BlendQuad24<2>(p, d[2]);
  }
};

template <class W, int DB, bool AtZero>
void Put32(Transfer t, unsigned U) {
  Put32Blocks<W, AtZero> op{};
  op.over.u = W::Kept(W::Fill32(U));
  EachRow<W, 4, DB>(op.over.w, t, op);
}

// (s U + d T + 128) >> 8 on every byte, from the signed pairs (s', d').
template <class W>
struct Mix24 {
  using R = typename W::R;
  static constexpr bool kReadsDestination = true;
  static constexpr bool kPackedDestination = false;
  static constexpr bool kQuad24Destination = false;
  W w;
  R ut;  // U | T << 8 in every 16-bit lane
  R flip = W::Kept(W::Fill8(0x80)), half = W::Kept(W::Fill16(32896));

  R Mix(R s, R d) const {
    const R sb = W::Xor(s, flip), db = W::Xor(d, flip);
    const R lo = W::MaddUbs(ut, W::UnpackLo8(sb, db)), hi = W::MaddUbs(ut, W::UnpackHi8(sb, db));
    return W::PackUs16(W::template Srl16<8>(W::Add16(lo, half)), W::template Srl16<8>(W::Add16(hi, half)));
  }
  // Onto 24 bits the row is one run of independent bytes.
  template <bool Whole>
  void Bytes(const Byte* s, Byte* d, std::size_t n) const {
    StoreBytes<W, Whole>(d, Mix(LoadBytes<W, Whole>(s, n), LoadBytes<W, Whole>(d, n)), n);
  }
  // Onto 32 bits the source spread to 32-bit lanes has alpha 0, so the same
  // mix gives the destination's alpha (a T + 128) >> 8.
  static bool Skip(R) { return false; }
  R Apply(R s, R d) const { return Mix(s, d); }
};

template <class W, int DB>
void Put24(Transfer t, unsigned T) {
  Mix24<W> op{};
  op.ut = W::Kept(W::Fill16(static_cast<int>((256 - T) | T << 8)));
  if constexpr (DB == 3) {
    const std::size_t bytes = static_cast<std::size_t>(t.cols) * 3;
    for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride)
      EachRegister<W>(t.src, t.dst, bytes, op);
  } else {
    EachRow<W, 3, 4>(op.w, t, op);
  }
}

}  // namespace
}  // namespace pixolan
