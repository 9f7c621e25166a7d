// The one run-time choice of kernels for the whole library.
#include "kernels.h"

#include <cstdlib>

#if defined(PIXOLAN_VECTOR_KERNELS)
#include <cpuid.h>
#endif

namespace pixolan {

namespace {

#if defined(PIXOLAN_VECTOR_KERNELS)
// Which of the register widths this processor runs, asked of the processor
// (CPUID) and, for the 32- and 64-byte registers, of the operating system too:
// it must save their state on every task switch (XGETBV), or their contents
// would be lost.
std::uint64_t SavedState() {
  std::uint32_t lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (std::uint64_t{hi} << 32) | lo;
}

KernelWidth DetectedWidth() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return KernelWidth::kSse2;
  const bool ssse3 = (c & bit_SSSE3) != 0;
  const bool osSaves = (c & bit_OSXSAVE) != 0 && (c & bit_AVX) != 0;
  if (!ssse3) return KernelWidth::kSse2;
  if (!osSaves) return KernelWidth::kSsse3;
  const std::uint64_t saved = SavedState();
  constexpr std::uint64_t kVectorState = 0x6;   // SSE and AVX registers
  constexpr std::uint64_t kAvx512State = 0xE0;  // mask registers, upper halves, upper sixteen registers
  if ((saved & kVectorState) != kVectorState) return KernelWidth::kSsse3;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return KernelWidth::kSsse3;
  if ((b & bit_AVX2) == 0) return KernelWidth::kSsse3;
  constexpr unsigned kAvx512F = 1u << 16, kAvx512BW = 1u << 30;
  if ((b & (kAvx512F | kAvx512BW)) != (kAvx512F | kAvx512BW) || (saved & kAvx512State) != kAvx512State)
    return KernelWidth::kAvx2;
  return KernelWidth::kAvx512;
}

const Kernels& TableOf(KernelWidth w) {
  switch (w) {
    case KernelWidth::kSse2:
      return kSse2Kernels;
    case KernelWidth::kSsse3:
      return kSsse3Kernels;
    case KernelWidth::kAvx2:
      return kAvx2Kernels;
    case KernelWidth::kAvx512:
      return kAvx512Kernels;
    default:
      return kPlainKernels;
  }
}
#endif

// The table of `w`, each entry that `w` leaves empty taken from the next
// narrower width that has it.
Kernels Assembled(KernelWidth w) {
#if defined(PIXOLAN_VECTOR_KERNELS)
  Kernels k = TableOf(w);
  for (int narrower = static_cast<int>(w) - 1; narrower >= 0; --narrower) {
    const Kernels& n = TableOf(static_cast<KernelWidth>(narrower));
    for (int b = 0; b < 2; ++b)
      if (k.remap[b] == nullptr) k.remap[b] = n.remap[b];
  }
  return k;
#else
  (void)w;
  return kPlainKernels;
#endif
}

// The widest width that this processor and its operating system run,
// narrowed by the environment variable PIXOLAN_SIMD.
KernelWidth ActiveWidth() {
#if defined(PIXOLAN_VECTOR_KERNELS)
  return NarrowedWidth(DetectedWidth(), std::getenv("PIXOLAN_SIMD"));
#else
  return KernelWidth::kPlain;
#endif
}

}  // namespace

const Kernels& ActiveKernels() {
  static const Kernels kernels = Assembled(ActiveWidth());  // decided once
  return kernels;
}

}  // namespace pixolan
