// Helpers of the clock body suites: a working folder holding copies of the
// data files, and a plain reference of the composed strip computed straight
// from the bytes of KL_Face.bmp and KL_Figs.dat.
#pragma once

#include "ClockMain.h"
#include "FaceTables.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace clock_test {

namespace fs = std::filesystem;

inline std::vector<unsigned char> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A committed data file: beside the test program (the build copies them
// there) or, when the program runs elsewhere, in the source tree.
inline std::vector<unsigned char> Asset(const std::string& name) {
  static const fs::path start = fs::current_path();
  fs::path p = start / name;
  if (!fs::exists(p)) p = fs::path(HORLIN_SOURCE_DIR) / "assets" / name;
  std::vector<unsigned char> bytes = ReadAll(p);
  EXPECT_FALSE(bytes.empty()) << "missing data file " << name;
  return bytes;
}

// Which figure row r of a slot shows, or -1 for plain face.
inline int FigureFor(int slot, int r) {
  switch (slot) {
    case 0:
      return r == 1 ? 12 : -1;  // month tens: 1
    case 1:
    case 4:
      return r <= 9 ? 11 + r : -1;  // small digits 0-9
    case 2:
      return r == 0 ? 21 : -1;  // separator
    case 3:
      return r >= 1 && r <= 3 ? 11 + r : -1;  // day tens: 1-3
    case 5:
      return r <= 6 ? 22 + r : -1;  // weekdays
    case 6:
      return r >= 1 && r <= 2 ? r : -1;  // hour tens: 1, 2
    case 7:
    case 10:
      return r <= 9 ? r : -1;  // large digits 0-9
    case 8:
      return r == 1 ? 10 : -1;  // colon
    case 9:
      return r <= 5 ? r : -1;  // minute tens 0-5
  }
  return -1;
}
inline POINT FigureOrigin(int k) {
  if (k <= 9) return {48 * k, 0};
  if (k == 10) return {480, 0};
  if (k <= 20) return {500 + 24 * (k - 11), 0};
  if (k == 21) return {740, 0};
  return {500 + 60 * (k - 22), 22};
}
inline int Round65280(int v) {
  int y = (v + 32640) >> 8;
  return (y + (y >> 8) + 1) >> 8;
}

// Each test runs in a fresh folder with copies of KL_Face.bmp and
// KL_Figs.dat as its current directory, which the clock opens by bare name.
class ClockFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    face_ = Asset("KL_Face.bmp");
    figs_ = Asset("KL_Figs.dat");
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(testing_support::TempPath(std::string(info->test_suite_name()) + "." + info->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    WriteAll(dir_ / "KL_Face.bmp", face_);
    WriteAll(dir_ / "KL_Figs.dat", figs_);
    saved_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(saved_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Skin pixel (x, y) from the top as blue, green, red (24-bit, bottom-up file).
  std::array<int, 3> SkinPixel(int x, int y) const {
    const unsigned off = face_[10] | face_[11] << 8 | face_[12] << 16 | static_cast<unsigned>(face_[13]) << 24;
    const int w = face_[18] | face_[19] << 8, h = face_[22] | face_[23] << 8;
    const size_t stride = pixolan::PixelRows::Stride<size_t>(w, 3);
    const unsigned char* p = &face_[off + static_cast<size_t>(h - 1 - y) * stride + x * 3];
    return {p[0], p[1], p[2]};
  }
  // Coverage 0..15 of sheet pixel (x, y): 460-byte rows, bottom row first,
  // high nibble = left pixel.
  int Coverage(int x, int y) const {
    unsigned char b = figs_[static_cast<size_t>(43 - y) * 460 + x / 2];
    return x % 2 == 0 ? b >> 4 : b & 15;
  }

  // Pixel (x, y) of the strip as composed for a layout: the face, and inside
  // each glyph rectangle the row's figure in the ink 60 rows below, blended
  // by its coverage with the library's rounding.
  std::array<int, 3> ExpectedStrip(int layout, int x, int y) const {
    const int row = y / 60, fy = y % 60;
    std::array<int, 3> out = SkinPixel(x, fy);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const POINT g = SlotPos[layout][slot];
      const SIZE s = SlotSize[slot];
      const int figure = FigureFor(slot, row);
      if (figure < 0 || x < g.x || x >= g.x + s.cx || fy < g.y || fy >= g.y + s.cy) continue;
      const POINT f = FigureOrigin(figure);
      const int v = Coverage(f.x + x - g.x, f.y + fy - g.y);
      const std::array<int, 3> ink = SkinPixel(x, fy + 60);
      const int k = 17 * v * 256;  // (255 - alpha) * (256 - transparency 0)
      for (int c = 0; c < 3; ++c) out[c] = Round65280(out[c] * 65280 + (ink[c] - out[c]) * k);
    }
    return out;
  }

  std::vector<unsigned char> face_, figs_;
  fs::path dir_, saved_;
};

}  // namespace clock_test
