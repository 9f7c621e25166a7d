// The mirrors' kernel over a register width W: runs of pixel exchanges, a
// block from each end at a time; the plain loop it matches is in
// kernels_plain.cpp.
#pragma once

#include "kernel_layout.h"

#include <cstring>

namespace pixolan {
namespace {

// Exchanges `pairs` BPP-byte pixels, `front` walking right and `back` left.
// While a whole block is left on each side the two blocks cannot overlap,
// even where the runs meet in one row; the last few pairs go one by one.
template <class W, int BPP>
void SwapRun(Byte* front, Byte* back, std::size_t pairs) {
  constexpr std::size_t kPixels = W::kBytes / 4;
  const W w;
  for (; pairs >= kPixels; pairs -= kPixels, front += BPP * kPixels, back -= BPP * kPixels) {
    Byte* const backBlock = back - (kPixels - 1) * BPP;
    if constexpr (BPP == 4) {
      const typename W::R f = W::Load(front), b = W::Load(backBlock);
      W::Store(front, w.Reverse32(b));
      W::Store(backBlock, w.Reverse32(f));
    } else {
      const typename W::R f = W::LoadRgb(front), b = W::LoadRgb(backBlock);
      W::StoreRgb(front, w.ReverseRgb(b));
      W::StoreRgb(backBlock, w.ReverseRgb(f));
    }
  }
  for (; pairs != 0; --pairs, front += BPP, back -= BPP) {
    Byte t[BPP];
    std::memcpy(t, front, BPP);
    std::memcpy(front, back, BPP);
    std::memcpy(back, t, BPP);
  }
}

}  // namespace
}  // namespace pixolan
