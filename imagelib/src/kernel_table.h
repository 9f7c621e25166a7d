// The table of kernels (kernels.h) of one register width W: the templates of
// kernel_*.h instantiated over it. Included inside the width's
// instruction-set region.
#pragma once

#include "kernel_blend.h"
#include "kernel_channels.h"
#include "kernel_copy.h"
#include "kernel_stretch.h"
#include "kernel_turn.h"

namespace pixolan {
namespace {

template <class W>
constexpr Kernels KernelsOver() {
  Kernels k = {
      {{&Put32<W, 3, false>, &Put32<W, 3, true>}, {&Put32<W, 4, false>, &Put32<W, 4, true>}},
      {&Put24<W, 3>, &Put24<W, 4>},
      {{&CopyKeepingRows<W, 3, 3>, &CopyKeepingRows<W, 3, 4>}, {&CopyKeepingRows<W, 4, 3>, &CopyKeepingRows<W, 4, 4>}},
      &WidenRow<W>,
      &NarrowRow<W>,
      &CopyBytes<W>,
      {&SwapRun<W, 3>, &SwapRun<W, 4>},
      {nullptr, nullptr},  // remapping needs byte shuffles; without them, the plain loop
      &SumBand<W>,
      {{&SumRuns<W, 3, 3>, &SumRuns<W, 3, 4>}, {&SumRuns<W, 4, 3>, &SumRuns<W, 4, 4>}},
      W::kLanes,
      W::kWindowWords,
  };
  if constexpr (W::kShuffles) {
    k.remap[0] = &Remap<W, 3>;
    k.remap[1] = &Remap<W, 4>;
    k.halve[0][0] = &Halve<W, 3, 3>;
    k.halve[0][1] = &Halve<W, 3, 4>;
    k.halve[1][0] = &Halve<W, 4, 3>;
    k.halve[1][1] = &Halve<W, 4, 4>;
  }
  return k;
}

}  // namespace
}  // namespace pixolan
