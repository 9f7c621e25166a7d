// The channel remapping kernel over a register width W with byte shuffles;
// the plain loop it matches is in kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

namespace pixolan {
namespace {

// out[k] = old[map[k]] for each pixel, by one byte shuffle per block: 32-bit
// pixels lie four to a lane; packed 24-bit pixels are moved four to a lane
// (12 bytes), shuffled in place and moved back.
template <class W, int BPP>
struct Remapping {
  W w;
  typename W::R pattern;
  template <bool Whole>
  void Block(const Byte* s, Byte* d, long n) const {
    if constexpr (BPP == 4) {
      StoreBytes<W, Whole>(d, W::Shuffle8(LoadBytes<W, Whole>(s, 4 * static_cast<std::size_t>(n)), pattern),
                           4 * static_cast<std::size_t>(n));
    } else {
      const typename W::R v = Whole ? W::LoadRgb(s) : W::LoadPart(s, 3 * static_cast<std::size_t>(n));
      const typename W::R r = w.Ungroup24(W::Shuffle8(w.Group24(v), pattern));
      if constexpr (Whole)
        W::StoreRgb(d, r);
      else
        W::StorePart(d, r, 3 * static_cast<std::size_t>(n));
    }
  }
};

template <class W, int BPP>
void Remap(Byte* first, long cols, long rows, std::ptrdiff_t stride, const Byte* map) {
  alignas(16) Byte lane[16];
  for (int i = 0; i < 16; ++i) lane[i] = static_cast<Byte>(i - i % BPP + map[i % BPP]);
  if constexpr (BPP == 3) lane[12] = lane[13] = lane[14] = lane[15] = 0x80;  // no pixel there
  Remapping<W, BPP> op{};
  op.pattern = W::Kept(W::Lanes(lane));
  for (long y = 0; y < rows; ++y, first -= stride) EachBlock<W, BPP, BPP>(first, first, cols, op);
}

}  // namespace
}  // namespace pixolan
