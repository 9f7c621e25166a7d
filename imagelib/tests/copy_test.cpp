// The copy constructors: whole and view copies, resized copies, and copies
// of missing or failed sources.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using testing_support::BoxCapture;
using testing_support::FillRandom;
using testing_support::ImagePtr;
using testing_support::MakeImage;
using testing_support::PixelAt;

namespace {

HWND const kOwner = reinterpret_cast<HWND>(0x1230);
HINSTANCE const kInstance = reinterpret_cast<HINSTANCE>(0x4560);

// A healthy random image with handles, Japanese messages and a placed view.
ImagePtr Source(unsigned w, unsigned h, int bitCount, std::uint32_t seed) {
  ImagePtr img(new ZEMADisplayFCDIB(256, kOwner, kInstance, w, h, bitCount == 32 ? 4 : 3, 96, 97, 1));
  FillRandom(*img, seed);
  img->Position = POINT{5, 5};
  img->SetViewOrigin(POINT{10, 20});
  img->SetViewSize(SIZE{30, 40});
  return img;
}

std::size_t StrideOf(const ZEMADisplayFCDIB& img) { return testing_support::GeoOf(img).stride; }

void ExpectInherited(const ZEMADisplayFCDIB& copy) {
  EXPECT_EQ(copy.hWnd, kOwner);
  EXPECT_EQ(copy.hInstance, kInstance);
  EXPECT_EQ(copy.Language, 1u);
  EXPECT_EQ(copy.Background, nullptr);
  ASSERT_NE(copy.hBitmap, nullptr);
}

TEST(CopyConstructor, WholeCopyHasTheSameMembersAndImageRows) {
  for (int bpp : {24, 32}) {
    ImagePtr src = Source(47, 63, bpp, 1);
    ImagePtr copy(new ZEMADisplayFCDIB(src.get(), 1));
    ASSERT_EQ(copy->ErrorCode, ERR_NONE);
    ExpectInherited(*copy);
    EXPECT_EQ(std::memcmp(&copy->BitmapInfo, &src->BitmapInfo, sizeof(BITMAPINFO)), 0);
    EXPECT_EQ(copy->Position.x, 5);
    EXPECT_EQ(copy->Position.y, 5);
    EXPECT_EQ(copy->ViewOrigin.x, 10);
    EXPECT_EQ(copy->ViewOrigin.y, 20);
    EXPECT_EQ(copy->ViewSize.cx, 30);
    EXPECT_EQ(copy->ViewSize.cy, 40);
    // Every image row with its padding; the pixel memory is the copy's own.
    const std::size_t rows = StrideOf(*src) * 63;
    ASSERT_NE(copy->Bits, src->Bits);
    EXPECT_EQ(std::memcmp(copy->Bits, src->Bits, rows), 0);
    FillRandom(*src, 99);
    EXPECT_NE(std::memcmp(copy->Bits, src->Bits, rows), 0);
  }
}

TEST(CopyConstructor, ViewCopyIsTheViewPlacedWhereItWas) {
  for (int bpp : {24, 32}) {
    ImagePtr src = Source(47, 63, bpp, 2);
    ImagePtr copy(new ZEMADisplayFCDIB(src.get(), 0));
    ASSERT_EQ(copy->ErrorCode, ERR_NONE);
    ExpectInherited(*copy);
    const BITMAPINFOHEADER& h = copy->BitmapInfo.bmiHeader;
    EXPECT_EQ(h.biWidth, 30);
    EXPECT_EQ(h.biHeight, 40);
    EXPECT_EQ(h.biBitCount, bpp);
    EXPECT_EQ(h.biSizeImage, StrideOf(*copy) * 40);
    EXPECT_EQ(h.biXPelsPerMeter, 96);
    EXPECT_EQ(h.biYPelsPerMeter, 97);
    EXPECT_EQ(copy->Position.x, 15);
    EXPECT_EQ(copy->Position.y, 25);
    EXPECT_EQ(copy->ViewOrigin.x, 0);
    EXPECT_EQ(copy->ViewOrigin.y, 0);
    EXPECT_EQ(copy->ViewSize.cx, 30);
    EXPECT_EQ(copy->ViewSize.cy, 40);
    for (long y = 0; y < 40; ++y)
      for (long x = 0; x < 30; ++x) ASSERT_EQ(PixelAt(*copy, x, y), PixelAt(*src, 10 + x, 20 + y)) << x << "," << y;
  }
}

TEST(ResizedCopy, SameSizeReproducesTheSourceAndOtherSizesScaleIt) {
  for (int bpp : {24, 32}) {
    ImagePtr src = Source(47, 63, bpp, 3);
    for (int whole : {1, 0}) {
      const long w = whole ? 47 : 30, h = whole ? 63 : 40, x0 = whole ? 0 : 10, y0 = whole ? 0 : 20;
      ImagePtr same(new ZEMADisplayFCDIB(src.get(), static_cast<unsigned>(w), static_cast<unsigned>(h), whole));
      ASSERT_EQ(same->ErrorCode, ERR_NONE);
      ExpectInherited(*same);
      EXPECT_EQ(same->Position.x, 0);
      EXPECT_EQ(same->Position.y, 0);
      EXPECT_EQ(same->ViewSize.cx, w);
      EXPECT_EQ(same->ViewSize.cy, h);
      EXPECT_EQ(same->BitmapInfo.bmiHeader.biBitCount, bpp);
      for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) ASSERT_EQ(PixelAt(*same, x, y), PixelAt(*src, x0 + x, y0 + y));

      // Scaled, it is what StretchImage makes of the same region.
      ImagePtr scaled(new ZEMADisplayFCDIB(src.get(), 19u, 71u, whole));
      ASSERT_EQ(scaled->ErrorCode, ERR_NONE);
      ImagePtr expected = MakeImage(19, 71, bpp);
      if (whole) {
        src->SetViewOrigin(POINT{0, 0});
        src->SetViewSize(SIZE{0, 0});
      }
      ASSERT_EQ(expected->StretchImage(src.get(), 0), ERR_NONE);
      const std::size_t rows = StrideOf(*expected) * 71;
      EXPECT_EQ(std::memcmp(scaled->Bits, expected->Bits, rows), 0);
      src->SetViewOrigin(POINT{10, 20});
      src->SetViewSize(SIZE{30, 40});
    }
  }
}

