// Reading BMP data from files and from memory: every source depth into both
// image depths against a reference decoder, and every refusal with what is
// left afterwards.
#include "bmp_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

using namespace bmp_test;
using testing_support::ImagePtr;

namespace {

int ImageBits(int colorType, unsigned sourceBits) {
  if (colorType == 3) return 24;
  if (colorType == 4) return 32;
  return sourceBits <= 24 ? 24 : 32;
}

// Every pixel equals the reference and the spare row is still zero. Filler
// bytes behind a row stay zero, except that 24-bit rows going into a 24-bit
// image are copied whole, their filler with them.
void ExpectDecoded(const ZEMADisplayFCDIB& img, const Layout& l, const std::vector<unsigned char>& palette,
                   const std::vector<unsigned char>& rows, int colorType, const std::string& what) {
  const BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
  const int bits = ImageBits(colorType, l.bits);
  ASSERT_EQ(h.biBitCount, bits) << what;
  ASSERT_EQ(h.biWidth, l.width) << what;
  ASSERT_EQ(static_cast<std::size_t>(h.biHeight), Rows(l)) << what;
  const int bpp = bits / 8;
  for (long y = 0; y < h.biHeight; ++y) {
    for (long x = 0; x < h.biWidth; ++x) {
      const auto want = ReferencePixel(l, palette, rows, x, y);
      const auto got = testing_support::PixelAt(img, x, y);
      for (int c = 0; c < bpp; ++c)
        ASSERT_EQ(got[c], want[c]) << what << " pixel (" << x << ", " << y << ") channel " << c;
    }
  }
  const std::size_t stride =
      testing_support::RowBytes(static_cast<std::size_t>(h.biWidth), static_cast<std::size_t>(bpp));
  const std::vector<unsigned char> mem = testing_support::PixelMemory(img);
  const bool copied = l.bits == 24 && bits == 24;
  for (long r = 0; r <= h.biHeight; ++r) {
    const std::size_t from = r == h.biHeight ? 0 : static_cast<std::size_t>(h.biWidth) * bpp;
    const std::size_t stored = l.height > 0 ? r : Rows(l) - 1 - r;
    for (std::size_t i = from; i < stride; ++i) {
      const unsigned char want = copied && r < h.biHeight ? rows[stored * stride + i] : 0;
      ASSERT_EQ(mem[r * stride + i], want) << what << " filler of memory row " << r << " byte " << i;
    }
  }
}

// All five source depths, widths that end a source byte in every way, both row
// orders, the three kinds of ColorType, from a file and from memory.
TEST(BmpRead, EveryDepthWidthAndRowOrderMatchesTheReference) {
  const std::string path = testing_support::TempPath("reference.bmp");
  std::uint32_t seed = 1;
  for (unsigned bits : {1u, 4u, 8u, 24u, 32u}) {
    for (int width : {1, 2, 3, 7, 8, 9, 15, 17, 33}) {
      for (int height : {3, -3, 1, -2}) {
        Layout l;
        l.width = width;
        l.height = height;
        l.bits = static_cast<std::uint16_t>(bits);
        std::vector<unsigned char> palette = RandomBytes(PaletteSize(bits), ++seed);
        std::vector<unsigned char> rows = RandomBytes(RowSize(bits, width) * Rows(l), ++seed);
        WriteBytes(path, BuildFile(l, palette, rows));
        for (int colorType : {3, 4, 0}) {
          const std::string what = std::to_string(bits) + " bits, " + std::to_string(width) + " x " +
                                   std::to_string(height) + ", ColorType " + std::to_string(colorType);
          ImagePtr fromFile = LoadFile(path, colorType);
          ASSERT_EQ(fromFile->ErrorCode, ERR_NONE) << what;
          ExpectDecoded(*fromFile, l, palette, rows, colorType, what + " (file)");
          ImagePtr fromMemory = LoadMemory(l, palette, rows, colorType);
          ASSERT_EQ(fromMemory->ErrorCode, ERR_NONE) << what;
          ExpectDecoded(*fromMemory, l, palette, rows, colorType, what + " (memory)");
        }
      }
    }
  }
}

TEST(BmpRead, TopDownAndBottomUpGiveTheSameImage) {
  for (unsigned bits : {1u, 4u, 8u, 24u, 32u}) {
    Layout up;
    up.width = 13;
    up.height = 6;
    up.bits = static_cast<std::uint16_t>(bits);
    Layout down = up;
    down.height = -6;
    std::vector<unsigned char> palette = RandomBytes(PaletteSize(bits), bits);
    std::vector<unsigned char> rows = RandomBytes(RowSize(bits, 13) * 6, bits + 100);
    std::vector<unsigned char> reversed;
    const std::size_t rs = RowSize(bits, 13);
    for (int r = 5; r >= 0; --r) reversed.insert(reversed.end(), rows.begin() + r * rs, rows.begin() + (r + 1) * rs);
    for (int colorType : {3, 4}) {
      ImagePtr a = LoadMemory(up, palette, rows, colorType);
      ImagePtr b = LoadMemory(down, palette, reversed, colorType);
      ASSERT_EQ(a->ErrorCode, ERR_NONE);
      ASSERT_EQ(b->ErrorCode, ERR_NONE);
      EXPECT_EQ(testing_support::PixelMemory(*a), testing_support::PixelMemory(*b)) << bits << " bits";
    }
  }
}

TEST(BmpRead, HeaderFieldsOfTheImage) {
  Layout l;
  l.width = 5;
  l.height = -4;
  l.bits = 8;
  l.xPels = 3780;
  l.yPels = -12;
  l.clrUsed = 3;  // still 256 entries are read from offset 54
  l.gap = 6;      // and rows come from bfOffBits, behind the gap
  std::vector<unsigned char> palette = RandomBytes(1024, 5);
  std::vector<unsigned char> rows = RandomBytes(8 * 4, 6);
  const std::string path = testing_support::TempPath("fields.bmp");
  WriteBytes(path, BuildFile(l, palette, rows));
  ImagePtr img = LoadFile(path, 0);
  ASSERT_EQ(img->ErrorCode, ERR_NONE);
  const BITMAPINFOHEADER& h = img->BitmapInfo.bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biHeight, 4);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biSizeImage, 4u * 16u);
  EXPECT_EQ(h.biXPelsPerMeter, 3780);
  EXPECT_EQ(h.biYPelsPerMeter, -12);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biClrImportant, 0u);
  EXPECT_EQ(img->ViewSize.cx, 5);
  EXPECT_EQ(img->ViewSize.cy, 4);
  EXPECT_EQ(img->ViewOrigin.x, 0);
  EXPECT_EQ(img->Position.y, 0);
  ExpectDecoded(*img, l, palette, rows, 0, "gap and short biClrUsed");
}

