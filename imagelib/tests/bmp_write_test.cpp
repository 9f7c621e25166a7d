// Saving images as BMP files, whole or their view, and reading them back.
#include "bmp_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bmp_test;
using testing_support::ImagePtr;

namespace {

// The 54 header bytes of a saved file as fields.
struct Saved {
  std::vector<unsigned char> bytes;
  std::uint32_t Field(std::size_t at) const { return Le32At(bytes, at); }
  unsigned Field16(std::size_t at) const { return bytes[at] | bytes[at + 1] << 8; }
};

Saved Save(ZEMADisplayFCDIB& img, const std::string& name, int whole) {
  const std::string path = testing_support::TempPath(name);
  EXPECT_EQ(img.SaveImage(const_cast<char*>(path.c_str()), whole), ERR_NONE);
  return Saved{ReadBytes(path)};
}

TEST(BmpWrite, WholeBitmapIsHeaderAndMemoryAsTheyAre) {
  for (int bits : {24, 32}) {
    ImagePtr img = testing_support::MakeImage(47, 33, bits);
    testing_support::FillRandom(*img, static_cast<std::uint32_t>(bits));  // filler bytes too
    const BITMAPINFOHEADER& h = img->BitmapInfo.bmiHeader;
    const Saved f = Save(*img, "whole.bmp", 1);
    ASSERT_EQ(f.bytes.size(), 54u + h.biSizeImage);
    EXPECT_EQ(f.Field16(0), 0x4D42u);
    EXPECT_EQ(f.Field(2), 54u + h.biSizeImage);
    EXPECT_EQ(f.Field(6), 0u);
    EXPECT_EQ(f.Field(10), 54u);
    // The info header is the image's own, byte for byte.
    const unsigned char* own = reinterpret_cast<const unsigned char*>(&img->BitmapInfo.bmiHeader);
    EXPECT_EQ(std::vector<unsigned char>(f.bytes.begin() + 14, f.bytes.begin() + 54),
              std::vector<unsigned char>(own, own + 40));
    EXPECT_EQ(std::vector<unsigned char>(f.bytes.begin() + 54, f.bytes.end()),
              std::vector<unsigned char>(img->Bits, img->Bits + h.biSizeImage));

    // Read back at the same depth: the same memory (24-bit filler included),
    // the same resolution; a 32-bit image keeps its alpha bytes.
    ImagePtr back = LoadFile(testing_support::TempPath("whole.bmp"), bits == 32 ? 4 : 3);
    ASSERT_EQ(back->ErrorCode, ERR_NONE);
    EXPECT_EQ(back->BitmapInfo.bmiHeader.biBitCount, bits);
    EXPECT_EQ(back->BitmapInfo.bmiHeader.biXPelsPerMeter, h.biXPelsPerMeter);
    EXPECT_EQ(back->BitmapInfo.bmiHeader.biYPelsPerMeter, h.biYPelsPerMeter);
    std::vector<unsigned char> a = testing_support::PixelMemory(*img), b = testing_support::PixelMemory(*back);
    a.resize(h.biSizeImage);
    b.resize(h.biSizeImage);
    EXPECT_EQ(a, b) << bits << " bits";
  }
}

TEST(BmpWrite, ViewRowsArePaddedWithZerosAndReadBack) {
  for (int bits : {24, 32}) {
    const int bpp = bits / 8;
    for (int cx : {1, 2, 3, 4, 5, 6, 7, 13}) {
      ImagePtr img = testing_support::MakeImage(21, 12, bits);
      testing_support::FillRandom(*img, static_cast<std::uint32_t>(cx * bits));
      img->SetViewOrigin(POINT{5, 3});
      img->SetViewSize(SIZE{cx, 7});
      const Saved f = Save(*img, "view.bmp", 0);
      const std::size_t rowBytes =
          testing_support::RowBytes(static_cast<std::size_t>(cx), static_cast<std::size_t>(bpp));
      ASSERT_EQ(f.bytes.size(), 54 + rowBytes * 7) << cx;
      EXPECT_EQ(f.Field(2), 54 + rowBytes * 7);
      EXPECT_EQ(f.Field(10), 54u);
      EXPECT_EQ(f.Field(14), 40u);
      EXPECT_EQ(f.Field(18), static_cast<std::uint32_t>(cx));
      EXPECT_EQ(f.Field(22), 7u);
      EXPECT_EQ(f.Field16(26), 1u);
      EXPECT_EQ(f.Field16(28), static_cast<unsigned>(bits));
      EXPECT_EQ(f.Field(30), 0u);
      EXPECT_EQ(f.Field(34), rowBytes * 7);
      EXPECT_EQ(f.Field(38), 3780u);
      EXPECT_EQ(f.Field(42), 3780u);
      EXPECT_EQ(f.Field(46), 0u);
      EXPECT_EQ(f.Field(50), 0u);
      // File row i is image row 3 + 6 - i, from column 5 on, then zeros.
      for (int i = 0; i < 7; ++i) {
        const unsigned char* row = f.bytes.data() + 54 + i * rowBytes;
        for (int x = 0; x < cx; ++x) {
          const auto px = testing_support::PixelAt(*img, 5 + x, 9 - i);
          ASSERT_EQ(std::vector<unsigned char>(row + x * bpp, row + (x + 1) * bpp), px) << cx << " row " << i;
        }
        for (std::size_t k = static_cast<std::size_t>(cx) * bpp; k < rowBytes; ++k) ASSERT_EQ(row[k], 0) << cx;
      }
      ImagePtr back = LoadFile(testing_support::TempPath("view.bmp"), bits == 32 ? 4 : 3);
      ASSERT_EQ(back->ErrorCode, ERR_NONE);
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < cx; ++x)
          ASSERT_EQ(testing_support::PixelAt(*back, x, y), testing_support::PixelAt(*img, 5 + x, 3 + y));
    }
  }
}

