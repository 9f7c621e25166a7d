// The kernels for processors with 64-byte registers and byte operations on them (AVX-512 F and BW):
// the kernel table over width_avx512.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "target_region.h"

PIXOLAN_TARGET_BEGIN("avx512f,avx512bw")
#include "kernel_table.h"
#include "width_avx512.h"
PIXOLAN_TARGET_END

namespace pixolan {

const Kernels kAvx512Kernels = KernelsOver<Avx512>();

}  // namespace pixolan