// The clock's figure sheet: 4-bit, 920 x 44, alpha in the palette's fourth bytes.
TEST(BmpRead, FigureSheetFromMemoryKeepsPaletteAlpha) {
  Layout l;
  l.width = 920;
  l.height = 44;
  l.bits = 4;
  std::vector<unsigned char> palette = RandomBytes(64, 920);
  std::vector<unsigned char> rows = RandomBytes(20240, 44);
  ASSERT_EQ(RowSize(4, 920), 460u);
  ImagePtr img = LoadMemory(l, palette, rows, 4);
  ASSERT_EQ(img->ErrorCode, ERR_NONE);
  EXPECT_EQ(img->BitmapInfo.bmiHeader.biSizeImage, 3680u * 44u);
  ExpectDecoded(*img, l, palette, rows, 4, "920 x 44");
}

TEST(BmpRead, HeightZeroGivesOneBlankRow) {
  Layout l;
  l.width = 6;
  l.height = 0;
  l.bits = 24;
  const std::string path = testing_support::TempPath("height0.bmp");
  WriteBytes(path, BuildFile(l, {}, {}));
  ImagePtr img = LoadFile(path, 4);
  ASSERT_EQ(img->ErrorCode, ERR_NONE);
  EXPECT_EQ(img->BitmapInfo.bmiHeader.biHeight, 1);
  EXPECT_EQ(img->ViewSize.cy, 1);
  EXPECT_TRUE(AllZero(*img));
  // No row is read, so rows that cannot be reached (bfOffBits 2 GiB) are no fault.
  std::vector<unsigned char> farRows = BuildFile(l, {}, {});
  farRows[13] = 0x80;
  WriteBytes(path, farRows);
  EXPECT_EQ(LoadFile(path, 3)->ErrorCode, ERR_NONE);
  std::vector<unsigned char> none;
  std::vector<unsigned char> palette = RandomBytes(8, 1);
  l.bits = 1;
  ImagePtr mem = LoadMemory(l, palette, none, 3);
  EXPECT_EQ(mem->ErrorCode, ERR_NONE);
  EXPECT_TRUE(AllZero(*mem));
}

