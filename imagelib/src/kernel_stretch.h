// Area averaging's two passes over a register width W (kernels.h describes
// Band and Runs, stretch.h the arithmetic); the plain loops they match are in
// kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

#include <cstdint>

namespace pixolan {
namespace {

// The vertical pass over n bytes of the band from byte `at`, into sums[at..].
// Rows go in pairs through one multiply-add of byte pairs: the bytes as
// signed p - 128 and the entries (at most 255 in a band of two or more rows)
// as unsigned, so every partial sum lies within -32768..32512 and the total is
// the sum less 32768 * 256 / 256 = 32768, the form the horizontal pass takes.
// A band of one row has the whole entry 256: (p - 128) * 256.
template <class W, bool Whole>
inline void SumColumns(const W& w, typename W::R flip, const Band& b, std::size_t at, std::uint16_t* out,
                       std::size_t n) {
  using R = typename W::R;
  const Byte* row = b.first + at;
  R lo, hi;
  if (b.rows == 1) {
    const R a = w.InMemoryOrder(W::Xor(LoadBytes<W, Whole>(row, n), flip));
    lo = W::UnpackLo8(W::Zero(), a);
    hi = W::UnpackHi8(W::Zero(), a);
  } else {
    lo = hi = W::Zero();
    long r = 0;
    for (; r + 2 <= b.rows; r += 2, row -= 2 * b.stride) {
      const R a = w.InMemoryOrder(W::Xor(LoadBytes<W, Whole>(row, n), flip));
      const R c = w.InMemoryOrder(W::Xor(LoadBytes<W, Whole>(row - b.stride, n), flip));
      const R w = W::Fill16(b.w[r] | b.w[r + 1] << 8);
      lo = W::Add16(lo, W::MaddUbs(w, W::UnpackLo8(a, c)));
      hi = W::Add16(hi, W::MaddUbs(w, W::UnpackHi8(a, c)));
    }
    if (r < b.rows) {
      const R a = w.InMemoryOrder(W::Xor(LoadBytes<W, Whole>(row, n), flip));
      const R w = W::Fill16(b.w[r]);
      lo = W::Add16(lo, W::MaddUbs(w, W::UnpackLo8(a, a)));
      hi = W::Add16(hi, W::MaddUbs(w, W::UnpackHi8(a, a)));
    }
  }
  constexpr std::size_t kHalf = W::kBytes / 2;
  if constexpr (Whole) {
    W::Store(out, lo);
    W::Store(out + kHalf, hi);
  } else {
    W::StorePart(out, lo, 2 * (n < kHalf ? n : kHalf));
    if (n > kHalf) W::StorePart(out + kHalf, hi, 2 * (n - kHalf));
  }
}

template <class W>
void SumBand(const Band& b, std::uint16_t* sums) {
  const W w;
  const typename W::R flip = W::Kept(W::Fill8(0x80));
  std::size_t at = 0;
  for (; at + W::kBytes <= b.bytes; at += W::kBytes) SumColumns<W, true>(w, flip, b, at, sums + at, W::kBytes);
  if (at < b.bytes) SumColumns<W, false>(w, flip, b, at, sums + at, b.bytes - at);
}

// One register of destination pixels, lane k making pixel k of `first`:
// each lane reads two columns of sums at a time (16 bytes), pairs them
// channel by channel and multiplies them by the pixel's two weights with one
// multiply-add into 32-bit sums. `start` is the rounding 32768 plus the
// 32768 * 256 that the vertical pass took off.
template <class W, int SB>
inline typename W::R SumLanes(typename W::R start, const std::uint16_t* sums, const std::uint32_t* first,
                              const std::uint32_t*& w, std::size_t pairs) {
  typename W::R acc = start;
  for (std::size_t j = 0; j < pairs; ++j, w += 4 * W::kLanes) {
    const typename W::R x = W::LoadLanes(sums, first, SB, 2 * SB * j);
    acc = W::Add32(acc, W::Madd16(W::UnpackLo16(x, W::template BytesDown<2 * SB>(x)), W::Load(w)));
  }
  return W::template Srl32<16>(acc);
}

// The same where the register's columns lie within one window of two
// registers from column `window`: one word permute per tap pair gathers what
// the lanes would load.
template <class W, int SB>
inline typename W::R SumWindow(typename W::R start, const std::uint16_t* sums, std::uint32_t window,
                               const std::uint16_t*& gather, const std::uint32_t*& w, std::size_t pairs) {
  const std::uint16_t* from = sums + std::size_t{window} * SB;
  const typename W::R lo = W::Load(from), hi = W::Load(from + W::kBytes / 2);
  typename W::R acc = start;
  for (std::size_t j = 0; j < pairs; ++j, w += 4 * W::kLanes, gather += W::kBytes / 2)
    acc = W::Add32(acc, W::Madd16(W::Gather16(lo, W::Load(gather), hi), W::Load(w)));
  return W::template Srl32<16>(acc);
}

// The horizontal pass: 4 registers of pixels per step, packed to bytes (the
// fourth channel of a 3-channel source is dropped or set to 255).
template <class W, int SB, int DB>
void SumRuns(const std::uint16_t* sums, const Runs& r, Byte* out) {
  using R = typename W::R;
  constexpr long kStep = 4 * W::kLanes;
  const W width;
  const R start = W::Kept(W::Fill32((256u << 15) + 32768)), opaque = W::Kept(W::Fill32(0xFF000000u));
  const std::uint32_t* w = r.w;
  const std::uint32_t* window = r.window;
  const std::uint16_t* gather = r.gather;
  for (long d = 0; d < r.count; d += kStep, out += DB * kStep) {
    R g[4];
    if constexpr (W::kWindowWords > 0) {
      if (window != nullptr) {
        for (int q = 0; q < 4; ++q) g[q] = SumWindow<W, SB>(start, sums, *window++, gather, w, r.pairs);
      }
    }
    if (W::kWindowWords == 0 || window == nullptr) {
      for (int q = 0; q < 4; ++q) g[q] = SumLanes<W, SB>(start, sums, r.first + d + q * W::kLanes, w, r.pairs);
    }
    // Lane k of the packed register holds pixels k, L + k, 2L + k, 3L + k.
    R px = width.LaneMajor(W::PackUs16(W::PackS32(g[0], g[1]), W::PackS32(g[2], g[3])));
    if constexpr (SB == 3 && DB == 4) px = W::Or(px, opaque);
    if constexpr (DB == 3) px = width.Pack24(px);
    const long left = r.count - d;
    if (left >= kStep) {
      if constexpr (DB == 3)
        W::StoreRgb(out, px);
      else
        W::Store(out, px);
    } else {
      W::StorePart(out, px, static_cast<std::size_t>(left) * DB);
    }
  }
}

}  // namespace
}  // namespace pixolan