TEST(BmpWrite, ViewOfTheWholeImageDiffersOnlyInFiller) {
  ImagePtr img = testing_support::MakeImage(9, 5, 24);
  testing_support::FillRandom(*img, 99);
  const Saved whole = Save(*img, "all-whole.bmp", 1);
  const Saved view = Save(*img, "all-view.bmp", 0);
  ASSERT_EQ(whole.bytes.size(), view.bytes.size());
  EXPECT_EQ(std::vector<unsigned char>(whole.bytes.begin(), whole.bytes.begin() + 54),
            std::vector<unsigned char>(view.bytes.begin(), view.bytes.begin() + 54));
  bool fillerDiffered = false;
  for (std::size_t i = 54; i < whole.bytes.size(); ++i) {
    const std::size_t inRow = (i - 54) % 28;  // stride of 9 pixels at 24 bits
    if (inRow < 27) {
      ASSERT_EQ(whole.bytes[i], view.bytes[i]) << i;
    } else {
      EXPECT_EQ(view.bytes[i], 0) << i;
      fillerDiffered |= whole.bytes[i] != 0;
    }
  }
  EXPECT_TRUE(fillerDiffered);  // the random filler really was written by the whole save
}

TEST(BmpWrite, ExistingLongerFileIsReplaced) {
  const std::string path = testing_support::TempPath("replace.bmp");
  WriteBytes(path, std::vector<unsigned char>(100000, 0xAB));
  ImagePtr img = testing_support::MakeImage(3, 2, 32);
  ASSERT_EQ(img->SaveImage(const_cast<char*>(path.c_str()), 1), ERR_NONE);
  EXPECT_EQ(ReadBytes(path).size(), 54u + 24u);
  ASSERT_EQ(img->SaveImage(const_cast<char*>(path.c_str()), 0), ERR_NONE);
  EXPECT_EQ(ReadBytes(path).size(), 54u + 24u);
}