// Refusals of the file constructor and what they leave: a null hBitmap means
// no pixel memory was created; otherwise the memory is still blank.
struct Refusal {
  const char* name;
  std::vector<unsigned char> bytes;
  int code;
  bool pixelMemory;
};

std::vector<unsigned char> Truncated(std::vector<unsigned char> v, std::size_t n) {
  v.resize(n);
  return v;
}
std::vector<unsigned char> Patched32(std::vector<unsigned char> v, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<unsigned char>(value >> (8 * i));
  return v;
}

TEST(BmpRead, RefusedFilesLeaveWhatTheyShould) {
  Layout l24;
  l24.width = 3;
  l24.height = 2;
  const std::vector<unsigned char> ok24 = BuildFile(l24, {}, RandomBytes(24, 1));
  Layout l8 = l24;
  l8.bits = 8;
  const std::vector<unsigned char> ok8 = BuildFile(l8, RandomBytes(1024, 2), RandomBytes(8, 3));

  Layout rle8 = l8;
  rle8.compression = BI_RLE8;
  Layout rle4 = l8;
  rle4.bits = 4;
  rle4.compression = BI_RLE4;
  Layout bitfields = l24;
  bitfields.bits = 32;
  bitfields.compression = BI_BITFIELDS;
  Layout v4 = l24;
  v4.infoSize = 108;
  v4.gap = 68;
  Layout v5 = l8;
  v5.infoSize = 124;
  Layout bits16 = l24;
  bits16.bits = 16;
  Layout bits2 = l24;
  bits2.bits = 2;

  std::vector<unsigned char> wrongMagic = ok24;
  wrongMagic[0] = 'M';
  wrongMagic[1] = 'B';

  const std::vector<Refusal> cases = {
      {"empty file", {}, ERR_FILE_READ, false},
      {"short file header", Truncated(ok24, 13), ERR_FILE_READ, false},
      {"wrong magic", wrongMagic, ERR_BMP_FORMAT, false},
      {"short info header", Truncated(ok24, 14 + 39), ERR_FILE_READ, false},
      {"RLE8", BuildFile(rle8, RandomBytes(1024, 4), RandomBytes(8, 5)), ERR_BMP_FORMAT, true},
      {"RLE4", BuildFile(rle4, RandomBytes(64, 4), RandomBytes(8, 5)), ERR_BMP_FORMAT, true},
      // Compressed palette files are refused only after their palette was read.
      {"RLE8, palette cut short", BuildFile(rle8, RandomBytes(1000, 4), {}), ERR_FILE_READ, true},
      {"bit fields", BuildFile(bitfields, {}, RandomBytes(24, 5)), ERR_BMP_FORMAT, true},
      {"108-byte info header", BuildFile(v4, {}, RandomBytes(24, 6)), ERR_BMP_FORMAT, true},
      {"124-byte info header", BuildFile(v5, RandomBytes(1024, 6), RandomBytes(8, 6)), ERR_BMP_FORMAT, true},
      {"16 bits", BuildFile(bits16, {}, RandomBytes(16, 7)), ERR_BMP_FORMAT, true},
      {"2 bits", BuildFile(bits2, {}, RandomBytes(16, 7)), ERR_BMP_FORMAT, true},
      {"palette cut short", Truncated(ok8, 54 + 1023), ERR_FILE_READ, true},
      {"no rows at all", Truncated(ok8, 54 + 1024), ERR_FILE_READ, true},
      {"bfOffBits behind the end", Patched32(ok24, 10, 5000), ERR_FILE_READ, true},
      {"bfOffBits beyond 2 GiB", Patched32(ok24, 10, 0x80000036u), ERR_FILE_READ, true},
      {"bfOffBits 4 GiB - 1", Patched32(ok24, 10, 0xFFFFFFFFu), ERR_FILE_READ, true},
      // The header is judged before rows unreachable at such an offset are missed.
      {"RLE8, bfOffBits beyond 2 GiB",
       Patched32(BuildFile(rle8, RandomBytes(1024, 4), RandomBytes(8, 5)), 10, 0x80000436u), ERR_BMP_FORMAT, true},
      {"108-byte info header, bfOffBits beyond 2 GiB",
       Patched32(BuildFile(v4, {}, RandomBytes(24, 6)), 10, 0x80000000u), ERR_BMP_FORMAT, true},
      {"width 0", Patched32(ok24, 18, 0), ERR_BMP_FORMAT, false},
      {"width -3", Patched32(ok24, 18, static_cast<std::uint32_t>(-3)), ERR_BMP_FORMAT, false},
      {"width INT_MIN", Patched32(ok24, 18, 0x80000000u), ERR_BMP_FORMAT, false},
      {"width INT_MAX", Patched32(ok24, 18, 0x7FFFFFFFu), ERR_BMP_FORMAT, false},
      {"width 2^30 (stride wraps 32 bits)", Patched32(ok24, 18, 0x40000000u), ERR_BMP_FORMAT, false},
      {"height INT_MIN", Patched32(ok24, 22, 0x80000000u), ERR_BMP_FORMAT, false},
      {"height INT_MAX", Patched32(ok24, 22, 0x7FFFFFFFu), ERR_BMP_FORMAT, false},
      {"100000 x 100000", Patched32(Patched32(ok8, 18, 100000), 22, 100000), ERR_BMP_FORMAT, false},
  };
  const std::string path = testing_support::TempPath("refused.bmp");
  for (const Refusal& c : cases) {
    WriteBytes(path, c.bytes);
    for (int colorType : {3, 4}) {
      ImagePtr img = LoadFile(path, colorType);
      EXPECT_EQ(img->ErrorCode, c.code) << c.name;
      if (c.pixelMemory) {
        ASSERT_NE(img->hBitmap, nullptr) << c.name;
        EXPECT_EQ(img->BitmapInfo.bmiHeader.biBitCount, colorType == 4 ? 32 : 24) << c.name;
        EXPECT_TRUE(AllZero(*img)) << c.name;
      } else {
        EXPECT_EQ(img->hBitmap, nullptr) << c.name;
        EXPECT_EQ(img->Bits, nullptr) << c.name;
      }
    }
  }
}

