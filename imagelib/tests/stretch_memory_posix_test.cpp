// Running out of memory while scaling, and pixel memory that cannot be made
// for a copy. This program replaces the global allocation functions, which
// on Linux also serve the library, so that large allocations fail on request.
#include "test_support.h"

#include <gtest/gtest.h>
#include <winshim.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// While armed, every allocation of at least this many bytes fails. The
// library's small objects stay below it; its scaling tables do not.
constexpr std::size_t kFailFrom = 4096;
std::atomic<bool> gArmed{false};
std::atomic<int> gFailed{0};

struct Armed {
  Armed() { gArmed = true; }
  ~Armed() { gArmed = false; }
};

void* Allocate(std::size_t n) {
  if (gArmed && n >= kFailFrom) {
    ++gFailed;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(n != 0 ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

#include "replace_new.h"

namespace {

using testing_support::FillRandom;
using testing_support::ImagePtr;
using testing_support::MakeImage;
using testing_support::PixelMemory;

TEST(StretchOutOfMemory, StretchImageRecordsMemoryErrorAndWritesNothing) {
  for (int bpp : {24, 32}) {
    ImagePtr src = MakeImage(1500, 3, bpp);
    ImagePtr dst = MakeImage(1100, 2, bpp);
    FillRandom(*src, 1);
    FillRandom(*dst, 2);
    const auto before = PixelMemory(*dst);
    const int failedBefore = gFailed;
    {
      Armed armed;
      EXPECT_NO_THROW(EXPECT_EQ(dst->StretchImage(src.get(), 0), ERR_MEMORY));
    }
    EXPECT_GT(gFailed, failedBefore) << "the allocation was not intercepted";
    EXPECT_EQ(dst->ErrorCode, ERR_MEMORY);
    EXPECT_EQ(PixelMemory(*dst), before);

    // With memory back, the same call on a fresh image succeeds.
    ImagePtr again = MakeImage(1100, 2, bpp);
    EXPECT_EQ(again->StretchImage(src.get(), 0), ERR_NONE);
  }
}

TEST(StretchOutOfMemory, ResizedCopyRecordsMemoryError) {
  ImagePtr src = MakeImage(1500, 3, 32);
  FillRandom(*src, 3);
  const int failedBefore = gFailed;
  ImagePtr copy;
  {
    Armed armed;
    EXPECT_NO_THROW(copy.reset(new ZEMADisplayFCDIB(src.get(), 1200u, 2u, 1)));
  }
  ASSERT_TRUE(copy);
  EXPECT_GT(gFailed, failedBefore);
  EXPECT_EQ(copy->ErrorCode, ERR_MEMORY);
  // The pixel memory was made, but nothing was scaled into it.
  ASSERT_NE(copy->Bits, nullptr);
  for (unsigned char b : PixelMemory(*copy)) ASSERT_EQ(b, 0);
  testing_support::BoxCapture boxes;
  EXPECT_EQ(copy->DisplayError(), ERR_MEMORY);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Memory Error :\n  Not enough memory.");
}

TEST(CopyWithoutPixelMemory, BothCopiesReportTheSection) {
  ImagePtr src = MakeImage(6, 4, 24);
  shim::FailNextDIBSections(1);
  ImagePtr same(new ZEMADisplayFCDIB(src.get(), 1));
  EXPECT_EQ(same->ErrorCode, ERR_DIB_SECTION);
  EXPECT_EQ(same->hBitmap, nullptr);
  EXPECT_EQ(same->Bits, nullptr);

  shim::FailNextDIBSections(1);
  ImagePtr resized(new ZEMADisplayFCDIB(src.get(), 9u, 9u, 0));
  EXPECT_EQ(resized->ErrorCode, ERR_DIB_SECTION);
  EXPECT_EQ(resized->Bits, nullptr);
}

}  // namespace
