// Area averaging's two passes over a register width W (kernels.h describes
// Band and Runs, stretch.h the arithmetic); the plain loops they match are in
// kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

#include <xmmintrin.h>

#include <cstdint>

namespace pixolan {
namespace {

// How far ahead of the vertical pass its rows are asked for: memory is
// slower to answer than the hardware guesses on its own.
constexpr std::size_t kAhead = 1024;

// The vertical pass, row pair by row pair along the whole row of sums (which
// stays in the nearest cache), so that each pass keeps its weights in a
// register. Rows go in pairs through one multiply-add of byte pairs: the
// bytes as signed p - 128 and the entries (at most 255 in a band of two or
// more rows) as unsigned, so every partial sum lies within -32768..32512 and
// the total is the sum less 32768 * 256 / 256 = 32768, the form the
// horizontal pass takes. A band of one row has the whole entry 256:
// (p - 128) * 256.
template <class W>
struct BandPass {
  using R = typename W::R;
  W w;
  R flip = W::Kept(W::Fill8(0x80));
  R weights;
  const Byte* a;  // the pass's rows, or a == b for a last, single row
  const Byte* b;
  bool adds;  // onto the sums of the passes before

  template <bool Whole>
  void Bytes(const Byte* at, std::uint16_t* out, std::size_t n) const {
    const std::size_t offset = static_cast<std::size_t>(at - a);
    _mm_prefetch(reinterpret_cast<const char*>(at + kAhead), _MM_HINT_T0);
    if (b != nullptr) _mm_prefetch(reinterpret_cast<const char*>(b + offset + kAhead), _MM_HINT_T0);
    const R x = w.InMemoryOrder(W::Xor(LoadBytes<W, Whole>(at, n), flip));
    R lo, hi;
    if (b == nullptr) {
      lo = W::UnpackLo8(W::Zero(), x);
      hi = W::UnpackHi8(W::Zero(), x);
    } else {
      const R y = w.InMemoryOrder(W::Xor(LoadBytes<W, Whole>(b + offset, n), flip));
      lo = W::MaddUbs(weights, W::UnpackLo8(x, y));
      hi = W::MaddUbs(weights, W::UnpackHi8(x, y));
    }
    constexpr std::size_t kHalf = W::kBytes / 2;
    const std::size_t first = n < kHalf ? n : kHalf, second = n - first;
    if (adds) {
      lo = W::Add16(lo, Whole ? W::Load(out) : W::LoadPart(out, 2 * first));
      if (second > 0) hi = W::Add16(hi, Whole ? W::Load(out + kHalf) : W::LoadPart(out + kHalf, 2 * second));
    }
    if constexpr (Whole) {
      W::Store(out, lo);
      W::Store(out + kHalf, hi);
    } else {
      W::StorePart(out, lo, 2 * first);
      if (second > 0) W::StorePart(out + kHalf, hi, 2 * second);
    }
  }
};

template <class W>
void SumBand(const Band& b, std::uint16_t* sums) {
  BandPass<W> pass{};
  const Byte* row = b.first;
  for (long r = 0; r < b.rows; r += 2, row -= 2 * b.stride) {
    pass.a = row;
    pass.adds = r > 0;
    if (b.rows == 1) {
      pass.b = nullptr;
    } else {
      const bool single = r + 1 == b.rows;  // the last of an odd number: paired with itself at weight 0
      pass.b = single ? row : row - b.stride;
      pass.weights = W::Kept(W::Fill16(b.w[r] | (single ? 0 : b.w[r + 1] << 8)));
    }
    const Byte* at = row;
    std::uint16_t* out = sums;
    std::size_t n = b.bytes;
    for (; n >= W::kBytes; n -= W::kBytes, at += W::kBytes, out += W::kBytes)
      pass.template Bytes<true>(at, out, W::kBytes);
    if (n > 0) pass.template Bytes<false>(at, out, n);
  }
}

// One register of destination pixels, lane k making pixel k of `first`:
// each lane reads two columns of sums at a time (16 bytes), pairs them
// channel by channel and multiplies them by the pixel's two weights with one
// multiply-add into 32-bit sums. `start` is the rounding 32768 plus the
// 32768 * 256 that the vertical pass took off.
template <class W, int SB, int P>
inline typename W::R SumLanes(const W& width, typename W::R start, const std::uint16_t* sums,
                              const std::uint32_t* first, const std::uint32_t*& w, std::size_t pairs) {
  typename W::R acc = start;
  for (std::size_t j = 0; j < (P != 0 ? P : pairs); ++j, w += W::kLanes) {
    const typename W::R x = W::LoadLanes(sums, first, SB, 2 * SB * j);
    acc = W::Add32(acc, W::Madd16(W::UnpackLo16(x, W::template BytesDown<2 * SB>(x)), width.SpreadWeights(w)));
  }
  return W::template Srl32<16>(acc);
}

// The same, channel by channel, where the register's columns lie within one
// window of one or two registers from column `window`: lane c makes channel c
// of the register's four pixels, one in each 32-bit lane, so that every lane
// takes the same weights and, plus c, the same words of the window (from
// `starts`, what the first tap pair gathers; `next` is what the next one adds
// to them). One word permute per tap pair gathers what the lanes would load.
template <class W, int SB, int P, int Registers>
inline typename W::R SumWindow(const W& width, typename W::R start, typename W::R next, const std::uint16_t* sums,
                               std::uint32_t window, const std::uint16_t* starts, const std::uint32_t*& w,
                               std::size_t pairs) {
  static_assert(W::kLanes == 4, "a register's four pixels share one lane of weights");
  const std::uint16_t* from = sums + std::size_t{window} * SB;
  const typename W::R lo = W::Load(from), hi = Registers == 2 ? W::Load(from + W::kBytes / 2) : lo;
  typename W::R index = W::Add16(W::Lanes(reinterpret_cast<const Byte*>(starts)), width.laneNumbers);
  typename W::R acc = start;
  for (std::size_t j = 0; j < (P != 0 ? P : pairs); ++j, w += W::kLanes, index = W::Add16(index, next)) {
    const typename W::R x = Registers == 2 ? W::Gather16(lo, index, hi) : W::Permute16(lo, index);
    acc = W::Add32(acc, W::Madd16(x, W::Lanes(reinterpret_cast<const Byte*>(w))));
  }
  return W::template Srl32<16>(acc);
}

// The horizontal pass: 4 registers of pixels per step, packed to bytes (the
// fourth channel of a 3-channel source is dropped or set to 255). Registers
// of a window hold channels, the others pixels.
template <class W, int SB, int DB, int P, int Registers>
void SumRunsOf(const std::uint16_t* sums, const Runs& r, Byte* out, std::ptrdiff_t next, int copies) {
  using R = typename W::R;
  constexpr long kStep = 4 * W::kLanes;
  const W width;
  const R start = W::Kept(W::Fill32((256u << 15) + 32768)), opaque = W::Kept(W::Fill32(0xFF000000u));
  const std::uint32_t* w = r.w;
  const std::uint32_t* window = r.window;
  const std::uint16_t* starts = r.starts;
  const R pairStep = W::Kept(W::Fill16(2 * SB));
  for (long d = 0; d < r.count; d += kStep, out += DB * kStep) {
    R g0, g1, g2, g3;
    if constexpr (Registers > 0) {
      g0 = SumWindow<W, SB, P, Registers>(width, start, pairStep, sums, window[0], starts, w, r.pairs);
      g1 = SumWindow<W, SB, P, Registers>(width, start, pairStep, sums, window[1], starts + 8, w, r.pairs);
      g2 = SumWindow<W, SB, P, Registers>(width, start, pairStep, sums, window[2], starts + 16, w, r.pairs);
      g3 = SumWindow<W, SB, P, Registers>(width, start, pairStep, sums, window[3], starts + 24, w, r.pairs);
      window += 4;
      starts += 2 * kStep;
    } else {
      g0 = SumLanes<W, SB, P>(width, start, sums, r.first + d, w, r.pairs);
      g1 = SumLanes<W, SB, P>(width, start, sums, r.first + d + W::kLanes, w, r.pairs);
      g2 = SumLanes<W, SB, P>(width, start, sums, r.first + d + 2 * W::kLanes, w, r.pairs);
      g3 = SumLanes<W, SB, P>(width, start, sums, r.first + d + 3 * W::kLanes, w, r.pairs);
    }
    R px = W::PackUs16(W::PackS32(g0, g1), W::PackS32(g2, g3));
    if constexpr (Registers > 0) {
      // Lane c holds channel c of the step's pixels in order.
      px = width.template PixelsFromPlanes<DB>(px);
    } else {
      // Lane k holds pixels k, L + k, 2L + k, 3L + k.
      px = width.LaneMajor(px);
      if constexpr (DB == 3) px = width.Pack24(px);
    }
    if constexpr (SB == 3 && DB == 4) px = W::Or(px, opaque);
    const long left = r.count - d;
    Byte* to = out;
    for (int k = 0; k < copies; ++k, to += next) {
      if (left >= kStep) {
        if constexpr (DB == 3)
          W::StoreRgb(to, px);
        else
          W::Store(to, px);
      } else {
        W::StorePart(to, px, static_cast<std::size_t>(left) * DB);
      }
    }
  }
}

template <class W, int SB, int DB, int P>
void SumRunsWith(const std::uint16_t* sums, const Runs& r, Byte* out, std::ptrdiff_t next, int copies) {
  if constexpr (W::kWindowWords > 0) {
    if (r.windowRegisters == 1) return SumRunsOf<W, SB, DB, P, 1>(sums, r, out, next, copies);
    if (r.windowRegisters == 2) return SumRunsOf<W, SB, DB, P, 2>(sums, r, out, next, copies);
  }
  SumRunsOf<W, SB, DB, P, 0>(sums, r, out, next, copies);
}

// Halving (kernels.h): each register of source pixels makes half as many,
// its neighbours' channels paired by a byte shuffle and summed by one
// multiply-add with 1, the two rows added; the halves of two registers are
// packed into one. What is left of the row goes the plain way.
template <class W, int SB, int DB>
void Halve(const Byte* top, const Byte* below, Byte* out, long n) {
  using R = typename W::R;
  constexpr long kStep = W::kBytes / 4;  // destination pixels per step, source pixels per register
  const W w;
  const R ones = W::Kept(W::Fill8(1)), two = W::Kept(W::Fill16(2)), opaque = W::Kept(W::Fill32(0xFF000000u));
  const auto sums = [&](const Byte* a, const Byte* b) {
    R pa, pb;
    if constexpr (SB == 4) {
      pa = W::Load(a);
      pb = W::Load(b);
    } else {
      pa = W::LoadRgb(a);
      pb = W::LoadRgb(b);
    }
    const R x =
        W::Add16(W::MaddUbs(w.template PairPixels<SB>(pa), ones), W::MaddUbs(w.template PairPixels<SB>(pb), ones));
    return W::template Srl16<2>(W::Add16(x, two));
  };
  for (; n >= kStep; n -= kStep, top += 2 * SB * kStep, below += 2 * SB * kStep, out += DB * kStep) {
    R px = w.HalvesInOrder(W::PackUs16(sums(top, below), sums(top + SB * kStep, below + SB * kStep)));
    if constexpr (DB == 3) {
      W::StoreRgb(out, w.Pack24(px));
    } else {
      if constexpr (SB == 3) px = W::Or(px, opaque);
      W::Store(out, px);
    }
  }
  for (; n > 0; --n, top += 2 * SB, below += 2 * SB, out += DB) {
    for (int c = 0; c < 3; ++c) out[c] = static_cast<Byte>((top[c] + top[SB + c] + below[c] + below[SB + c] + 2) >> 2);
    if constexpr (DB == 4) out[3] = SB == 4 ? static_cast<Byte>((top[3] + top[7] + below[3] + below[7] + 2) >> 2) : 255;
  }
}

// P is the number of tap pairs where it is known at compile time (most often
// 1), 0 where it is not.
template <class W, int SB, int DB>
void SumRuns(const std::uint16_t* sums, const Runs& r, Byte* out, std::ptrdiff_t next, int copies) {
  if (r.pairs == 1) return SumRunsWith<W, SB, DB, 1>(sums, r, out, next, copies);
  SumRunsWith<W, SB, DB, 0>(sums, r, out, next, copies);
}

}  // namespace
}  // namespace pixolan