TEST(BmpRead, MissingFileAndBadBaseArguments) {
  const std::string missing = testing_support::TempPath("no-such-file.bmp");
  EXPECT_EQ(LoadFile(missing, 3)->ErrorCode, ERR_FILE_OPEN);
  EXPECT_EQ(LoadFile(testing_support::TempPath(""), 3)->ErrorCode, ERR_FILE_OPEN);  // a folder
  ImagePtr nullName(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, static_cast<char*>(nullptr), 3, 0));
  EXPECT_EQ(nullName->ErrorCode, ERR_FILE_OPEN);
  ImagePtr newer(new ZEMADisplayFCDIB(LibraryVersion + 1, nullptr, nullptr, const_cast<char*>(missing.c_str()), 3, 0));
  EXPECT_EQ(newer->ErrorCode, ERR_DLL_VERSION);
  ImagePtr language(new ZEMADisplayFCDIB(256, nullptr, nullptr, const_cast<char*>(missing.c_str()), 3, 2));
  EXPECT_EQ(language->ErrorCode, ERR_UNSUPPORTED_COMMAND);
}

// A file cut inside the pixel rows keeps exactly the whole rows it holds;
// the rest, including the row that was cut, stays blank.
TEST(BmpRead, RowsCutShortKeepTheWholeRowsRead) {
  const std::string path = testing_support::TempPath("cut.bmp");
  for (unsigned bits : {1u, 8u, 24u, 32u}) {
    for (int height : {5, -5}) {
      Layout l;
      l.width = 7;
      l.height = height;
      l.bits = static_cast<std::uint16_t>(bits);
      std::vector<unsigned char> palette = RandomBytes(PaletteSize(bits), bits);
      std::vector<unsigned char> rows = RandomBytes(RowSize(bits, 7) * 5, bits * 3);
      const std::size_t keep = OffBits(l) + 2 * RowSize(bits, 7) + RowSize(bits, 7) / 2;
      WriteBytes(path, Truncated(BuildFile(l, palette, rows), keep));
      for (int colorType : {3, 4}) {
        ImagePtr img = LoadFile(path, colorType);
        ASSERT_EQ(img->ErrorCode, ERR_FILE_READ) << bits << " bits";
        for (long y = 0; y < 5; ++y) {
          const long stored = height > 0 ? 4 - y : y;
          const auto want = ReferencePixel(l, palette, rows, 3, y);
          const auto got = testing_support::PixelAt(*img, 3, y);
          for (std::size_t c = 0; c < got.size(); ++c)
            EXPECT_EQ(got[c], stored < 2 ? want[c] : 0) << bits << " bits, height " << height << ", row " << y;
        }
      }
    }
  }
}

