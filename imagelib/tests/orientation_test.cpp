// Mirroring in place, checked against a plain (x, y) reference on random
// odd and even sizes, whole images and views.
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;  // the suites' shared helpers
using Bytes = std::vector<unsigned char>;

namespace {

enum Mode { kLR = 1, kUD = 2, kUDLR = 3 };

struct Area {
  long x, y, cols, rows;
};
Area AreaOf(const ZEMADisplayFCDIB& img, int whole) {
  const Geo g = GeoOf(img);
  if (whole) return Area{0, 0, g.w, g.h};
  return Area{img.ViewOrigin.x, img.ViewOrigin.y, img.ViewSize.cx, img.ViewSize.cy};
}

// The pixel memory after mirroring `a`; the spare row is left out, since
// the upside-down flip may leave anything in it.
Bytes Mirrored(const Bytes& before, const Geo& g, Area a, int mode) {
  Bytes out = before;
  for (long y = 0; y < a.rows; ++y)
    for (long x = 0; x < a.cols; ++x) {
      const long tx = mode & kLR ? a.cols - 1 - x : x;
      const long ty = mode & kUD ? a.rows - 1 - y : y;
      for (int k = 0; k < g.bpp; ++k) out[Offset(g, a.x + tx, a.y + ty) + k] = before[Offset(g, a.x + x, a.y + y) + k];
    }
  out.resize(g.stride * static_cast<std::size_t>(g.h));
  return out;
}

Bytes ImageRows(const ZEMADisplayFCDIB& img) {
  Bytes m = PixelMemory(img);
  m.resize(GeoOf(img).stride * static_cast<std::size_t>(GeoOf(img).h));
  return m;
}

int Turn(ZEMADisplayFCDIB& img, int mode, int whole) {
  switch (mode) {
    case kLR:
      return img.TurnImageLR(whole);
    case kUD:
      return img.TurnImageUD(whole);
    default:
      return img.TurnImageUDLR(whole);
  }
}

// A random image with, half of the time, a random view to work on. Widths
// up to 70 give runs of 35 exchanges, past every block width with every
// remainder.
ImagePtr RandomCase(Rng& rng, int& whole) {
  ImagePtr img = MakeImage(1 + rng.Below(70), 1 + rng.Below(17), rng.Below(2) ? 32 : 24);
  FillRandom(*img, rng.Next());
  const Geo g = GeoOf(*img);
  whole = rng.Below(2);
  img->SetViewOrigin(POINT{static_cast<LONG>(rng.Below(g.w)), static_cast<LONG>(rng.Below(g.h))});
  img->SetViewSize(SIZE{1 + rng.Below(g.w), 1 + rng.Below(g.h)});
  return img;
}

TEST(Turn, EachMirrorMatchesTheReferenceAndTouchesNothingElse) {
  Rng rng(5);
  for (int round = 0; round < 300; ++round) {
    int whole;
    ImagePtr img = RandomCase(rng, whole);
    const int mode = 1 + round % 3;
    const Bytes expected = Mirrored(PixelMemory(*img), GeoOf(*img), AreaOf(*img, whole), mode);
    const Bytes all = PixelMemory(*img);
    const Bytes spare(all.begin() + static_cast<long>(expected.size()), all.end());
    ASSERT_EQ(Turn(*img, mode, whole), ERR_NONE);
    ASSERT_EQ(ImageRows(*img), expected) << "round " << round << " mode " << mode << " whole " << whole;
    if (mode != kUD) {  // only the upside-down flip uses the spare row
      const Bytes now = PixelMemory(*img);
      ASSERT_EQ(Bytes(now.begin() + static_cast<long>(expected.size()), now.end()), spare);
    }
  }
}

TEST(Turn, TwiceIsIdentityAndBothMirrorsMakeAHalfTurn) {
  Rng rng(6);
  for (int round = 0; round < 60; ++round) {
    int whole;
    ImagePtr img = RandomCase(rng, whole);
    const Bytes start = ImageRows(*img);
    for (int mode : {kLR, kUD, kUDLR}) {
      Turn(*img, mode, whole);
      Turn(*img, mode, whole);
      ASSERT_EQ(ImageRows(*img), start) << mode;
    }
    img->TurnImageLR(whole);
    img->TurnImageUD(whole);
    const Bytes both = ImageRows(*img);
    img->TurnImageUDLR(whole);
    ASSERT_EQ(ImageRows(*img), start);
    img->TurnImageUDLR(whole);
    ASSERT_EQ(ImageRows(*img), both);
  }
}

TEST(Turn, ThreeByThreeHalfTurnIsAPointReflection) {
  for (int bpp : {24, 32}) {
    ImagePtr img = MakeImage(3, 3, bpp);
    for (long y = 0; y < 3; ++y)
      for (long x = 0; x < 3; ++x)
        for (int k = 0; k < bpp / 8; ++k)
          img->Bits[(2 - y) * 12 + x * (bpp / 8) + k] = static_cast<unsigned char>(10 * (3 * y + x) + k);
    ASSERT_EQ(img->TurnImageUDLR(1), ERR_NONE);
    for (long y = 0; y < 3; ++y)
      for (long x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(*img, x, y)[0], 10 * (3 * (2 - y) + (2 - x)));
    EXPECT_EQ(PixelAt(*img, 1, 1)[0], 40);
    if (bpp == 32) {
      EXPECT_EQ(PixelAt(*img, 0, 0)[3], 83);  // alpha moves with its pixel
    }
  }
}

TEST(Turn, DirectionUsesItsTwoLowBits) {
  Rng rng(7);
  struct Case {
    int direction, mode;
  };
  for (Case c : {Case{0, 0}, Case{4, 0}, Case{1, kLR}, Case{5, kLR}, Case{2, kUD}, Case{6, kUD}, Case{3, kUDLR},
                 Case{-1, kUDLR}, Case{-4, 0}}) {
    int whole;
    ImagePtr img = RandomCase(rng, whole);
    const Bytes expected =
        c.mode ? Mirrored(PixelMemory(*img), GeoOf(*img), AreaOf(*img, whole), c.mode) : ImageRows(*img);
    EXPECT_EQ(img->TurnImage(c.direction, whole), ERR_NONE);
    EXPECT_EQ(ImageRows(*img), expected) << c.direction;
  }
}

TEST(Turn, FailedImagesAndViewsOutsideTheImage) {
  ImagePtr img = MakeImage(8, 4, 24);
  FillRandom(*img, 8);
  Bytes before = PixelMemory(*img);
  img->ErrorCode = ERR_FILE_WRITE;
  for (int direction = 0; direction < 4; ++direction) EXPECT_EQ(img->TurnImage(direction, 1), ERR_FILE_WRITE);
  EXPECT_EQ(PixelMemory(*img), before);

  // A view written past the right edge: only its part inside the image moves;
  // one with no extent moves nothing.
  img->ErrorCode = ERR_NONE;
  img->ViewOrigin = POINT{5, 1};
  img->ViewSize = SIZE{10, 9};
  const Bytes expected = Mirrored(before, GeoOf(*img), Area{5, 1, 3, 3}, kUDLR);
  EXPECT_EQ(img->TurnImageUDLR(0), ERR_NONE);
  EXPECT_EQ(ImageRows(*img), expected);
  before = PixelMemory(*img);
  img->ViewSize = SIZE{0, 2};
  for (int direction = 1; direction < 4; ++direction) EXPECT_EQ(img->TurnImage(direction, 0), ERR_NONE);
  EXPECT_EQ(PixelMemory(*img), before);
}

}  // namespace
