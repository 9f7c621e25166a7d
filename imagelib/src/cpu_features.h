// Processor features that some pixel loops can use when present.
//
// Every x86 build has SSE2 (the baseline of both targets), and the loops of
// this library have SSE2 versions built in. On x86 some loops also have
// versions built for SSSE3 (16-byte shuffles) and AVX2 (32-byte registers),
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

// PIXOLAN_VECTOR_LOOPS: the SSE2 loops are built.
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
#define PIXOLAN_VECTOR_LOOPS 1
#include <emmintrin.h>
#endif

// PIXOLAN_SHUFFLE_LOOPS: the SSSE3 and AVX2 loops are built as well, each
// function marked with the instruction set it needs.
#if defined(PIXOLAN_VECTOR_LOOPS) && (defined(__i386__) || defined(__x86_64__))
#define PIXOLAN_SHUFFLE_LOOPS 1
#include <immintrin.h>
#define PIXOLAN_TARGET_SSSE3 __attribute__((target("ssse3")))
#define PIXOLAN_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace pixolan {

// The widest loops a call may use.
enum class Simd { kBaseline, kSsse3, kAvx2 };

// True when PIXOLAN_SIMD holds `value`.
inline bool SimdChoiceIs(const char* value) {
  const char* choice = std::getenv("PIXOLAN_SIMD");
  return choice != nullptr && std::strcmp(choice, value) == 0;
}

// Decided once, from the processor and PIXOLAN_SIMD.
inline Simd WidestSimd() {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  static const Simd widest = [] {
    if (SimdChoiceIs("baseline") || !__builtin_cpu_supports("ssse3")) return Simd::kBaseline;
    if (SimdChoiceIs("ssse3") || !__builtin_cpu_supports("avx2")) return Simd::kSsse3;
    return Simd::kAvx2;
  }();
  return widest;
#else
  return Simd::kBaseline;
#endif
}

}  // namespace pixolan
