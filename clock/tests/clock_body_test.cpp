// The clock body on both platforms: face geometry, time values, composition of
// the strip against a plain reference, the outline, and every load failure.
#include "Messages.h"
#include "clock_test_support.h"
#include "expected_texts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using clock_test::ClockFolder;
using testing_support::BoxCapture;
namespace fs = std::filesystem;

// The library's Japanese text for a file that cannot be opened, from the
// library's own table.
std::string LibraryFileOpenText() {
  char missing[] = "no such file.bmp";
  ZEMADisplayFCDIB image(LibraryVersion, nullptr, nullptr, missing, 3, LANGUAGE_JAPANESE);
  EXPECT_EQ(image.ErrorCode, ERR_FILE_OPEN);
  return image.GetErrorMessage();
}

// The one place the clock's texts are pinned as code page 932 bytes.
TEST(Texts, AreStoredAsCodePage932) {
  const struct {
    const char* stored;
    const char* pinned;
  } texts[] = {
      {horlin::kMsgSkinLoad, expected::kMsgSkinLoad},
      {horlin::kMsgStripCreate, expected::kMsgStripCreate},
      {horlin::kMsgMemory, expected::kMsgMemory},
      {horlin::kMsgDataOpen, expected::kMsgDataOpen},
      {horlin::kMsgDataRead, expected::kMsgDataRead},
      {horlin::kMsgObjectCreate, expected::kMsgObjectCreate},
      {horlin::kMsgWindowCreate, expected::kMsgWindowCreate},
      {horlin::kMsgClockCreate, expected::kMsgClockCreate},
      {horlin::kMsgMenuCreate, expected::kMsgMenuCreate},
      {horlin::kMsgMenuBuild, expected::kMsgMenuBuild},
      {horlin::kMsgTimer, expected::kMsgTimer},
      {horlin::kMsgMenuRefresh, expected::kMsgMenuRefresh},
      {horlin::kMsgEnvChange, expected::kMsgEnvChange},
      {horlin::kMsgEnvSave, expected::kMsgEnvSave},
      {horlin::kMenuLeftTop, expected::kMenuLeftTop},
      {horlin::kMenuRightTop, expected::kMenuRightTop},
      {horlin::kMenuLeftBottom, expected::kMenuLeftBottom},
      {horlin::kMenuRightBottom, expected::kMenuRightBottom},
      {horlin::kMenuTopmost, expected::kMenuTopmost},
      {horlin::kMenuAbout, expected::kMenuAbout},
      {horlin::kMenuExit, expected::kMenuExit},
  };
  for (const auto& t : texts) EXPECT_STREQ(t.stored, t.pinned);
}

bool Inside(POINT p, SIZE s, int x, int y) { return x >= p.x && x < p.x + s.cx && y >= p.y && y < p.y + s.cy; }

TEST(FaceTables, TilesCoverTheFaceOnceAndHoldTheirGlyphs) {
  for (int layout = 0; layout < kLayoutCount; ++layout) {
    for (int y = 0; y < kFaceHeight; ++y) {
      for (int x = 0; x < kFaceWidth; ++x) {
        int tiles = 0;
        for (int i = 0; i < kSlotCount; ++i) tiles += Inside(TilePos[layout][i], TileSize[i], x, y);
        ASSERT_EQ(tiles, 1) << "layout " << layout << " pixel " << x << "," << y;
      }
    }
    for (int i = 0; i < kSlotCount; ++i) {
      const POINT g = SlotPos[layout][i], t = TilePos[layout][i];
      const SIZE s = SlotSize[i];
      EXPECT_TRUE(Inside(t, TileSize[i], g.x, g.y) && Inside(t, TileSize[i], g.x + s.cx - 1, g.y + s.cy - 1))
          << "layout " << layout << " slot " << i;
      // The ink rectangle, 60 rows below the glyph, lies in the skin's band.
      EXPECT_TRUE(g.x >= 8 && g.x + s.cx <= 352 && g.y + 60 >= 68 && g.y + s.cy + 60 <= 112) << layout << "/" << i;
    }
  }
  EXPECT_EQ(SlotPos[0][4].x + SlotSize[4].cx, 352);  // last small digit of layout 0
}

