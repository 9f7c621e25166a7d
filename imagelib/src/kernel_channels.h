// The channel remapping kernel over a register width W with byte shuffles;
// the plain loop it matches is in kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

namespace pixolan {
namespace {

// out[k] = old[map[k]] for each pixel, by one byte shuffle of the pixels in
// 32-bit lanes (a 24-bit image's map never names the fourth byte).
template <class W>
struct Remapping {
  using R = typename W::R;
  static constexpr bool kReadsDestination = false;
  R pattern;
  static bool Skip(R) { return false; }
  R Apply(R s, R) const { return W::Shuffle8(s, pattern); }
};

template <class W, int BPP>
void Remap(Byte* first, long cols, long rows, std::ptrdiff_t stride, const Byte* map) {
  alignas(16) Byte lane[16];
  for (int i = 0; i < 16; ++i) lane[i] = static_cast<Byte>((i & ~3) + map[i & 3]);
  const W w;
  const Remapping<W> op{W::Kept(W::Lanes(lane))};
  for (long y = 0; y < rows; ++y, first -= stride) EachBlock<W, BPP, BPP>(w, first, first, cols, op);
}

}  // namespace
}  // namespace pixolan
