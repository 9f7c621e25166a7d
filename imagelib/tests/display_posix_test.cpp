// Display into the stand-in's surface context: straight copies, blends over
// what the surface showed, the background's life, and no leaked contexts.
#include "test_support.h"

#include <winshim.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

using testing_support::ImagePtr;
using testing_support::MakeImage;
using testing_support::PixelAt;
using testing_support::Rng;

namespace {

constexpr int kSurfaceW = 40, kSurfaceH = 30;

struct Surface {
  HDC dc = shim::CreateSurfaceDC(kSurfaceW, kSurfaceH);
  ~Surface() { shim::DeleteSurfaceDC(dc); }
  void Randomize(std::uint32_t seed) {
    Rng rng(seed);
    for (int y = 0; y < kSurfaceH; ++y)
      for (int x = 0; x < kSurfaceW; ++x) shim::SetSurfacePixel(dc, x, y, rng.Next() & 0xFFFFFF);
  }
  std::vector<DWORD> Pixels() const {
    std::vector<DWORD> out;
    for (int y = 0; y < kSurfaceH; ++y)
      for (int x = 0; x < kSurfaceW; ++x) out.push_back(shim::GetSurfacePixel(dc, x, y));
    return out;
  }
};

unsigned char Channel(DWORD rgb, int c) { return static_cast<unsigned char>(rgb >> (8 * c)); }

// Image pixel `px` (blue, green, red[, alpha]) over the surface colour `rgb`.
DWORD Blend(const std::vector<unsigned char>& px, DWORD rgb, unsigned T) {
  DWORD out = 0;
  for (int c = 0; c < 3; ++c) {
    const std::int64_t d = Channel(rgb, c), s = px[c];
    std::int64_t v;
    if (px.size() == 3) {
      v = (s * 256 + (d - s) * T + 128) >> 8;
    } else {
      const std::int64_t K = (255 - px[3]) * std::int64_t{256 - T};
      v = (d * 65280 + (s - d) * K + 32640) / 65280;
    }
    out |= static_cast<DWORD>(v) << (8 * c);
  }
  return out;
}
DWORD Rgb(const std::vector<unsigned char>& px) { return px[0] | px[1] << 8 | px[2] << 16; }

// Checks that the image rectangle (ox, oy, w, h) landed at (dx, dy): copied,
// or blended with T over `before`; everything else as it was.
void ExpectDrawn(const Surface& s, const std::vector<DWORD>& before, const ZEMADisplayFCDIB& img, long ox, long oy,
                 long w, long h, int dx, int dy, bool blended, unsigned T) {
  for (int y = 0; y < kSurfaceH; ++y)
    for (int x = 0; x < kSurfaceW; ++x) {
      const DWORD was = before[static_cast<std::size_t>(y * kSurfaceW + x)];
      DWORD want = was;
      if (x >= dx && x < dx + w && y >= dy && y < dy + h) {
        const auto px = PixelAt(img, ox + x - dx, oy + y - dy);
        want = blended ? Blend(px, was, T) : Rgb(px);
      }
      ASSERT_EQ(shim::GetSurfacePixel(s.dc, x, y), want) << x << "," << y;
    }
}

TEST(Display, DirectCopiesTheViewWithoutABackground) {
  Surface s;
  s.Randomize(1);
  ImagePtr img = MakeImage(13, 9, 24);
  testing_support::FillRandom(*img, 2);
  img->SetViewOrigin(POINT{4, 2});
  img->SetViewSize(SIZE{6, 5});
  const int dcs = shim::LiveDCs(), objects = shim::LiveGdiObjects();
  const auto before = s.Pixels();
  ASSERT_EQ(img->Display(s.dc, 7, 3, 0, 0, SRCCOPY), ERR_NONE);
  ExpectDrawn(s, before, *img, 4, 2, 6, 5, 7, 3, false, 0);
  EXPECT_EQ(img->Background, nullptr);
  EXPECT_EQ(shim::LiveDCs(), dcs);
  EXPECT_EQ(shim::LiveGdiObjects(), objects);

  // The whole image, whatever the view; partly off the surface.
  const auto before2 = s.Pixels();
  ASSERT_EQ(img->Display(s.dc, 30, 25, 0, 1, SRCCOPY), ERR_NONE);
  ExpectDrawn(s, before2, *img, 0, 0, 13, 9, 30, 25, false, 0);
}

TEST(Display, CompositedBlendsOverTheSurfaceAndKeepsItsBackground) {
  Surface s;
  s.Randomize(3);
  ImagePtr img = MakeImage(11, 7, 32);
  testing_support::FillRandom(*img, 4);
  img->SetViewOrigin(POINT{2, 1});
  img->SetViewSize(SIZE{8, 5});
  const int dcs = shim::LiveDCs(), objects = shim::LiveGdiObjects();

  auto before = s.Pixels();
  ASSERT_EQ(img->Display(s.dc, 5, 6, 0, 0, SRCCOPY), ERR_NONE);
  ExpectDrawn(s, before, *img, 2, 1, 8, 5, 5, 6, true, 0);
  ZEMADisplayFCDIB* bg = img->Background;
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg->BitmapInfo.bmiHeader.biBitCount, 24);
  EXPECT_EQ(bg->BitmapInfo.bmiHeader.biWidth, 11);
  EXPECT_EQ(bg->BitmapInfo.bmiHeader.biHeight, 7);
  EXPECT_EQ(bg->BitmapInfo.bmiHeader.biXPelsPerMeter, 3780);
  EXPECT_EQ(bg->ViewSize.cx, 11);
  EXPECT_EQ(bg->ViewSize.cy, 7);
  EXPECT_EQ(shim::LiveGdiObjects(), objects + 1);  // the background's section, nothing else