TEST(TimeInfSet, SplitsTheTimeIntoTheElevenValues) {
  struct Case {
    SYSTEMTIME time;
    unsigned short values[11];
  } cases[] = {
      {{2026, 7, 5, 3, 9, 5, 0, 0}, {0, 7, 0, 0, 3, 5, 0, 9, 1, 0, 5}},
      {{2026, 12, 4, 31, 23, 59, 59, 499}, {1, 2, 0, 3, 1, 4, 2, 3, 1, 5, 9}},
      {{2026, 12, 4, 31, 23, 59, 59, 500}, {1, 2, 0, 3, 1, 4, 2, 3, 0, 5, 9}},
      {{2026, 10, 6, 10, 20, 40, 0, 999}, {1, 0, 0, 1, 0, 6, 2, 0, 0, 4, 0}},
  };
  for (const Case& c : cases) {
    TimeInf t;
    t.Set(c.time);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(t.Value[i], c.values[i]) << "value " << i << " of " << c.time.wHour;
  }
}

TEST(CreateShape, CutsTheCornerBesideTheWeekday) {
  ClockMain clock(nullptr, nullptr);
  for (int layout = 0; layout < kLayoutCount; ++layout) {
    HRGN rgn = clock.CreateShape(layout);
    ASSERT_NE(rgn, nullptr);
    for (int y = 0; y < kFaceHeight; ++y) {
      for (int x = 0; x < kFaceWidth; ++x) {
        // Mirror the pixel centre into layout 0, whose cut is the bottom-right
        // corner: right of x + y = 390 in rows 30..38 and of x + y = 356 below.
        const double px = (layout % 2 ? 359 - x : x) + 0.5, py = (layout >= 2 ? 59 - y : y) + 0.5;
        const double edge = py > 38 ? 356 - py : py > 30 ? 390 - py : 1e9;
        if (px > edge - 1 && px < edge + 1) continue;  // on the slanted edge
        ASSERT_EQ(PtInRegion(rgn, x, y) != 0, px < edge) << "layout " << layout << " pixel " << x << "," << y;
      }
    }
    DeleteObject(rgn);
  }
  EXPECT_EQ(clock.CreateShape(4), nullptr);
  EXPECT_EQ(clock.CreateShape(-1), nullptr);
}

