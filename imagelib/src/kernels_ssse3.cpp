// The kernels for processors with byte shuffles (SSSE3):
// the templates of kernel_*.h instantiated over width_ssse3.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "target_region.h"

PIXOLAN_TARGET_BEGIN("ssse3")
#include "kernel_blend.h"
#include "kernel_channels.h"
#include "kernel_copy.h"
#include "kernel_stretch.h"
#include "kernel_turn.h"
#include "width_ssse3.h"
PIXOLAN_TARGET_END

namespace pixolan {

const Kernels kSsse3Kernels = {
    {{&Put32<Ssse3, 3, false>, &Put32<Ssse3, 3, true>}, {&Put32<Ssse3, 4, false>, &Put32<Ssse3, 4, true>}},
    {&Put24<Ssse3, 3>, &Put24<Ssse3, 4>},
    {{&CopyKeepingRows<Ssse3, 3, 3>, &CopyKeepingRows<Ssse3, 3, 4>},
     {&CopyKeepingRows<Ssse3, 4, 3>, &CopyKeepingRows<Ssse3, 4, 4>}},
    &WidenRow<Ssse3>,
    &NarrowRow<Ssse3>,
    &CopyBytes<Ssse3>,
    {&SwapRun<Ssse3, 3>, &SwapRun<Ssse3, 4>},
    {&Remap<Ssse3, 3>, &Remap<Ssse3, 4>},
    &SumBand<Ssse3>,
    {{&SumRuns<Ssse3, 3, 3>, &SumRuns<Ssse3, 3, 4>}, {&SumRuns<Ssse3, 4, 3>, &SumRuns<Ssse3, 4, 4>}},
    Ssse3::kLanes,
    Ssse3::kWindowWords,
};

}  // namespace pixolan
