// The block walk that every vector kernel shares (the layout is described
// in kernels.h): pixels in and out of 32-bit lanes, whole blocks along a row
// and one partial block for what is left. Templates over a register width W,
// whose object `w` (made once per kernel call) holds its constants; included
// inside each width's instruction-set region.
//
// A pixel kernel is an operation on registers of 32-bit pixels:
//   R Apply(R s, R d) const   the new destination pixels from the source's
//                             and, where kReadsDestination, the old ones
//   bool Skip(R s) const      whether these source pixels leave the
//                             destination as it is (then d is not read)
// and the walk moves the pixels: where either side has 24-bit pixels, four
// blocks at a time, which are three whole registers of packed bytes.
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

// Four blocks of BPP-byte pixels: 24-bit ones as three whole registers.
// (Written out register by register: a loop here is taken for a memory copy
// and the registers end up on the stack.)
template <class W, int BPP>
inline void LoadQuad(const W& w, const Byte* p, typename W::R (&v)[4]) {
  if constexpr (BPP == 4) {
    v[0] = W::Load(p);
    v[1] = W::Load(p + W::kBytes);
    v[2] = W::Load(p + 2 * W::kBytes);
    v[3] = W::Load(p + 3 * W::kBytes);
  } else {
    w.LoadPackedQuad(p, v);
    v[0] = w.SpreadLanes(v[0]);
    v[1] = w.SpreadLanes(v[1]);
    v[2] = w.SpreadLanes(v[2]);
    v[3] = w.SpreadLanes(v[3]);
  }
}
template <class W, int BPP>
inline void StoreQuad(const W& w, Byte* p, const typename W::R (&v)[4]) {
  if constexpr (BPP == 4) {
    W::Store(p, v[0]);
    W::Store(p + W::kBytes, v[1]);
    W::Store(p + 2 * W::kBytes, v[2]);
    W::Store(p + 3 * W::kBytes, v[3]);
  } else {
    const typename W::R packed[4] = {w.PackLanes(v[0]), w.PackLanes(v[1]), w.PackLanes(v[2]), w.PackLanes(v[3])};
    w.StorePackedQuad(p, packed);
  }
}

// Whether the operation blends a quad's 24-bit destination as the three
// registers it is in memory (ApplyQuad24).
template <class Op>
constexpr bool Quad24Destination() {
  if constexpr (Op::kReadsDestination) return Op::kQuad24Destination;
  return false;
}

// Whether the operation takes a 24-bit destination in packed lanes
// (ApplyPacked) rather than spread to 32-bit lanes.
template <class Op>
constexpr bool PackedDestination() {
  if constexpr (Op::kReadsDestination) return Op::kPackedDestination;
  return false;
}

template <class W, int SB, int DB, bool Whole, class Op>
inline void OneBlock(const W& w, const Byte* s, Byte* d, long n, const Op& op) {
  const typename W::R sv = LoadPixels<W, SB, Whole>(w, s, n);
  if (op.Skip(sv)) return;
  typename W::R dv{};
  if constexpr (Op::kReadsDestination) dv = LoadPixels<W, DB, Whole>(w, d, n);
  StorePixels<W, DB, Whole>(w, d, op.Apply(sv, dv), n);
}

// Runs op over a row of n pixels, SB and DB bytes each on the two sides.
template <class W, int SB, int DB, class Op>
inline void EachBlock(const W& w, const Byte* s, Byte* d, long n, const Op& op) {
  using R = typename W::R;
  constexpr long kPixels = W::kBytes / 4;
  if constexpr (SB == 3 || DB == 3) {
    for (; n >= 4 * kPixels; n -= 4 * kPixels, s += 4 * SB * kPixels, d += 4 * DB * kPixels) {
      R sv[4];
      LoadQuad<W, SB>(w, s, sv);
      if (op.Skip(sv[0]) && op.Skip(sv[1]) && op.Skip(sv[2]) && op.Skip(sv[3])) continue;
      if constexpr (SB == 4 && DB == 3 && Quad24Destination<Op>()) {
        const R dv[3] = {W::Load(d), W::Load(d + W::kBytes), W::Load(d + 2 * W::kBytes)};
        R out[3];
        op.ApplyQuad24(sv, dv, out);
        W::Store(d, out[0]);
        W::Store(d + W::kBytes, out[1]);
        W::Store(d + 2 * W::kBytes, out[2]);
        continue;
      }
      R dv[4] = {};
      if constexpr (DB == 3 && PackedDestination<Op>()) {
        w.LoadPackedQuad(d, dv);
        const R out[4] = {op.ApplyPacked(sv[0], dv[0]), op.ApplyPacked(sv[1], dv[1]), op.ApplyPacked(sv[2], dv[2]),
                          op.ApplyPacked(sv[3], dv[3])};
        w.StorePackedQuad(d, out);
        continue;
      }
      if constexpr (Op::kReadsDestination) LoadQuad<W, DB>(w, d, dv);
      const R out[4] = {op.Apply(sv[0], dv[0]), op.Apply(sv[1], dv[1]), op.Apply(sv[2], dv[2]), op.Apply(sv[3], dv[3])};
      StoreQuad<W, DB>(w, d, out);
    }
  }
  for (; n >= kPixels; n -= kPixels, s += SB * kPixels, d += DB * kPixels) OneBlock<W, SB, DB, true>(w, s, d, n, op);
  if (n > 0) OneBlock<W, SB, DB, false>(w, s, d, n, op);
}

template <class W, int SB, int DB, class Op>
inline void EachRow(const W& w, Transfer t, const Op& op) {
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride)
    EachBlock<W, SB, DB>(w, t.src, t.dst, t.cols, op);
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
