// The kernels for every x86 processor (SSE2, the baseline of both targets):
// the kernel table over width_sse2.h.
#include "kernels.h"

#include <immintrin.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernel_table.h"
#include "width_sse2.h"

namespace pixolan {

const Kernels kSse2Kernels = KernelsOver<Sse2>();

}  // namespace pixolan
