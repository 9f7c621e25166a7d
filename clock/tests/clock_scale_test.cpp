// The clock body at display scales other than 96 DPI: scaled tiles and
// outline, the choice of artwork size, and the strip against the 1x strip
// brought to size. The larger artwork here is the 1x artwork with every pixel
// repeated, so composing it at size k gives the 1x strip with every pixel
// repeated k times: a reference that needs none of the body's code.
#include "clock_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using clock_test::ClockFolder;
using testing_support::BoxCapture;
using testing_support::ImagePtr;

const int kDpis[] = {96, 120, 144, 192, 240, 288};

TEST(FaceScale, ScaledTilesCoverTheFaceOnceAndTheOutlineScales) {
  for (int dpi : kDpis) {
    const SIZE face = FaceSizeAt(dpi);
    EXPECT_EQ(face.cx, (360 * dpi + 48) / 96);
    EXPECT_EQ(face.cy, (60 * dpi + 48) / 96);
    ClockMain clock(nullptr, nullptr);
    clock.Dpi = dpi;
    for (int layout = 0; layout < kLayoutCount; ++layout) {
      std::vector<int> covered(static_cast<size_t>(face.cx * face.cy), 0);
      for (int slot = 0; slot < kSlotCount; ++slot) {
        const RECT t = TileRectAt(layout, slot, dpi);
        for (LONG y = t.top; y < t.bottom; ++y)
          for (LONG x = t.left; x < t.right; ++x) ++covered[static_cast<size_t>(y * face.cx + x)];
      }
      for (int n : covered) ASSERT_EQ(n, 1) << "dpi " << dpi << " layout " << layout;

      // The outline's corners are the 1x corners scaled: each corner pixel of
      // the window lies inside unless it is the cut one.
      HRGN shape = clock.CreateShape(layout);
      ASSERT_NE(shape, nullptr);
      const POINT corners[4] = {{1, 1}, {face.cx - 2, 1}, {1, face.cy - 2}, {face.cx - 2, face.cy - 2}};
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(PtInRegion(shape, corners[i].x, corners[i].y) != 0, i != 3 - layout) << dpi << "/" << layout;
      // The cut's inner edge: at 1x layout 0 keeps (317, 37) and cuts (318, 38).
      if (layout == 0) {
        EXPECT_TRUE(PtInRegion(shape, ScaleToDpi(317, dpi) - 1, ScaleToDpi(37, dpi) - 1)) << dpi;
        EXPECT_FALSE(PtInRegion(shape, ScaleToDpi(330, dpi), ScaleToDpi(50, dpi))) << dpi;
      }
      DeleteObject(shape);
    }
  }
}

TEST(FaceScale, LargerArtworkFilesAndHeaders) {
  EXPECT_EQ(ArtFileName("KL_Face.bmp", 1), "KL_Face.bmp");
  EXPECT_EQ(ArtFileName("KL_Face.bmp", 2), "KL_Face@2x.bmp");
  EXPECT_EQ(ArtFileName("skins\\a.b\\KL_Figs.dat", 4), "skins\\a.b\\KL_Figs@4x.dat");
  EXPECT_EQ(ArtFileName("dir.d/figs", 3), "dir.d/figs@3x");
  EXPECT_EQ(FigureBytesAt(2), 80960u);
  const BITMAPINFOHEADER h = FigureHeaderAt(3);
  EXPECT_EQ(h.biWidth, 2760);
  EXPECT_EQ(h.biHeight, 132);
  EXPECT_EQ(h.biSizeImage, 20240u * 9);
}

class ScaledClock : public ClockFolder {
 protected:
  // KL_Face@kx.bmp and KL_Figs@kx.dat: the 1x files with every pixel
  // repeated k times across and down.
  void WriteArt(int k) {
    const int w = 360 * k, h = 120 * k;
    ImagePtr face = testing_support::MakeImage(static_cast<unsigned>(w), static_cast<unsigned>(h), 24);
    const testing_support::Geo g = testing_support::GeoOf(*face);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::array<int, 3> p = SkinPixel(x / k, y / k);
        for (int c = 0; c < 3; ++c) face->Bits[testing_support::Offset(g, x, y) + c] = static_cast<unsigned char>(p[c]);
      }
    std::string name = ArtFileName("KL_Face.bmp", k);
    ASSERT_EQ(face->SaveImage(&name[0], 1), 0);

