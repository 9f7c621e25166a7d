// Marks the part of a source file whose functions are compiled for an
// instruction set beyond the build's baseline: PIXOLAN_TARGET_BEGIN("avx2")
// ... PIXOLAN_TARGET_END. Only the functions defined between the two get the
// instruction set, so every header the region uses from outside (the standard
// library, the intrinsics) must be included before it.
#pragma once

#define PIXOLAN_PRAGMA(text) _Pragma(#text)
#if defined(__clang__)
#define PIXOLAN_TARGET_BEGIN(features) \
  PIXOLAN_PRAGMA(clang attribute push(__attribute__((target(features))), apply_to = function))
#define PIXOLAN_TARGET_END PIXOLAN_PRAGMA(clang attribute pop)
#else
#define PIXOLAN_TARGET_BEGIN(features) PIXOLAN_PRAGMA(GCC push_options) PIXOLAN_PRAGMA(GCC target(features))
#define PIXOLAN_TARGET_END PIXOLAN_PRAGMA(GCC pop_options)
#endif

// For the constructors of the register widths: each kernel makes its width's
// constants itself, keeping those it uses; a constructor that is called
// instead would build every constant on the stack at every call.
#define PIXOLAN_ALWAYS_INLINE __attribute__((always_inline))
