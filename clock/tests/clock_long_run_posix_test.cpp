// A long run of the clock body through the stand-in: an hour of 125 ms ticks
// and a thousand corner changes leave its bitmaps, regions, device contexts,
// open files and heap where they were after a first round of each.
#include <winshim.h>

#include <gtest/gtest.h>

#include <cstddef>

#include "clock_test_support.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count of the heap in use (its header isn't installed
// with every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

using clock_test::ClockFolder;

std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

struct Use {
  int gdiObjects, dcs, files;
  std::size_t heap;
};
Use Now() { return Use{shim::LiveGdiObjects(), shim::LiveDCs(), shim::OpenFiles(), HeapInUse()}; }

class LongRun : public ClockFolder {
 protected:
  void TearDown() override {
    shim::SetLocalTimeOverride(nullptr);
    ClockFolder::TearDown();
  }
};

TEST_F(LongRun, AnHourOfTicksAndAThousandCornerChangesLeaveUseFlat) {
  constexpr int kTicks = 3600 * 8;
  constexpr int kChanges = 1000;
  // Far below what one leaked allocation per change or per tick would add.
  constexpr std::size_t kHeapSlack = 16 * 1024;
  ClockMain clock(nullptr, nullptr);
  HRGN shape = nullptr;
  ASSERT_EQ(clock.Create(&shape, "KL_Face.bmp", "KL_Figs.dat", 1), 0);
  DeleteObject(shape);
  HDC window = shim::CreateSurfaceDC(kFaceWidth, kFaceHeight);

  // From half past eleven in the evening through midnight, so the hour and
  // minute tiles change as well as the colon.
  SYSTEMTIME now{2026, 12, 4, 31, 23, 30, 0, 0};
  int tick = 0, corner = 1;
  auto runTicks = [&](int count) {
    for (int i = 0; i < count; ++i, ++tick) {
      const int ms = tick * 125;
      now.wMilliseconds = static_cast<WORD>(ms % 1000);
      now.wSecond = static_cast<WORD>(ms / 1000 % 60);
      now.wMinute = static_cast<WORD>((30 + ms / 60000) % 60);
      now.wHour = static_cast<WORD>((23 + (30 + ms / 60000) / 60) % 24);
      shim::SetLocalTimeOverride(&now);
      clock.Paint(window);
    }
  };
  // What a corner change asks of the body; the window takes over the region
  // and deletes the one it replaces.
  auto change = [&] {
    corner = (corner + 1) % kLayoutCount;
    EXPECT_EQ(clock.Compose(corner), 0);
    DeleteObject(clock.CreateShape(corner));
  };

  runTicks(100);
  for (int i = 0; i < 4; ++i) change();
  const Use before = Now();
  for (int n = 0; n < kChanges; ++n) {
    runTicks(kTicks / kChanges);
    change();
  }
  runTicks(kTicks - kTicks / kChanges * kChanges);
  const Use after = Now();

  EXPECT_EQ(tick, 100 + kTicks);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.dcs, before.dcs);
  EXPECT_EQ(after.files, before.files);
  EXPECT_LE(after.heap, before.heap + kHeapSlack) << "heap " << before.heap << " before, " << after.heap << " after";
  shim::DeleteSurfaceDC(window);
}

}  // namespace
