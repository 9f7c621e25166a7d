// Face pictures: the same picture as PNG and as BMP of other header versions
// decodes to the same pixels and so makes the same face at every size; the
// part outside the face's 6:1 shape around the centre is cut off.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pixolan.h"
#include "skin_art.h"
#include "skin_picture.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 500, kH = 150;  // cut to 500 x 83, rows 33 to 115

// Red bands above and below the face's part; inside it, colours without red.
void Colour(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) {
  const bool inside = y >= 33 && y < 116;
  *r = inside ? 0 : 255;
  *g = static_cast<uint8_t>(inside ? (x * 7 + y * 3) & 0xF0 : 0);  // 128 colours in all: a palette holds them
  *b = static_cast<uint8_t>(inside ? ((x ^ y) & 7) << 5 : 0);
}

// A 32-bit top-down BMP with the 124-byte V5 header and bit fields, alpha
// included, as current paint programs write it.
std::vector<uint8_t> V5Bmp() {
  Bytes f;
  const uint32_t pixels = 14 + 124, size = pixels + kW * kH * 4;
  f.u16(0x4D42), f.u32(size), f.u32(0), f.u32(pixels);                         // file header
  f.u32(124), f.u32(kW), f.u32(static_cast<uint32_t>(-kH));                    // size, width, height (top row first)
  f.u16(1), f.u16(32), f.u32(3), f.u32(kW * kH * 4);                           // planes, bits, BI_BITFIELDS, image size
  f.u32(2835), f.u32(2835), f.u32(0), f.u32(0);                                // resolution, colours
  f.u32(0x00FF0000), f.u32(0x0000FF00), f.u32(0x000000FF), f.u32(0xFF000000);  // red, green, blue, alpha masks
  f.u32(0x73524742);                                                           // 'sRGB'
  for (int i = 0; i < 9 + 3 + 4; ++i) f.u32(0);  // endpoints, gammas, intent, profile, reserved
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint8_t r, g, b;
      Colour(x, y, &r, &g, &b);
      f.b.insert(f.b.end(), {b, g, r, 0xFF});
    }
  return f.b;
}

// The same picture with the 12-byte core header, 8 bits per pixel through a
// palette, bottom row first; the palette holds every colour the rows use.
std::vector<uint8_t> CoreBmp(const std::vector<uint8_t>& bgr) {
  std::vector<std::vector<uint8_t>> palette;
  std::vector<uint8_t> index;
  for (size_t i = 0; i < bgr.size(); i += 3) {
    const std::vector<uint8_t> c(bgr.begin() + i, bgr.begin() + i + 3);
    size_t k = 0;
    while (k < palette.size() && palette[k] != c) ++k;
    if (k == palette.size()) palette.push_back(c);
    index.push_back(static_cast<uint8_t>(k));
  }
  EXPECT_LE(palette.size(), 256u);
  Bytes f;
  const uint32_t stride = pixolan::PixelRows::Stride<uint32_t>(kW, 1), pixels = 14 + 12 + 256 * 3;
  f.u16(0x4D42), f.u32(pixels + stride * kH), f.u32(0), f.u32(pixels);
  f.u32(12), f.u16(kW), f.u16(kH), f.u16(1), f.u16(8);
  for (size_t k = 0; k < 256; ++k)
    for (int c = 0; c < 3; ++c) f.b.push_back(k < palette.size() ? palette[k][c] : 0);
  for (int y = kH - 1; y >= 0; --y) {
    f.b.insert(f.b.end(), index.begin() + y * kW, index.begin() + (y + 1) * kW);
    f.b.resize(f.b.size() + stride - kW, 0);
  }
  return f.b;
}

TEST(FacePicture, PngAndBmpOfEveryHeaderGiveTheSameFaceRows) {
  const fs::path dir = fs::temp_directory_path() / ("horlin-skin-picture-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::vector<unsigned char> rgb;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint8_t r, g, b;
      Colour(x, y, &r, &g, &b);
      rgb.insert(rgb.end(), {r, g, b});
    }
  WritePng((dir / "face.png").string(), kW, kH, rgb);
  const Picture png = ReadPicture((dir / "face.png").string());
  ASSERT_EQ(png.w, kW);
  ASSERT_EQ(png.h, kH);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    ASSERT_EQ(png.bgr[i], rgb[i + 2]) << "pixel " << i / 3;
    ASSERT_EQ(png.bgr[i + 2], rgb[i]) << "pixel " << i / 3;
  }

  std::ofstream(dir / "v5.bmp", std::ios::binary)
      .write(reinterpret_cast<const char*>(V5Bmp().data()), 14 + 124 + kW * kH * 4);
  const std::vector<uint8_t> core = CoreBmp(png.bgr);
  std::ofstream(dir / "core.bmp", std::ios::binary).write(reinterpret_cast<const char*>(core.data()), core.size());
  for (const char* bmp : {"v5.bmp", "core.bmp"}) {
    const Picture read = ReadPicture((dir / bmp).string());
    EXPECT_TRUE(read.w == png.w && read.h == png.h && read.bgr == png.bgr) << bmp;
  }

  SkinLook look;
  look.face = SkinLook::Face::Picture;
  const Picture v5 = ReadPicture((dir / "v5.bmp").string());
  for (int k = 1; k <= 4; ++k) {
    const std::vector<Rgb> face = MakeSkinPixels(look, &png, k);
    const std::vector<Rgb> fromBmp = MakeSkinPixels(look, &v5, k);
    const size_t faceSize = static_cast<size_t>(360 * k) * 60 * k;
    ASSERT_EQ(face.size(), 2 * faceSize);
    long red = 0, differ = 0;
    for (size_t i = 0; i < faceSize; ++i) {
      red += face[i].r != 0;
      differ += face[i].r != fromBmp[i].r || face[i].g != fromBmp[i].g || face[i].b != fromBmp[i].b;
    }
    EXPECT_EQ(differ, 0) << k << "x";
    EXPECT_EQ(red, 0) << k << "x: the red bands outside the face's shape were not cut off";
  }
  fs::remove_all(dir);
}

std::string Refusal(const std::vector<uint8_t>& file) {
  try {
    DecodeBmp(file, "f.bmp");
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "accepted";
}

TEST(FacePicture, BrokenBmpRefusedInWords) {
  std::vector<uint8_t> cut = V5Bmp();
  cut.pop_back();
  EXPECT_EQ(Refusal(cut), "the face picture f.bmp has cut-off rows");
  std::vector<uint8_t> rle = V5Bmp();
  rle[30] = 1;  // BI_RLE8
  EXPECT_EQ(Refusal(rle), "the face picture f.bmp is compressed (RLE); save it uncompressed or as PNG");
}

}  // namespace
