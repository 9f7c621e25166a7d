// The kernels for processors with 32-byte registers (AVX2):
// the templates of kernel_*.h instantiated over width_avx2.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "target_region.h"

PIXOLAN_TARGET_BEGIN("avx2")
#include "kernel_blend.h"
#include "kernel_channels.h"
#include "kernel_copy.h"
#include "kernel_stretch.h"
#include "kernel_turn.h"
#include "width_avx2.h"
PIXOLAN_TARGET_END

namespace pixolan {

const Kernels kAvx2Kernels = {
    {{&Put32<Avx2, 3, false>, &Put32<Avx2, 3, true>}, {&Put32<Avx2, 4, false>, &Put32<Avx2, 4, true>}},
    {&Put24<Avx2, 3>, &Put24<Avx2, 4>},
    {{&CopyKeepingRows<Avx2, 3, 3>, &CopyKeepingRows<Avx2, 3, 4>},
     {&CopyKeepingRows<Avx2, 4, 3>, &CopyKeepingRows<Avx2, 4, 4>}},
    &WidenRow<Avx2>,
    &NarrowRow<Avx2>,
    &CopyBytes<Avx2>,
    {&SwapRun<Avx2, 3>, &SwapRun<Avx2, 4>},
    {&Remap<Avx2, 3>, &Remap<Avx2, 4>},
    &SumBand<Avx2>,
    {{&SumRuns<Avx2, 3, 3>, &SumRuns<Avx2, 3, 4>}, {&SumRuns<Avx2, 4, 3>, &SumRuns<Avx2, 4, 4>}},
    Avx2::kLanes,
    Avx2::kWindowWords,
};

}  // namespace pixolan
