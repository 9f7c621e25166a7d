// Painting at fixed local times into a surface standing for the window, and
// the clock body's use of the window handle and files, through the stand-in.
#include "clock_test_support.h"

#include <winshim.h>

#include <gtest/gtest.h>

namespace {

using clock_test::ClockFolder;
namespace fs = std::filesystem;

class Painted : public ClockFolder {
 protected:
  void TearDown() override {
    shim::SetLocalTimeOverride(nullptr);
    ClockFolder::TearDown();
  }

  // Paints at `now` and checks that every face pixel shows the strip row that
  // rows[slot] names for the tile holding it.
  void ExpectRows(int layout, SYSTEMTIME now, const int (&rows)[kSlotCount]) {
    ClockMain clock(nullptr, nullptr);
    ASSERT_EQ(clock.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", layout), 0);
    HDC surface = shim::CreateSurfaceDC(kFaceWidth, kFaceHeight);
    for (int y = 0; y < kFaceHeight; ++y)
      for (int x = 0; x < kFaceWidth; ++x) shim::SetSurfacePixel(surface, x, y, 0x00FE01FD);
    shim::SetLocalTimeOverride(&now);
    clock.Paint(surface);
    for (int i = 0; i < kSlotCount; ++i) {
      const POINT t = TilePos[layout][i];
      for (int y = t.y; y < t.y + TileSize[i].cy; ++y) {
        for (int x = t.x; x < t.x + TileSize[i].cx; ++x) {
          std::vector<unsigned char> px = testing_support::PixelAt(*clock.Strip, x, y + 60 * rows[i]);
          const DWORD want = px[2] << 16 | px[1] << 8 | px[0];
          ASSERT_EQ(shim::GetSurfacePixel(surface, x, y), want)
              << "layout " << layout << " slot " << i << " pixel " << x << "," << y;
        }
      }
    }
    shim::DeleteSurfaceDC(surface);
  }
};

TEST_F(Painted, FridayThirdOfJulyAtFivePastNineInEveryLayout) {
  const SYSTEMTIME now = {2026, 7, 5, 3, 9, 5, 12, 250};
  // Strip row per slot: month 07, day 03 and hour 09 show their tens as face.
  const int rows[kSlotCount] = {0, 7, 0, 0, 3, 5, 0, 9, 1, 0, 5};
  for (int layout = 0; layout < kLayoutCount; ++layout) ExpectRows(layout, now, rows);
}

TEST_F(Painted, NewYearsEveAndTheColonAroundHalfASecond) {
  SYSTEMTIME now = {2026, 12, 4, 31, 23, 59, 59, 499};
  const int shown[kSlotCount] = {1, 2, 0, 3, 1, 4, 2, 3, 1, 5, 9};
  ExpectRows(3, now, shown);
  now.wMilliseconds = 500;
  const int hidden[kSlotCount] = {1, 2, 0, 3, 1, 4, 2, 3, 0, 5, 9};
  ExpectRows(0, now, hidden);
}

TEST_F(ClockFolder, BoxesAreOwnedByTheWindowAndNoFileStaysOpen) {
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(0x5150));
  clock_test::WriteAll("KL_Figs.dat", std::vector<unsigned char>(figs_.begin(), figs_.end() - 1));
  {
    testing_support::BoxCapture boxes;
    ClockMain clock(window, nullptr);
    EXPECT_EQ(clock.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", 0), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].owner, window);
    EXPECT_EQ(clock.Skin->hWnd, window);
    EXPECT_EQ(shim::OpenFiles(), 0);
  }
  fs::remove("KL_Face.bmp");
  testing_support::BoxCapture boxes;
  ClockMain clock(window, nullptr);
  EXPECT_EQ(clock.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", 0), 1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].owner, window);  // the library's box, through the skin
  EXPECT_EQ(shim::OpenFiles(), 0);
}

TEST_F(ClockFolder, LoadingTheSkinAgainReplacesSkinAndStrip) {
  ClockMain clock(nullptr, nullptr);
  ASSERT_EQ(clock.LoadSkin("KL_Face.bmp"), 0);
  const int live = shim::LiveGdiObjects();
  ASSERT_EQ(clock.LoadSkin("KL_Face.bmp"), 0);
  EXPECT_EQ(shim::LiveGdiObjects(), live);  // the first pair's sections are gone
}

}  // namespace