TEST_F(ClockFolder, CreateComposesEveryLayoutLikeTheReference) {
  BoxCapture boxes;
  ClockMain clock(nullptr, nullptr);
  HRGN shape = nullptr;
  ASSERT_EQ(clock.Create(&shape, "KL_Face.bmp", "KL_Figs.dat", 0), 0);
  EXPECT_NE(shape, nullptr);
  DeleteObject(shape);
  ASSERT_NE(clock.Strip, nullptr);
  ASSERT_EQ(clock.Strip->BitmapInfo.bmiHeader.biWidth, 360);
  ASSERT_EQ(clock.Strip->BitmapInfo.bmiHeader.biHeight, 600);
  ASSERT_EQ(clock.Figures->BitmapInfo.bmiHeader.biBitCount, 32);

  // Recomposing for another corner must not depend on what the sheet kept
  // from the last recolouring: layouts 1-3 follow layout 0 on one object.
  for (int layout = 0; layout < kLayoutCount; ++layout) {
    if (layout > 0) {
      ASSERT_EQ(clock.Compose(layout), 0);
    }
    EXPECT_EQ(clock.Layout, layout);
    int mismatches = 0;
    for (int y = 0; y < 600 && mismatches < 5; ++y) {
      for (int x = 0; x < 360; ++x) {
        std::vector<unsigned char> got = testing_support::PixelAt(*clock.Strip, x, y);
        std::array<int, 3> want = ExpectedStrip(layout, x, y);
        if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
          ADD_FAILURE() << "layout " << layout << " strip pixel " << x << "," << y;
          if (++mismatches == 5) break;
        }
      }
    }
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ClockFolder, FigureSheetTakesCoverageAsAlphaFromTheFirst20240Bytes) {
  // The exact file, then one with trailing bytes that must be ignored.
  for (size_t extra : {size_t{0}, size_t{333}}) {
    std::vector<unsigned char> longer = figs_;
    longer.resize(figs_.size() + extra, 0xEE);
    clock_test::WriteAll("KL_Figs.dat", longer);
    BoxCapture boxes;
    ClockMain clock(nullptr, nullptr);
    ASSERT_EQ(clock.LoadFigures("KL_Figs.dat"), 0);
    ASSERT_EQ(clock.Figures->ErrorCode, 0);
    EXPECT_EQ(clock.Figures->BitmapInfo.bmiHeader.biWidth, 920);
    EXPECT_EQ(clock.Figures->BitmapInfo.bmiHeader.biHeight, 44);
    for (int y = 0; y < 44; ++y) {
      for (int x = 0; x < 920; ++x) {
        const int v = Coverage(x, y);
        std::vector<unsigned char> px = testing_support::PixelAt(*clock.Figures, x, y);
        ASSERT_EQ(px, (std::vector<unsigned char>{
                          static_cast<unsigned char>(17 * v), static_cast<unsigned char>(17 * v),
                          static_cast<unsigned char>(17 * v), static_cast<unsigned char>(255 - 17 * v)}))
            << "extra " << extra << " pixel " << x << "," << y;
      }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
  }
}

TEST_F(ClockFolder, MissingSkinShowsOnlyTheLibraryMessage) {
  // Without the figure file too: reaching LoadFigures would add its own box.
  fs::remove("KL_Face.bmp");
  fs::remove("KL_Figs.dat");
  BoxCapture boxes;
  ClockMain clock(nullptr, nullptr);
  HRGN shape = nullptr;
  EXPECT_EQ(clock.Create(&shape, "KL_Face.bmp", "KL_Figs.dat", 2), 1);
  EXPECT_NE(shape, nullptr);  // the outline is handed back all the same
  DeleteObject(shape);
  std::vector<testing_support::ShownBox> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, LibraryFileOpenText());
  EXPECT_EQ(clock.Strip, nullptr);
  EXPECT_EQ(clock.Figures, nullptr);
}

TEST_F(ClockFolder, FigureFileFailuresShowTheirMessages) {
  const struct {
    const char* what;
    long size;  // -1: no file
    const char* text;
  } cases[] = {
      {"missing", -1, horlin::kMsgDataOpen},
      {"one byte short", 20239, horlin::kMsgDataRead},
      {"empty", 0, horlin::kMsgDataRead},
  };
  for (const auto& c : cases) {
    fs::remove("KL_Figs.dat");
    if (c.size >= 0)
      clock_test::WriteAll("KL_Figs.dat", std::vector<unsigned char>(figs_.begin(), figs_.begin() + c.size));
    BoxCapture boxes;
    ClockMain clock(nullptr, nullptr);
    HRGN shape = nullptr;
    EXPECT_EQ(clock.Create(&shape, "KL_Face.bmp", "KL_Figs.dat", 1), 1) << c.what;
    DeleteObject(shape);
    std::vector<testing_support::ShownBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u) << c.what;
    EXPECT_EQ(shown[0].text, c.text) << c.what;
    EXPECT_EQ(shown[0].caption, "Error") << c.what;
    // The images made before the failure stay with the object.
    EXPECT_NE(clock.Skin, nullptr);
    EXPECT_NE(clock.Strip, nullptr);
    EXPECT_EQ(clock.Figures, nullptr);
  }
}

TEST_F(ClockFolder, ComposeFailsAndKeepsTheLayoutWhenTheStripHasFailed) {
  ClockMain clock(nullptr, nullptr);
  ASSERT_EQ(clock.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", 1), 0);
  EXPECT_EQ(clock.Compose(7), 1);  // no such corner
  EXPECT_EQ(clock.Layout, 1);
  clock.Strip->ErrorCode = ERR_MEMORY;
  EXPECT_EQ(clock.Compose(2), 1);
  EXPECT_EQ(clock.Layout, 1);
}

}  // namespace