TEST(BmpRead, MemoryConstructorChecksTheHeaderToo) {
  Layout l;
  l.width = 4;
  l.height = 2;
  l.bits = 24;
  std::vector<unsigned char> rows = RandomBytes(24, 9);
  std::vector<unsigned char> none;
  for (std::int32_t width : {0, -4, INT_MIN, INT_MAX, 0x40000000}) {
    Layout bad = l;
    bad.width = width;
    ImagePtr img = LoadMemory(bad, none, rows, 3);
    EXPECT_EQ(img->ErrorCode, ERR_BMP_FORMAT) << width;
    EXPECT_EQ(img->hBitmap, nullptr) << width;
  }
  for (std::int32_t height : {INT_MIN, INT_MAX, 1 << 28}) {
    Layout bad = l;
    bad.height = height;
    ImagePtr img = LoadMemory(bad, none, none, 4);
    EXPECT_EQ(img->ErrorCode, ERR_BMP_FORMAT) << height;
    EXPECT_EQ(img->hBitmap, nullptr) << height;
  }
  // Depth, header size and compression are refused by the loader, after the
  // pixel memory was made.
  Layout bits16 = l;
  bits16.bits = 16;
  Layout rle = l;
  rle.bits = 8;
  rle.compression = BI_RLE8;
  Layout v5 = l;
  v5.infoSize = 124;
  std::vector<unsigned char> palette = RandomBytes(1024, 3);
  for (const Layout& bad : {bits16, rle, v5}) {
    ImagePtr img = LoadMemory(bad, palette, rows, 0);
    EXPECT_EQ(img->ErrorCode, ERR_BMP_FORMAT) << bad.bits;
    ASSERT_NE(img->hBitmap, nullptr);
    EXPECT_TRUE(AllZero(*img));
  }
  // No rows or no palette where some are needed: refused, not read.
  ImagePtr noRows = LoadMemory(l, none, none, 3);
  EXPECT_EQ(noRows->ErrorCode, ERR_UNSUPPORTED_COMMAND);
  Layout l8 = l;
  l8.bits = 8;
  ImagePtr noPalette = LoadMemory(l8, none, rows, 3);
  EXPECT_EQ(noPalette->ErrorCode, ERR_UNSUPPORTED_COMMAND);
  EXPECT_TRUE(AllZero(*noPalette));
}

// The image memory (all rows and the spare row) that a load of the whole
// source gives, from the reference decoder: pixels where they belong, zero
// filler, except that 24- and 32-bit rows going into an image of their own
// depth are copied whole, filler included.
std::vector<unsigned char> DecodedMemory(const Layout& l, const std::vector<unsigned char>& palette,
                                         const std::vector<unsigned char>& rows, int colorType) {
  const std::size_t bpp = static_cast<std::size_t>(ImageBits(colorType, l.bits) / 8);
  const std::size_t w = static_cast<std::size_t>(l.width), h = Rows(l);
  const std::size_t stride = testing_support::RowBytes(w, bpp);
  std::vector<unsigned char> mem(stride * (h + 1), 0);
  for (std::size_t r = 0; r < h; ++r) {  // memory row r, 0 = bottom
    unsigned char* out = mem.data() + r * stride;
    if (bpp * 8 == l.bits) {
      const std::size_t stored = l.height > 0 ? r : h - 1 - r;
      std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(stored * stride), stride, out);
      continue;
    }
    for (std::size_t x = 0; x < w; ++x) {
      const auto p = ReferencePixel(l, palette, rows, static_cast<long>(x), static_cast<long>(h - 1 - r));
      std::copy_n(p.begin(), bpp, out + x * bpp);
    }
  }
  return mem;
}

