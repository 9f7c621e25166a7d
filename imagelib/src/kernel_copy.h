// CopyImage's kernels and the row conversions over a register width W; the
// plain loops they match are in kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

#include <cstdint>

namespace pixolan {
namespace {

// 24 into 32 bits with a fixed fourth byte, and 32 into 24 bits.
template <class W>
struct Widen {
  using R = typename W::R;
  static constexpr bool kReadsDestination = false;
  R fourth;
  static bool Skip(R) { return false; }
  R Apply(R s, R) const { return W::Or(s, fourth); }
};
template <class W>
void WidenRow(const Byte* s, Byte* d, long n, Byte fourth) {
  const W w;
  Widen<W> op{W::Kept(W::Fill32(static_cast<std::uint32_t>(fourth) << 24))};
  EachBlock<W, 3, 4>(w, s, d, n, op);
}

template <class W>
struct Narrow {
  using R = typename W::R;
  static constexpr bool kReadsDestination = false;
  static bool Skip(R) { return false; }
  static R Apply(R s, R) { return s; }
};
template <class W>
void NarrowRow(const Byte* s, Byte* d, long n) {
  const W w;
  EachBlock<W, 4, 3>(w, s, d, n, Narrow<W>{});
}

// The bytes of a register that KeepMask keeps: a 32-bit word per pixel, or
// for packed 24-bit pixels the pattern of three bytes from channel `phase` on.
template <class W>
inline typename W::R KeptWords(unsigned keep) {
  std::uint32_t word = 0;
  for (int c = 0; c < 4; ++c)
    if (keep & (1u << c)) word |= 0xFFu << (8 * c);
  return W::Kept(W::Fill32(word));
}
template <class W>
inline typename W::R KeptRun(unsigned keep, int phase) {
  alignas(64) Byte bytes[W::kBytes];
  for (int b = 0; b < W::kBytes; ++b) bytes[b] = (keep >> ((phase + b) % 3)) & 1 ? 0xFF : 0;
  return W::Kept(W::Load(bytes));
}

// Whole pixels of SB bytes merged into DB-byte ones where `kept` is clear. A
// 24-bit source gives alpha 255.
template <class W, int SB>
struct CopyKeeping {
  using R = typename W::R;
  static constexpr bool kReadsDestination = true;
  static constexpr bool kPackedDestination = false;
  static constexpr bool kQuad24Destination = false;
  R kept;
  R opaque = W::Kept(W::Fill32(0xFF000000u));
  static bool Skip(R) { return false; }
  R Apply(R s, R d) const { return W::Select(kept, d, SB == 3 ? W::Or(s, opaque) : s); }
};

// 24 into 24 bits: the row is a run of bytes whose kept pattern repeats every
// three registers.
template <class W>
void CopyKeeping24(Transfer t, unsigned keep) {
  using R = typename W::R;
  const R kept[3] = {KeptRun<W>(keep, 0), KeptRun<W>(keep, W::kBytes % 3), KeptRun<W>(keep, 2 * W::kBytes % 3)};
  const std::size_t bytes = static_cast<std::size_t>(t.cols) * 3;
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride) {
    const Byte* s = t.src;
    Byte* d = t.dst;
    std::size_t n = bytes;
    int phase = 0;
    for (; n >= W::kBytes; n -= W::kBytes, s += W::kBytes, d += W::kBytes, phase = phase == 2 ? 0 : phase + 1)
      W::Store(d, W::Select(kept[phase], W::Load(d), W::Load(s)));
    if (n > 0) W::StorePart(d, W::Select(kept[phase], W::LoadPart(d, n), W::LoadPart(s, n)), n);
  }
}

template <class W, int SB, int DB>
void CopyKeepingRows(Transfer t, unsigned keep) {
  if constexpr (SB == 3 && DB == 3) {
    CopyKeeping24<W>(t, keep);
  } else {
    const W w;
    CopyKeeping<W, SB> op{};
    op.kept = KeptWords<W>(keep);
    EachRow<W, SB, DB>(w, t, op);
  }
}

// n bytes between two separate memories: whole registers into aligned
// destination addresses, four at a time (a large copy between differently
// aligned memories is slow otherwise), the ends unaligned and overlapping.
template <class W>
void CopyBytes(const Byte* s, Byte* d, std::size_t n) {
  constexpr std::size_t kBytes = W::kBytes;
  if (n < kBytes) {
    if (n > 0) W::StorePart(d, W::LoadPart(s, n), n);
    return;
  }
  const Byte* const lastSrc = s + n - kBytes;
  Byte* const lastDst = d + n - kBytes;
  const std::size_t head = (kBytes - (reinterpret_cast<std::uintptr_t>(d) & (kBytes - 1))) & (kBytes - 1);
  W::Store(d, W::Load(s));
  s += head;
  d += head;
  n -= head;
  for (; n >= 4 * kBytes; n -= 4 * kBytes, s += 4 * kBytes, d += 4 * kBytes) {
    const typename W::R a = W::Load(s), b = W::Load(s + kBytes), c = W::Load(s + 2 * kBytes),
                        e = W::Load(s + 3 * kBytes);
    W::StoreAligned(d, a);
    W::StoreAligned(d + kBytes, b);
    W::StoreAligned(d + 2 * kBytes, c);
    W::StoreAligned(d + 3 * kBytes, e);
  }
  for (; n >= kBytes; n -= kBytes, s += kBytes, d += kBytes) W::StoreAligned(d, W::Load(s));
  W::Store(lastDst, W::Load(lastSrc));
}

}  // namespace
}  // namespace pixolan
