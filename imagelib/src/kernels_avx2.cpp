// The kernels for processors with 32-byte registers (AVX2):
// the kernel table over width_avx2.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "target_region.h"

PIXOLAN_TARGET_BEGIN("avx2")
#include "kernel_table.h"
#include "width_avx2.h"
PIXOLAN_TARGET_END

namespace pixolan {

const Kernels kAvx2Kernels = KernelsOver<Avx2>();

}  // namespace pixolan
