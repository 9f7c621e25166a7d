// The block walk that every vector kernel shares (the layout is described
// in kernels.h): pixels in and out of 32-bit lanes, whole blocks along a row
// and one partial block for what is left. Templates over a register width W,
// whose object `w` (made once per kernel call) holds its constants; included
// inside each width's instruction-set region.
#pragma once

#include "kernels.h"

namespace pixolan {
namespace {

// N pixels of BPP bytes from p as 32-bit lanes (24-bit pixels get fourth
// byte 0). A partial block (Whole false) reads its n pixels only and gives 0
// for the rest.
template <class W, int BPP, bool Whole>
inline typename W::R LoadPixels(const W& w, const Byte* p, long n) {
  if constexpr (BPP == 4) {
    if constexpr (Whole) return W::Load(p);
    return W::LoadPart(p, 4 * static_cast<std::size_t>(n));
  } else {
    if constexpr (Whole) return w.Spread24(W::LoadRgb(p));
    return w.Spread24(W::LoadPart(p, 3 * static_cast<std::size_t>(n)));
  }
}

// Stores the block's pixels as BPP-byte pixels; a partial block writes its
// n pixels only.
template <class W, int BPP, bool Whole>
inline void StorePixels(const W& w, Byte* p, typename W::R v, long n) {
  if constexpr (BPP == 4) {
    if constexpr (Whole) return W::Store(p, v);
    return W::StorePart(p, v, 4 * static_cast<std::size_t>(n));
  } else {
    if constexpr (Whole) return W::StoreRgb(p, w.Pack24(v));
    return W::StorePart(p, w.Pack24(v), 3 * static_cast<std::size_t>(n));
  }
}

// Runs op.Block<Whole>(s, d, n) along a row of n pixels, SB and DB bytes
// each on the two sides.
template <class W, int SB, int DB, class Op>
inline void EachBlock(const Byte* s, Byte* d, long n, const Op& op) {
  constexpr long kPixels = W::kBytes / 4;
  for (; n >= kPixels; n -= kPixels, s += SB * kPixels, d += DB * kPixels) op.template Block<true>(s, d, kPixels);
  if (n > 0) op.template Block<false>(s, d, n);
}

template <class W, int SB, int DB, class Op>
inline void EachRow(Transfer t, const Op& op) {
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride)
    EachBlock<W, SB, DB>(t.src, t.dst, t.cols, op);
}

// Runs op.Bytes<Whole>(s, d, n) over n bytes, one register at a time.
template <class W, class Op>
inline void EachRegister(const Byte* s, Byte* d, std::size_t n, const Op& op) {
  constexpr std::size_t kBytes = W::kBytes;
  for (; n >= kBytes; n -= kBytes, s += kBytes, d += kBytes) op.template Bytes<true>(s, d, kBytes);
  if (n > 0) op.template Bytes<false>(s, d, n);
}

// A register's bytes from p: whole, or the first n with 0 behind them.
template <class W, bool Whole>
inline typename W::R LoadBytes(const Byte* p, std::size_t n) {
  if constexpr (Whole) return W::Load(p);
  return W::LoadPart(p, n);
}
template <class W, bool Whole>
inline void StoreBytes(Byte* p, typename W::R v, std::size_t n) {
  if constexpr (Whole) return W::Store(p, v);
  return W::StorePart(p, v, n);
}

}  // namespace
}  // namespace pixolan
