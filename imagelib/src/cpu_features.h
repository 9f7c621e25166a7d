// Processor features that some pixel loops can use when present.
//
// On x86 the loops that move bytes within pixels or reverse runs of pixels
// have versions built for SSSE3 (16-byte shuffles) and AVX2 (32 bytes),
// chosen at run time so that the library still runs on processors without.
// PIXOLAN_PORTABLE_LOOPS (a build option) leaves out every vector loop, so the
// plain loops can be built and tested on x86 too; the environment variable
// PIXOLAN_SIMD=baseline turns the run-time choice off, so the baseline loops
// of a normal build can be tested on a processor that has the wider ones, and
// PIXOLAN_SIMD=ssse3 turns off only the 32-byte loops, so that the 16-byte
// ones can be tested on a processor that has both.
#pragma once

#include <cstdlib>
#include <cstring>

#if (defined(__i386__) || defined(__x86_64__)) && !defined(PIXOLAN_PORTABLE_LOOPS)
#define PIXOLAN_SHUFFLE_LOOPS 1
#include <immintrin.h>
#define PIXOLAN_TARGET_SSSE3 __attribute__((target("ssse3")))
#define PIXOLAN_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace pixolan {

// True when PIXOLAN_SIMD holds `value`.
inline bool SimdChoiceIs(const char* value) {
  const char* choice = std::getenv("PIXOLAN_SIMD");
  return choice != nullptr && std::strcmp(choice, value) == 0;
}

inline bool WiderLoopsAllowed() {
  static const bool allowed = !SimdChoiceIs("baseline");
  return allowed;
}

inline bool HasByteShuffle() {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  static const bool has = WiderLoopsAllowed() && __builtin_cpu_supports("ssse3");
  return has;
#else
  return false;
#endif
}

inline bool HasWideShuffle() {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  static const bool has = WiderLoopsAllowed() && !SimdChoiceIs("ssse3") && __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

}  // namespace pixolan