TEST(ResizedCopy, RequestedZeroKeepsTheViewExtentZero) {
  ImagePtr src = Source(47, 63, 24, 4);
  ImagePtr copy(new ZEMADisplayFCDIB(src.get(), 0u, 5u, 1));
  ASSERT_EQ(copy->ErrorCode, ERR_NONE);
  EXPECT_EQ(copy->BitmapInfo.bmiHeader.biWidth, 1);
  EXPECT_EQ(copy->BitmapInfo.bmiHeader.biHeight, 5);
  EXPECT_EQ(copy->ViewSize.cx, 0);
  EXPECT_EQ(copy->ViewSize.cy, 5);
}

TEST(CopyOfNothing, NullAndFailedSourcesLeaveAnEmptyObject) {
  ImagePtr failed = Source(8, 8, 32, 5);
  failed->ErrorCode = ERR_FILE_READ;
  // A source whose failure code a client cleared still has no pixels.
  ImagePtr cleared(new ZEMADisplayFCDIB(256, kOwner, kInstance, 8, 8, 4, 96, 96, 7));
  ASSERT_EQ(cleared->ErrorCode, ERR_UNSUPPORTED_COMMAND);
  cleared->ErrorCode = ERR_NONE;

  struct Case {
    ZEMADisplayFCDIB* source;
    int code;
  };
  for (Case c :
       {Case{nullptr, ERR_UNSUPPORTED_COMMAND}, Case{failed.get(), ERR_EXTERNAL}, Case{cleared.get(), ERR_EXTERNAL}}) {
    std::vector<ImagePtr> copies;
    copies.emplace_back(new ZEMADisplayFCDIB(c.source, 1));
    copies.emplace_back(new ZEMADisplayFCDIB(c.source, 0));
    copies.emplace_back(new ZEMADisplayFCDIB(c.source, 4u, 4u, 1));
    copies.emplace_back(new ZEMADisplayFCDIB(c.source, 4u, 4u, 0));
    for (const ImagePtr& copy : copies) {
      EXPECT_EQ(copy->ErrorCode, c.code);
      EXPECT_EQ(copy->hWnd, nullptr);
      EXPECT_EQ(copy->hInstance, nullptr);
      EXPECT_EQ(copy->Language, 0u);
      EXPECT_EQ(copy->hBitmap, nullptr);
      EXPECT_EQ(copy->Bits, nullptr);
      EXPECT_EQ(copy->ViewSize.cx, 0);
      EXPECT_EQ(copy->Background, nullptr);
      // Every later operation refuses.
      EXPECT_EQ(copy->TurnImageLR(1), c.code);
      EXPECT_EQ(copy->ChangeChannels(147, 1), c.code);
    }
  }

  // A failed source is not reported again; a missing one is, in English.
  BoxCapture boxes;
  ImagePtr external(new ZEMADisplayFCDIB(failed.get(), 1));
  EXPECT_EQ(external->DisplayError(), ERR_EXTERNAL);
  EXPECT_TRUE(boxes.Boxes().empty());
  ImagePtr missing(new ZEMADisplayFCDIB(nullptr, 1));
  EXPECT_EQ(missing->DisplayError(), ERR_UNSUPPORTED_COMMAND);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Error :\n  The unsupported command is used.\n  Please get a new DLL.");
}

}  // namespace
