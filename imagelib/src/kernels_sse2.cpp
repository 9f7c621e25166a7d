// The kernels for every x86 processor (SSE2, the baseline of both targets):
// the templates of kernel_*.h instantiated over width_sse2.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernel_blend.h"
#include "kernel_copy.h"
#include "kernel_stretch.h"
#include "kernel_turn.h"
#include "width_sse2.h"

namespace pixolan {

const Kernels kSse2Kernels = {
    {{&Put32<Sse2, 3, false>, &Put32<Sse2, 3, true>}, {&Put32<Sse2, 4, false>, &Put32<Sse2, 4, true>}},
    {&Put24<Sse2, 3>, &Put24<Sse2, 4>},
    {{&CopyKeepingRows<Sse2, 3, 3>, &CopyKeepingRows<Sse2, 3, 4>},
     {&CopyKeepingRows<Sse2, 4, 3>, &CopyKeepingRows<Sse2, 4, 4>}},
    &WidenRow<Sse2>,
    &NarrowRow<Sse2>,
    &CopyBytes<Sse2>,
    {&SwapRun<Sse2, 3>, &SwapRun<Sse2, 4>},
    {nullptr, nullptr},  // remapping needs byte shuffles: the plain loop
    &SumBand<Sse2>,
    {{&SumRuns<Sse2, 3, 3>, &SumRuns<Sse2, 3, 4>}, {&SumRuns<Sse2, 4, 3>, &SumRuns<Sse2, 4, 4>}},
    Sse2::kLanes,
    Sse2::kWindowWords,
};

}  // namespace pixolan
