// The blank image: header, pixel memory with its spare row, views, failures.
#include "test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using testing_support::ImagePtr;

namespace {

ImagePtr Blank(unsigned w, unsigned h, int colorType, int language = LANGUAGE_ENGLISH) {
  return ImagePtr(new ZEMADisplayFCDIB(256, nullptr, nullptr, w, h, colorType, 96, 97, language));
}

TEST(BlankImage, HeaderAndZeroedMemoryWithSpareRow) {
  ImagePtr img = Blank(360, 600, 3);
  ASSERT_EQ(img->ErrorCode, ERR_NONE);
  const BITMAPINFOHEADER& h = img->BitmapInfo.bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 360);
  EXPECT_EQ(h.biHeight, 600);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 600u * 1080u);
  EXPECT_EQ(h.biXPelsPerMeter, 96);
  EXPECT_EQ(h.biYPelsPerMeter, 97);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biClrImportant, 0u);
  ASSERT_NE(img->hBitmap, nullptr);
  ASSERT_NE(img->Bits, nullptr);
  // 601 rows of 1080 bytes, all zero; the last is the spare row.
  std::vector<unsigned char> mem = testing_support::PixelMemory(*img);
  ASSERT_EQ(mem.size(), 601u * 1080u);
  for (unsigned char b : mem) ASSERT_EQ(b, 0);
  EXPECT_EQ(img->ViewSize.cx, 360);
  EXPECT_EQ(img->ViewSize.cy, 600);
  EXPECT_EQ(img->ViewOrigin.x, 0);
  EXPECT_EQ(img->Position.y, 0);
  EXPECT_EQ(img->Background, nullptr);
}

TEST(BlankImage, ColorTypeAndTinySizes) {
  EXPECT_EQ(Blank(2, 2, 3)->BitmapInfo.bmiHeader.biBitCount, 24);
  EXPECT_EQ(Blank(2, 2, 7)->BitmapInfo.bmiHeader.biBitCount, 24);
  EXPECT_EQ(Blank(2, 2, 0)->BitmapInfo.bmiHeader.biBitCount, 24);
  EXPECT_EQ(Blank(2, 2, 4)->BitmapInfo.bmiHeader.biBitCount, 32);

  ImagePtr zero = Blank(0, 0, 3);
  ASSERT_EQ(zero->ErrorCode, ERR_NONE);
  EXPECT_EQ(zero->BitmapInfo.bmiHeader.biWidth, 1);
  EXPECT_EQ(zero->BitmapInfo.bmiHeader.biHeight, 1);
  EXPECT_EQ(zero->ViewSize.cx, 1);
  EXPECT_EQ(zero->ViewSize.cy, 1);

  // Width 1: stride 4 at both depths.
  EXPECT_EQ(Blank(1, 3, 3)->BitmapInfo.bmiHeader.biSizeImage, 12u);
  EXPECT_EQ(Blank(1, 3, 4)->BitmapInfo.bmiHeader.biSizeImage, 12u);
  // Odd widths round the stride up to 4 bytes.
  EXPECT_EQ(Blank(5, 2, 3)->BitmapInfo.bmiHeader.biSizeImage, 32u);
  // A width beyond INT_MAX is stored as a negative number and counted by its
  // absolute value.
  ImagePtr wrapped = Blank(0xFFFFFFFFu, 2, 3);
  EXPECT_EQ(wrapped->ErrorCode, ERR_NONE);
  EXPECT_EQ(wrapped->BitmapInfo.bmiHeader.biWidth, 1);
}

TEST(BlankImage, HugeSizesAreRefusedBeforeAnyMemoryIsMade) {
  for (auto wh : std::vector<std::pair<unsigned, unsigned>>{{0x80000000u, 1},
                                                            {1, 0x80000000u},
                                                            {0x40000000u, 1},
                                                            {0x7FFFFFFFu, 0x7FFFFFFFu},
                                                            {20000, 20000},
                                                            {65536, 4096}}) {
    ImagePtr img = Blank(wh.first, wh.second, 4);
    EXPECT_EQ(img->ErrorCode, ERR_DIB_SECTION) << wh.first << "x" << wh.second;
    EXPECT_EQ(img->hBitmap, nullptr);
    EXPECT_EQ(img->Bits, nullptr);
    EXPECT_EQ(img->ViewSize.cx, 0);
  }
  // Just under the limit of 1 GiB (with the spare row) is still made, where
  // the address space has room for it.
  if (sizeof(void*) == 8) {
    ImagePtr big = Blank(16384, 16383, 4);
    EXPECT_EQ(big->ErrorCode, ERR_NONE);
  }
}

TEST(BlankImage, FailedSectionIsReportedInTheObjectsLanguage) {
  testing_support::BoxCapture boxes;
  // One above what the library allows: the same path as a platform refusal.
  ImagePtr img = Blank(16384, 16384, 4, LANGUAGE_JAPANESE);
  ASSERT_EQ(img->ErrorCode, ERR_DIB_SECTION);
  EXPECT_EQ(img->DisplayError(), ERR_DIB_SECTION);
  auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "DIB\x82\xcc\x90\xb6\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42");
}

TEST(View, NormalizeClampsOriginAndExtendsSizes) {
  ImagePtr img = Blank(100, 50, 3);
  img->ViewOrigin = POINT{120, -3};
  img->ViewSize = SIZE{0, 80};
  img->NormalizeView();
  EXPECT_EQ(img->ViewOrigin.x, 99);
  EXPECT_EQ(img->ViewOrigin.y, 0);
  EXPECT_EQ(img->ViewSize.cx, 1);
  EXPECT_EQ(img->ViewSize.cy, 50);

  img->SetViewOrigin(POINT{10, 5});
  img->SetViewSize(SIZE{30, 20});
  EXPECT_EQ(img->ViewSize.cx, 30);  // fits: kept
  EXPECT_EQ(img->ViewSize.cy, 20);
  img->MoveView(65, 40);  // origin (75, 45): the size shrinks to what is left
  EXPECT_EQ(img->ViewOrigin.x, 75);
  EXPECT_EQ(img->ViewOrigin.y, 45);
  EXPECT_EQ(img->ViewSize.cx, 25);
  EXPECT_EQ(img->ViewSize.cy, 5);
  img->MoveView(-1000, INT_MIN);
  EXPECT_EQ(img->ViewOrigin.x, 0);
  EXPECT_EQ(img->ViewOrigin.y, 0);
  img->SetViewSize(SIZE{-4, 0});
  EXPECT_EQ(img->ViewSize.cx, 100);
  EXPECT_EQ(img->ViewSize.cy, 50);
  // Moving far past the edge stops at the last pixel, without overflow.
  img->SetViewOrigin(POINT{INT_MAX, INT_MAX});
  img->MoveView(INT_MAX, INT_MAX);
  EXPECT_EQ(img->ViewOrigin.x, 99);
  EXPECT_EQ(img->ViewOrigin.y, 49);
}

TEST(Destructor, ReleasesTheSectionAndTheBackground) {
  ImagePtr img = Blank(8, 8, 4);
  img->Background = new ZEMADisplayFCDIB(256, nullptr, nullptr, 8, 8, 3, 0, 0, 0);
  ASSERT_EQ(img->Background->ErrorCode, ERR_NONE);
  img.reset();  // the sanitizers and the platform see both sections freed
  ImagePtr failed = Blank(1, 1, 3, 9);
  EXPECT_EQ(failed->hBitmap, nullptr);
  failed.reset();
}

}  // namespace