    const int sw = 920 * k, sh = 44 * k, row = sw / 2;
    std::vector<unsigned char> sheet(static_cast<size_t>(row) * sh, 0);
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw; ++x) {
        const int v = Coverage(x / k, y / k);
        sheet[static_cast<size_t>(sh - 1 - y) * row + x / 2] |= static_cast<unsigned char>(x % 2 ? v : v << 4);
      }
    clock_test::WriteAll(ArtFileName("KL_Figs.dat", k), sheet);
  }

  // The strip the clock must show at a DPI when it composes from size k: the
  // 1x strip with its pixels repeated k times, each face row then brought to
  // the window's size by the library's area averaging (none when it fits).
  void ExpectStrip(const ClockMain& clock, int k) {
    ClockMain plain(nullptr, nullptr);
    ASSERT_EQ(plain.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", clock.Layout), 0);
    ImagePtr big = testing_support::MakeImage(360u * k, 600u * k, 24);
    const testing_support::Geo bg = testing_support::GeoOf(*big);
    for (int y = 0; y < 600 * k; ++y)
      for (int x = 0; x < 360 * k; ++x) {
        const std::vector<unsigned char> p = testing_support::PixelAt(*plain.Strip, x / k, y / k);
        for (int c = 0; c < 3; ++c) big->Bits[testing_support::Offset(bg, x, y) + c] = p[c];
      }

    const SIZE face = FaceSizeAt(clock.Dpi);
    ASSERT_EQ(clock.Strip->BitmapInfo.bmiHeader.biWidth, face.cx);
    ASSERT_EQ(clock.Strip->BitmapInfo.bmiHeader.biHeight, face.cy * 10);
    for (int r = 0; r < 10; ++r) {
      big->SetViewOrigin(POINT{0, 60 * k * r});
      big->SetViewSize(SIZE{360 * k, 60 * k});
      ImagePtr row(face.cx == 360 * k ? new ZEMADisplayFCDIB(big.get(), 0)
                                      : new ZEMADisplayFCDIB(big.get(), static_cast<unsigned>(face.cx),
                                                             static_cast<unsigned>(face.cy), 0));
      ASSERT_EQ(row->ErrorCode, 0);
      for (int y = 0; y < face.cy; ++y)
        for (int x = 0; x < face.cx; ++x)
          ASSERT_EQ(testing_support::PixelAt(*clock.Strip, x, face.cy * r + y), testing_support::PixelAt(*row, x, y))
              << "dpi " << clock.Dpi << " from size " << k << ", row " << r << " pixel " << x << "," << y;
    }
  }
};

TEST_F(ScaledClock, ComposesFromTheSmallestSizeThatSuitsAndAveragesTheRest) {
  struct Case {
    int dpi;
    std::vector<int> sizes;  // larger artwork in the folder
    int used;                // the size the strip is composed from
  } cases[] = {
      {120, {2}, 2},    {144, {}, 1},     {144, {2, 3}, 2}, {192, {}, 1},
      {192, {2, 3}, 2}, {240, {2, 3}, 3}, {288, {3}, 3},    {288, {2}, 2},
  };
  for (const Case& c : cases) {
    for (int k = 2; k <= kMaxArtScale; ++k) {
      std::remove(ArtFileName("KL_Face.bmp", k).c_str());
      std::remove(ArtFileName("KL_Figs.dat", k).c_str());
    }
    for (int k : c.sizes) ASSERT_NO_FATAL_FAILURE(WriteArt(k));
    BoxCapture boxes;
    ClockMain clock(nullptr, nullptr);
    clock.Dpi = c.dpi;
    ASSERT_EQ(clock.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", 3), 0) << c.dpi;
    EXPECT_EQ(c.used == 1 ? 1 : clock.ArtScale, c.used) << "dpi " << c.dpi;
    ASSERT_NO_FATAL_FAILURE(ExpectStrip(clock, c.used));
    // Back at 100 %, the strip is the 1x strip again, at its own size.
    clock.Dpi = kBaseDpi;
    ASSERT_EQ(clock.Compose(3), 0);
    ASSERT_NO_FATAL_FAILURE(ExpectStrip(clock, 1));
    EXPECT_TRUE(boxes.Boxes().empty()) << "dpi " << c.dpi;
  }
}

TEST_F(ScaledClock, UnusableLargerArtworkIsLeftOutWithoutAMessage) {
  ASSERT_NO_FATAL_FAILURE(WriteArt(2));
  ASSERT_NO_FATAL_FAILURE(WriteArt(3));
  // A cut-off 2x sheet, and a 3x face without its ink band.
  std::vector<unsigned char> sheet = clock_test::ReadAll("KL_Figs@2x.dat");
  sheet.resize(sheet.size() - 1);
  clock_test::WriteAll("KL_Figs@2x.dat", sheet);
  {
    ImagePtr small = testing_support::MakeImage(1080, 180, 24);
    std::string name = "KL_Face@3x.bmp";
    ASSERT_EQ(small->SaveImage(&name[0], 1), 0);
  }
  BoxCapture boxes;
  ClockMain clock(nullptr, nullptr);
  clock.Dpi = 192;
  ASSERT_EQ(clock.Create(nullptr, "KL_Face.bmp", "KL_Figs.dat", 0), 0);
  EXPECT_EQ(clock.ArtSkin, nullptr);
  EXPECT_EQ(clock.ChooseArtScale(), 1);
  ASSERT_NO_FATAL_FAILURE(ExpectStrip(clock, 1));
  // Another corner: the sizes found unusable are not tried again.
  ASSERT_EQ(clock.Compose(2), 0);
  ASSERT_NO_FATAL_FAILURE(ExpectStrip(clock, 1));
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
