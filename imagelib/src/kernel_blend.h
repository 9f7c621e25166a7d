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

  R Blend(R s, R d) const {
    // Each pixel's weight bytes [Ll, Lh, Kl, Kh].
    R weights;
    if constexpr (AtZero) {
      weights = W::Or(W::template Srl32<16>(W::And(s, w.alphaMask)), W::AndNot(s, w.alphaMask));  // L = 256 sa
    } else {
      const R k = W::MulLo16(W::template Srl32<24>(W::AndNot(s, w.alphaMask)), u);
      weights = W::Add32(W::Sub32(W::template Sll32<16>(k), k), c65280);  // L | K << 16
    }
    // Channel pairs (d', s') as signed bytes; the source's alpha counts as 0.
    const R sb = W::Xor(W::AndNot(w.alphaMask, s), flip), db = W::Xor(d, flip);
    const R pairsLo = W::UnpackLo8(db, sb), pairsHi = W::UnpackHi8(db, sb);
    R yLo, yHi;  // y + 1 - 32768
    if constexpr (AtZero) {
      R highLo, highHi;
      w.HighWeightPairs(weights, highLo, highHi);
      yLo = W::MaddUbs(highLo, pairsLo);
      yHi = W::MaddUbs(highHi, pairsHi);
    } else {
      R highLo, highHi, lowLo, lowHi;
      w.WeightPairs(weights, highLo, highHi, lowLo, lowHi);
      yLo = W::Add16(W::MaddUbs(highLo, pairsLo), w.RoundShift8(W::MaddUbs(lowLo, pairsLo)));
      yHi = W::Add16(W::MaddUbs(highHi, pairsHi), w.RoundShift8(W::MaddUbs(lowHi, pairsHi)));
    }
    return W::PackUs16(W::MulHiU16(W::Xor(yLo, top), c257), W::MulHiU16(W::Xor(yHi, top), c257));
  }
};

// A 32-bit source over a DB-byte destination. A block of invisible source
// pixels is skipped; at T = 0 a block of opaque ones is a copy (with alpha 0).
template <class W, int DB, bool AtZero>
struct Put32Blocks {
  Over32<W, AtZero> over;
  template <bool Whole>
  void Block(const Byte* s, Byte* d, long n) const {
    const W& w = over.w;
    const typename W::R sv = LoadPixels<W, 4, Whole>(w, s, n);
    if (w.AllAlphaFull(sv)) return;
    if (AtZero && w.AllAlphaZero(sv)) return StorePixels<W, DB, Whole>(w, d, sv, n);
    StorePixels<W, DB, Whole>(w, d, over.Blend(sv, LoadPixels<W, DB, Whole>(w, d, n)), n);
  }
};

template <class W, int DB, bool AtZero>
void Put32(Transfer t, unsigned U) {
  Put32Blocks<W, DB, AtZero> op{};
  op.over.u = W::Kept(W::Fill32(U));
  EachRow<W, 4, DB>(t, op);
}

// (s U + d T + 128) >> 8 on every byte, from the signed pairs (s', d').
template <class W>
struct Mix24 {
  using R = typename W::R;
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
  template <bool Whole>
  void Block(const Byte* s, Byte* d, long n) const {
    StorePixels<W, 4, Whole>(w, d, Mix(LoadPixels<W, 3, Whole>(w, s, n), LoadPixels<W, 4, Whole>(w, d, n)), n);
  }
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
    EachRow<W, 3, 4>(t, op);
  }
}

}  // namespace
}  // namespace pixolan
