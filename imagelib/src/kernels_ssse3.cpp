// The kernels for processors with byte shuffles (SSSE3):
// the kernel table over width_ssse3.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "target_region.h"

PIXOLAN_TARGET_BEGIN("ssse3")
#include "kernel_table.h"
#include "width_ssse3.h"
PIXOLAN_TARGET_END

namespace pixolan {

const Kernels kSsse3Kernels = KernelsOver<Ssse3>();

}  // namespace pixolan
