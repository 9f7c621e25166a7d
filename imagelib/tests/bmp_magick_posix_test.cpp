// BMP files made by ImageMagick, decoded by the library and compared pixel by
// pixel with ImageMagick's own decoding of the same files; and files written
// by SaveImage, decoded by ImageMagick. Skipped where /usr/bin/convert is missing.
#include "bmp_test_util.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace bmp_test;
using testing_support::ImagePtr;

namespace {

const char kConvert[] = "/usr/bin/convert";

class Magick : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kConvert, X_OK) != 0) GTEST_SKIP() << kConvert << " is not installed";
  }
};

bool Convert(const std::string& args) {
  const std::string command = std::string(kConvert) + " " + args + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// ImageMagick's decoding: red, green, blue, alpha per pixel, top row first.
std::vector<unsigned char> MagickRgba(const std::string& bmp) {
  const std::string out = bmp + ".rgba";
  if (!Convert("'" + bmp + "' -depth 8 rgba:'" + out + "'")) return {};
  return ReadBytes(out);
}

// A source picture with exactly `colors` distinct colours (0: every pixel its
// own random colour), written as a binary PPM.
void WritePpm(const std::string& path, int w, int h, int colors, std::uint32_t seed) {
  testing_support::Rng rng(seed);
  std::vector<unsigned char> palette(static_cast<std::size_t>(colors) * 3);
  for (unsigned char& c : palette) c = static_cast<unsigned char>(rng.Next() >> 24);
  std::string header = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  std::vector<unsigned char> bytes(header.begin(), header.end());
  for (int i = 0; i < w * h; ++i) {
    if (colors == 0) {
      for (int c = 0; c < 3; ++c) bytes.push_back(static_cast<unsigned char>(rng.Next() >> 24));
    } else {
      // Each colour once first, so that all of them appear; then at random.
      const int k = i < colors ? i : rng.Below(colors);
      bytes.insert(bytes.end(), palette.begin() + 3 * k, palette.begin() + 3 * k + 3);
    }
  }
  WriteBytes(path, bytes);
}

// What the test stores in a palette entry's fourth byte (ImageMagick ignores
// it), so that the expected alpha follows from the colour alone.
unsigned char PaletteAlpha(unsigned b, unsigned g, unsigned r) {
  return static_cast<unsigned char>(b * 3 + g * 5 + r * 7 + 1);
}

void Set32(std::vector<unsigned char>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<unsigned char>(x >> (8 * i));
}

// Makes a BMP of the given depth with ImageMagick and checks that it is what
// the test needs: a 40-byte header, uncompressed, that depth. The palette's
// fourth bytes and the 32-bit pixels' fourth bytes are then set by the test.
std::vector<unsigned char> MagickBmp(unsigned bits, int w, int h, std::uint32_t seed) {
  const std::string ppm = testing_support::TempPath("source.ppm");
  const std::string bmp = testing_support::TempPath("magick.bmp");
  const int colors = bits == 1 ? 2 : bits == 4 ? 11 : bits == 8 ? std::min(150, w * h) : 0;
  WritePpm(ppm, w, h, colors, seed);
  std::string options = "-compress none ";
  if (bits <= 8) options += "-type palette ";
  if (bits == 24) options += "-type truecolor ";
  if (bits == 32) options += "-alpha set -define bmp3:alpha=true ";
  EXPECT_TRUE(Convert("'" + ppm + "' " + options + "BMP3:'" + bmp + "'"));
  std::vector<unsigned char> f = ReadBytes(bmp);
  if (f.size() < 54 || Le32At(f, 14) != 40 || static_cast<unsigned>(f[28] | f[29] << 8) != bits || Le32At(f, 30) != 0) {
    ADD_FAILURE() << "ImageMagick did not write a 40-byte uncompressed " << bits << "-bit BMP";
    return {};
  }
  if (bits <= 8) {
    for (std::size_t e = 0; e < PaletteSize(bits) / 4; ++e) {
      unsigned char* p = f.data() + 54 + 4 * e;
      p[3] = PaletteAlpha(p[0], p[1], p[2]);
    }
  }
  if (bits == 32) {
    testing_support::Rng rng(seed);
    for (std::size_t i = Le32At(f, 10) + 3; i < f.size(); i += 4) f[i] = static_cast<unsigned char>(rng.Next() >> 24);
  }
  return f;
}

// The same picture stored top row first: negative height, rows reversed.
std::vector<unsigned char> TopDown(const std::vector<unsigned char>& f, unsigned bits, int w, int h) {
  std::vector<unsigned char> out = f;
  const std::size_t off = Le32At(f, 10), rs = RowSize(bits, w);
  Set32(out, 22, static_cast<std::uint32_t>(-h));
  for (int r = 0; r < h; ++r)
    std::copy(f.begin() + off + r * rs, f.begin() + off + (r + 1) * rs, out.begin() + off + (h - 1 - r) * rs);
  return out;
}

TEST_F(Magick, LibraryDecodesLikeImageMagick) {
  const std::string path = testing_support::TempPath("compare.bmp");
  const int h = 23;
  std::uint32_t seed = 7;
  for (unsigned bits : {1u, 4u, 8u, 24u, 32u}) {
    for (int w : {1, 7, 8, 9, 17, 33}) {
      const std::vector<unsigned char> bottomUp = MagickBmp(bits, w, h, ++seed);
      ASSERT_FALSE(bottomUp.empty());
      for (bool topDown : {false, true}) {
        WriteBytes(path, topDown ? TopDown(bottomUp, bits, w, h) : bottomUp);
        const std::vector<unsigned char> rgba = MagickRgba(path);
        ASSERT_EQ(rgba.size(), static_cast<std::size_t>(w * h * 4)) << "ImageMagick could not decode it";
        for (int colorType : {3, 4, 0}) {
          const std::string what = std::to_string(bits) + " bits, width " + std::to_string(w) +
                                   (topDown ? " top-down" : " bottom-up") + ", ColorType " + std::to_string(colorType);
          ImagePtr img = LoadFile(path, colorType);
          ASSERT_EQ(img->ErrorCode, ERR_NONE) << what;
          const int imageBits = colorType == 3 ? 24 : colorType == 4 ? 32 : bits == 32 ? 32 : 24;
          ASSERT_EQ(img->BitmapInfo.bmiHeader.biBitCount, imageBits) << what;
          ASSERT_EQ(img->BitmapInfo.bmiHeader.biWidth, w);
          ASSERT_EQ(img->BitmapInfo.bmiHeader.biHeight, h);
          for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
              const unsigned char* m = rgba.data() + (y * w + x) * 4;
              const auto px = testing_support::PixelAt(*img, x, y);
              ASSERT_EQ(px[0], m[2]) << what << " blue at " << x << ", " << y;
              ASSERT_EQ(px[1], m[1]) << what << " green at " << x << ", " << y;
              ASSERT_EQ(px[2], m[0]) << what << " red at " << x << ", " << y;
              if (imageBits == 32) {
                const unsigned char alpha = bits == 32 ? m[3] : bits == 24 ? 0 : PaletteAlpha(m[2], m[1], m[0]);
                ASSERT_EQ(px[3], alpha) << what << " alpha at " << x << ", " << y;
              }
            }
          }
        }
      }
    }
  }
}