  // The next call reuses it, with a global transparency on top, over what
  // the surface shows now.
  before = s.Pixels();
  ASSERT_EQ(img->Display(s.dc, 0, 0, 100, 1, SRCCOPY), ERR_NONE);
  ExpectDrawn(s, before, *img, 0, 0, 11, 7, 0, 0, true, 100);
  EXPECT_EQ(img->Background, bg);
  EXPECT_EQ(shim::LiveDCs(), dcs);
  EXPECT_EQ(shim::LiveGdiObjects(), objects + 1);

  img->DeleteBackground();
  EXPECT_EQ(img->Background, nullptr);
  EXPECT_EQ(shim::LiveGdiObjects(), objects);
  img->DeleteBackground();  // none left: nothing happens
  ASSERT_EQ(img->Display(s.dc, 1, 1, 0, 1, SRCCOPY), ERR_NONE);
  EXPECT_NE(img->Background, nullptr);
}

TEST(Display, TransparencyEndsAndInvisiblePixels) {
  Surface s;
  s.Randomize(5);
  ImagePtr img = MakeImage(9, 8, 24);
  testing_support::FillRandom(*img, 6);
  auto before = s.Pixels();
  EXPECT_EQ(img->Display(s.dc, 0, 0, 256, 1, SRCCOPY), ERR_NONE);
  EXPECT_EQ(s.Pixels(), before);
  EXPECT_EQ(img->Background, nullptr);

  ASSERT_EQ(img->Display(s.dc, 3, 4, 128, 1, SRCCOPY), ERR_NONE);  // half and half
  ExpectDrawn(s, before, *img, 0, 0, 9, 8, 3, 4, true, 128);
  EXPECT_NE(img->Background, nullptr);

  ImagePtr clear = MakeImage(9, 8, 32);
  clear->EraseImage(tagB_BGRA{12, 34, 56, 255}, 1);
  before = s.Pixels();
  ASSERT_EQ(clear->Display(s.dc, 2, 2, 0, 1, SRCCOPY), ERR_NONE);
  EXPECT_EQ(s.Pixels(), before);
}

TEST(Display, BackgroundFailuresAndStickyErrors) {
  Surface s;
  s.Randomize(7);
  const auto before = s.Pixels();
  ImagePtr img = MakeImage(5, 5, 32);
  shim::FailNextDIBSections(1);
  EXPECT_EQ(img->Display(s.dc, 0, 0, 0, 1, SRCCOPY), ERR_EXTERNAL);
  EXPECT_EQ(img->Background, nullptr);
  EXPECT_EQ(img->Display(s.dc, 0, 0, 0, 1, SRCCOPY), ERR_EXTERNAL);  // sticky
  EXPECT_EQ(s.Pixels(), before);

  ImagePtr direct = MakeImage(5, 5, 24);
  direct->ErrorCode = ERR_FILE_READ;
  EXPECT_EQ(direct->Display(s.dc, 0, 0, 0, 1, SRCCOPY), ERR_FILE_READ);
  EXPECT_EQ(s.Pixels(), before);

  // An existing background is kept; the owner's error is not looked at.
  ImagePtr owner = MakeImage(4, 3, 24);
  ASSERT_EQ(owner->CreateBackground(), ERR_NONE);
  ZEMADisplayFCDIB* bg = owner->Background;
  owner->ErrorCode = ERR_MEMORY;
  EXPECT_EQ(owner->CreateBackground(), ERR_MEMORY);
  EXPECT_EQ(owner->Background, bg);
}

TEST(BltImage, ReleasesItsContexts) {
  ImagePtr a = MakeImage(6, 6, 32), b = MakeImage(6, 6, 24);
  const int dcs = shim::LiveDCs(), objects = shim::LiveGdiObjects();
  ASSERT_EQ(b->BltImage(a.get(), 1, 1, SRCCOPY), ERR_NONE);
  ASSERT_EQ(b->BltImage(b.get(), 3, 0, SRCCOPY), ERR_NONE);
  EXPECT_EQ(shim::LiveDCs(), dcs);
  EXPECT_EQ(shim::LiveGdiObjects(), objects);
  // Both sections can still be deleted: nothing is left selected.
  a.reset();
  b.reset();
  EXPECT_EQ(shim::LiveGdiObjects(), objects - 2);
}

}  // namespace