TEST(BmpWrite, FailedObjectsWriteNothing) {
  const std::string path = testing_support::TempPath("never.bmp");
  ImagePtr failed(new ZEMADisplayFCDIB(LibraryVersion + 1, nullptr, nullptr, 4, 4, 3, 0, 0, 0));
  ASSERT_EQ(failed->ErrorCode, ERR_DLL_VERSION);
  EXPECT_EQ(failed->SaveImage(const_cast<char*>(path.c_str()), 1), ERR_DLL_VERSION);
  EXPECT_EQ(failed->SaveImage(const_cast<char*>(path.c_str()), 0), ERR_DLL_VERSION);
  EXPECT_FALSE(FileExists(path));

  ImagePtr img = testing_support::MakeImage(4, 4, 24);
  img->ErrorCode = ERR_FILE_READ;
  EXPECT_EQ(img->SaveImage(const_cast<char*>(path.c_str()), 1), ERR_FILE_READ);
  EXPECT_FALSE(FileExists(path));
}

TEST(BmpWrite, UncreatableFileIsStickyCreateError) {
  const std::string good = testing_support::TempPath("after-failure.bmp");
  const std::string missingFolder = testing_support::TempPath("no-such-folder/x.bmp");
  const std::string folder = testing_support::TempPath("");
  for (const std::string& bad : {missingFolder, folder}) {
    for (int whole : {0, 1}) {
      ImagePtr img = testing_support::MakeImage(4, 4, 24);
      EXPECT_EQ(img->SaveImage(const_cast<char*>(bad.c_str()), whole), ERR_FILE_CREATE) << bad;
      EXPECT_EQ(img->ErrorCode, ERR_FILE_CREATE);
      EXPECT_EQ(img->SaveImage(const_cast<char*>(good.c_str()), whole), ERR_FILE_CREATE);
      EXPECT_FALSE(FileExists(good));
    }
  }
  ImagePtr img = testing_support::MakeImage(4, 4, 24);
  EXPECT_EQ(img->SaveImage(nullptr, 1), ERR_FILE_CREATE);
}

// Views written out of range by a client are saved as far as they lie inside
// the image; nothing outside the pixel memory is read.
TEST(BmpWrite, ViewOutsideTheImageIsCutToIt) {
  ImagePtr img = testing_support::MakeImage(7, 5, 24);
  testing_support::FillRandom(*img, 5);
  const Saved all = Save(*img, "cut-all.bmp", 0);
  img->SetViewOrigin(POINT{4, 3});
  img->SetViewSize(SIZE{3, 2});
  const Saved corner = Save(*img, "cut-corner.bmp", 0);

  img->ViewOrigin = POINT{-2, -1};
  img->ViewSize = SIZE{100, 100};
  EXPECT_EQ(Save(*img, "cut.bmp", 0).bytes, all.bytes);
  img->ViewOrigin = POINT{4, 3};
  img->ViewSize = SIZE{10, 10};
  EXPECT_EQ(Save(*img, "cut.bmp", 0).bytes, corner.bytes);

  // Wholly beside the image: the headers of an empty rectangle, no rows.
  img->ViewOrigin = POINT{9, 1};
  img->ViewSize = SIZE{3, 2};
  Saved beside = Save(*img, "cut.bmp", 0);
  ASSERT_EQ(beside.bytes.size(), 54u);
  EXPECT_EQ(beside.Field(18), 0u);
  EXPECT_EQ(beside.Field(22), 2u);
  EXPECT_EQ(beside.Field(34), 0u);

  // A failed image whose code a client cleared has no pixel memory to read.
  ImagePtr empty(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, 4, 4, 3, 0, 0, 9));
  ASSERT_EQ(empty->Bits, nullptr);
  empty->ErrorCode = ERR_NONE;
  empty->ViewSize = SIZE{4, 4};
  Saved nothing = Save(*empty, "cut.bmp", 0);
  ASSERT_EQ(nothing.bytes.size(), 54u);
  EXPECT_EQ(nothing.Field(18), 0u);
  EXPECT_EQ(nothing.Field(22), 0u);
}

}  // namespace