TEST_F(Magick, ImageMagickDecodesSavedFilesLikeTheImage) {
  for (int bits : {24, 32}) {
    for (int w : {1, 6, 17}) {
      ImagePtr img = testing_support::MakeImage(static_cast<unsigned>(w), 9, bits);
      testing_support::FillRandom(*img, static_cast<std::uint32_t>(w * bits));
      for (int whole : {1, 0}) {
        if (!whole) {
          img->SetViewOrigin(POINT{w / 3, 2});
          img->SetViewSize(SIZE{w - w / 3 - (w > 2 ? 1 : 0), 5});
        }
        const long x0 = whole ? 0 : img->ViewOrigin.x, y0 = whole ? 0 : img->ViewOrigin.y;
        const long cx = whole ? w : img->ViewSize.cx, cy = whole ? 9 : img->ViewSize.cy;
        const std::string path = testing_support::TempPath("saved-for-magick.bmp");
        ASSERT_EQ(img->SaveImage(const_cast<char*>(path.c_str()), whole), ERR_NONE);
        const std::vector<unsigned char> rgba = MagickRgba(path);
        ASSERT_EQ(rgba.size(), static_cast<std::size_t>(cx * cy * 4)) << bits << " bits, width " << w;
        for (long y = 0; y < cy; ++y) {
          for (long x = 0; x < cx; ++x) {
            const unsigned char* m = rgba.data() + (y * cx + x) * 4;
            const auto px = testing_support::PixelAt(*img, x0 + x, y0 + y);
            const std::string at = std::to_string(bits) + " bits, width " + std::to_string(w) +
                                   (whole ? " whole" : " view") + " at " + std::to_string(x) + ", " + std::to_string(y);
            ASSERT_EQ(px[0], m[2]) << at;
            ASSERT_EQ(px[1], m[1]) << at;
            ASSERT_EQ(px[2], m[0]) << at;
            if (bits == 32) {
              ASSERT_EQ(px[3], m[3]) << at;
            }
          }
        }
      }
    }
  }
}

}  // namespace
