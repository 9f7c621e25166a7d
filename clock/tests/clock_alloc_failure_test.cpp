// Each guarded step of the clock body turns a failed allocation into its own
// message. This program replaces the global allocation functions so that a
// chosen allocation, on the test's own thread, runs out of memory.
#include "Messages.h"
#include "clock_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

// The countdown-th allocation of failSize bytes on this thread throws.
thread_local std::size_t tFailSize = 0;
thread_local int tFailCountdown = 0;

void* Allocate(std::size_t n) {
  if (tFailCountdown > 0 && n == tFailSize && --tFailCountdown == 0) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

#include "replace_new.h"

namespace {

using clock_test::ClockFolder;

TEST_F(ClockFolder, EachFailedAllocationShowsItsStepsMessage) {
  const struct {
    const char* step;
    std::size_t size;
    int nth;
    const char* text;
  } cases[] = {
      {"skin", sizeof(ZEMADisplayFCDIB), 1, horlin::kMsgSkinLoad},
      {"strip", sizeof(ZEMADisplayFCDIB), 2, horlin::kMsgStripCreate},
      {"figure buffer", kFigureBytes, 1, horlin::kMsgMemory},
      {"figure sheet", sizeof(ZEMADisplayFCDIB), 3, horlin::kMsgObjectCreate},
  };
  for (const auto& c : cases) {
    testing_support::BoxCapture boxes;
    ClockMain clock(nullptr, nullptr);
    HRGN shape = nullptr;
    tFailSize = c.size;
    tFailCountdown = c.nth;
    const int result = clock.Create(&shape, "KL_Face.bmp", "KL_Figs.dat", 0);
    const bool failedOne = tFailCountdown == 0;
    tFailCountdown = 0;
    DeleteObject(shape);
    EXPECT_TRUE(failedOne) << c.step;
    EXPECT_EQ(result, 1) << c.step;
    std::vector<testing_support::ShownBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u) << c.step;
    EXPECT_EQ(shown[0].text, c.text) << c.step;
    EXPECT_EQ(shown[0].caption, "Error") << c.step;
    EXPECT_EQ(clock.Figures, nullptr) << c.step;
  }
}

}  // namespace
