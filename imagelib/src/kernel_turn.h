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
  using R = typename W::R;
  constexpr std::size_t kPixels = W::kBytes / 4;
  const W w;
  if constexpr (BPP == 3) {
    // Four blocks at a time, three whole registers of packed bytes each side:
    // the blocks in reverse order, each one's lanes in reverse order as they
    // are loaded, and each lane's pixels reversed in place.
    for (; pairs >= 4 * kPixels; pairs -= 4 * kPixels, front += 12 * kPixels, back -= 12 * kPixels) {
      Byte* const backQuad = back - (4 * kPixels - 1) * 3;
      R f[4], b[4];
      w.LoadPackedQuadReversed(front, f);
      w.LoadPackedQuadReversed(backQuad, b);
      const R toFront[4] = {w.ReverseLanes(b[3]), w.ReverseLanes(b[2]), w.ReverseLanes(b[1]), w.ReverseLanes(b[0])};
      const R toBack[4] = {w.ReverseLanes(f[3]), w.ReverseLanes(f[2]), w.ReverseLanes(f[1]), w.ReverseLanes(f[0])};
      w.StorePackedQuad(front, toFront);
      w.StorePackedQuad(backQuad, toBack);
    }
  }
  for (; pairs >= kPixels; pairs -= kPixels, front += BPP * kPixels, back -= BPP * kPixels) {
    Byte* const backBlock = back - (kPixels - 1) * BPP;
    if constexpr (BPP == 4) {
      const R f = W::Load(front), b = W::Load(backBlock);
      W::Store(front, w.Reverse32(b));
      W::Store(backBlock, w.Reverse32(f));
    } else {
      const R f = W::LoadRgb(front), b = W::LoadRgb(backBlock);
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
