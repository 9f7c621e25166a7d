// Processor features that some pixel loops can use when present.
//
// On x86 the loops that move bytes within pixels or reverse runs of pixels
// have versions built for SSSE3 (16-byte shuffles) and AVX2 (32 bytes),
// chosen at run time so that the library still runs on processors without.
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#define PIXOLAN_SHUFFLE_LOOPS 1
#include <immintrin.h>
#define PIXOLAN_TARGET_SSSE3 __attribute__((target("ssse3")))
#define PIXOLAN_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace pixolan {

inline bool HasByteShuffle() {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
#else
  return false;
#endif
}

inline bool HasWideShuffle() {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

}  // namespace pixolan
