// The run-time choice of kernels: PIXOLAN_SIMD narrows what the processor
// has and never widens it.
#include "kernels.h"

#include <gtest/gtest.h>

namespace {

using pixolan::KernelWidth;

TEST(KernelChoice, TheEnvironmentOnlyNarrows) {
  struct Case {
    KernelWidth detected;
    const char* choice;
    KernelWidth chosen;
  };
  for (const Case& c :
       {Case{KernelWidth::kAvx512, nullptr, KernelWidth::kAvx512},
        Case{KernelWidth::kAvx512, "avx2", KernelWidth::kAvx2},
        Case{KernelWidth::kAvx512, "ssse3", KernelWidth::kSsse3},
        Case{KernelWidth::kAvx512, "baseline", KernelWidth::kSse2},
        Case{KernelWidth::kAvx512, "avx512", KernelWidth::kAvx512},
        Case{KernelWidth::kSsse3, "avx2", KernelWidth::kSsse3}, Case{KernelWidth::kSse2, "ssse3", KernelWidth::kSse2},
        Case{KernelWidth::kPlain, "baseline", KernelWidth::kPlain}})
    EXPECT_EQ(pixolan::NarrowedWidth(c.detected, c.choice), c.chosen) << (c.choice ? c.choice : "(unset)");
}

}  // namespace
