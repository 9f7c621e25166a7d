// The kernels for processors with 64-byte registers and byte operations on them (AVX-512 F and BW):
// the templates of kernel_*.h instantiated over width_avx512.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "target_region.h"

PIXOLAN_TARGET_BEGIN("avx512f,avx512bw")
#include "kernel_blend.h"
#include "kernel_channels.h"
#include "kernel_copy.h"
#include "kernel_stretch.h"
#include "kernel_turn.h"
#include "width_avx512.h"
PIXOLAN_TARGET_END

namespace pixolan {

const Kernels kAvx512Kernels = {
    {{&Put32<Avx512, 3, false>, &Put32<Avx512, 3, true>}, {&Put32<Avx512, 4, false>, &Put32<Avx512, 4, true>}},
    {&Put24<Avx512, 3>, &Put24<Avx512, 4>},
    {{&CopyKeepingRows<Avx512, 3, 3>, &CopyKeepingRows<Avx512, 3, 4>},
     {&CopyKeepingRows<Avx512, 4, 3>, &CopyKeepingRows<Avx512, 4, 4>}},
    &WidenRow<Avx512>,
    &NarrowRow<Avx512>,
    &CopyBytes<Avx512>,
    {&SwapRun<Avx512, 3>, &SwapRun<Avx512, 4>},
    {&Remap<Avx512, 3>, &Remap<Avx512, 4>},
    &SumBand<Avx512>,
    {{&SumRuns<Avx512, 3, 3>, &SumRuns<Avx512, 3, 4>}, {&SumRuns<Avx512, 4, 3>, &SumRuns<Avx512, 4, 4>}},
    Avx512::kLanes,
    Avx512::kWindowWords,
};

}  // namespace pixolan