// Files cut short inside and between the runs of rows that one read takes, in
// both row orders, with and without a gap before bfOffBits: the image holds
// every stored row before the cut exactly and nothing of the rows from the
// cut on; the load reports ERR_FILE_READ unless the file is whole.
TEST(BmpRead, CutsInsideMultiRowReadsKeepExactlyTheWholeRowsBefore) {
  struct Source {
    unsigned bits;
    int width;
    int rows;
    int colorType;
  };
  const Source sources[] = {
      {8, 1000, 150, 3},                                       // rows of 1000 bytes, several reads of many rows
      {4, 1999, 130, 4},                                       // odd width
      {24, 700, 80, 4},  {32, 600, 70, 3},  {24, 701, 80, 3},  // copied straight, filler included
      {32, 600, 70, 4},  {24, 22000, 3, 4},                    // one row is more than one read's worth
  };
  const std::string path = testing_support::TempPath("cut-runs.bmp");
  std::uint32_t seed = 70;
  for (const Source& s : sources) {
    for (int sign : {1, -1}) {
      for (std::uint32_t gap : {0u, 7u}) {
        Layout l;
        l.width = s.width;
        l.height = sign * s.rows;
        l.bits = static_cast<std::uint16_t>(s.bits);
        l.gap = gap;
        const std::size_t rb = RowSize(s.bits, s.width);
        const std::size_t count = static_cast<std::size_t>(s.rows);
        std::vector<unsigned char> palette = RandomBytes(PaletteSize(s.bits), ++seed);
        std::vector<unsigned char> rows = RandomBytes(rb * count, ++seed);
        const std::vector<unsigned char> file = BuildFile(l, palette, rows);
        const std::vector<unsigned char> whole = DecodedMemory(l, palette, rows, s.colorType);
        const std::size_t stride = whole.size() / (count + 1);

        // Cut points counted from the first pixel byte; the reads take 64 KiB
        // of whole rows (at least one row) at a time.
        const std::size_t perRead = std::max<std::size_t>(1, 65536 / rb);
        const std::size_t full = rb * count;
        std::vector<std::ptrdiff_t> cuts = {0,
                                            static_cast<std::ptrdiff_t>(rb / 2),
                                            static_cast<std::ptrdiff_t>(3 * rb),
                                            static_cast<std::ptrdiff_t>(perRead * rb - 1),
                                            static_cast<std::ptrdiff_t>(perRead * rb),
                                            static_cast<std::ptrdiff_t>((perRead + 1) * rb + rb / 3),
                                            static_cast<std::ptrdiff_t>(full - 1),
                                            static_cast<std::ptrdiff_t>(full)};
        if (gap > 0) cuts.push_back(-3);  // inside the gap: no row at all
        for (std::ptrdiff_t cut : cuts) {
          if (cut > static_cast<std::ptrdiff_t>(full)) continue;
          const std::string what = std::to_string(s.bits) + " bits, " + std::to_string(s.width) + " x " +
                                   std::to_string(l.height) + ", gap " + std::to_string(gap) + ", cut at " +
                                   std::to_string(cut);
          const std::size_t kept = cut < 0 ? 0 : static_cast<std::size_t>(cut) / rb;
          WriteBytes(path, Truncated(file, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(OffBits(l)) + cut)));
          ImagePtr img = LoadFile(path, s.colorType);
          ASSERT_EQ(img->ErrorCode, kept == count ? ERR_NONE : ERR_FILE_READ) << what;
          std::vector<unsigned char> want = whole;
          for (std::size_t r = 0; r < count; ++r) {
            const std::size_t stored = l.height > 0 ? r : count - 1 - r;
            if (stored >= kept) std::fill_n(want.begin() + static_cast<std::ptrdiff_t>(r * stride), stride, 0);
          }
          const std::vector<unsigned char> got = testing_support::PixelMemory(*img);
          ASSERT_EQ(got.size(), want.size()) << what;
          const auto diff = std::mismatch(got.begin(), got.end(), want.begin());
          if (diff.first != got.end()) {
            const std::size_t at = static_cast<std::size_t>(diff.first - got.begin());
            ADD_FAILURE() << what << ": " << kept << " rows kept, memory row " << at / stride << " byte " << at % stride
                          << " is " << int{*diff.first} << ", not " << int{*diff.second};
          }
        }
      }
    }
  }
}

}  // namespace
