// horlin-skin check on skins broken on purpose, each from the clock's own
// artwork with one thing wrong.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pixolan.h"
#include "skin_check.h"

namespace {

namespace fs = std::filesystem;

std::vector<char> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class SkinCheck : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("horlin-skin-check-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    for (const char* f : {"KL_Face.bmp", "KL_Figs.dat"})
      fs::copy_file(fs::path(HORLIN_SOURCE_DIR) / "assets" / f, dir_ / f, fs::copy_options::overwrite_existing);
    figures_ = ReadBytes(dir_ / "KL_Figs.dat");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Sets the 4-bit coverage of sheet pixel (x, y), counted from the top left.
  void SetCoverage(int x, int y, int v) {
    char& byte = figures_[static_cast<size_t>(43 - y) * 460 + x / 2];
    byte = static_cast<char>(x % 2 ? (byte & 0xF0) | v : (byte & 0x0F) | v << 4);
  }
  void SaveFigures() { WriteBytes(dir_ / "KL_Figs.dat", figures_); }

  // The one fault the check reports; fails unless there is exactly one.
  std::string OnlyFault() {
    std::vector<std::string> faults;
    for (const SkinFinding& f : CheckSkin(dir_.string()))
      if (f.fault) faults.push_back(f.text);
    EXPECT_EQ(faults.size(), 1u) << (faults.empty() ? "no fault" : faults[0]);
    return faults.empty() ? "" : faults[0];
  }

  fs::path dir_;
  std::vector<char> figures_;
};

TEST_F(SkinCheck, TheClocksOwnArtworkPasses) { EXPECT_TRUE(CheckSkin(dir_.string()).empty()); }

TEST_F(SkinCheck, FaceTheLibraryCannotRead) {
  WriteBytes(dir_ / "KL_Face.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'});
  EXPECT_NE(OnlyFault().find("KL_Face.bmp cannot be read as the clock reads it"), std::string::npos);
}

TEST_F(SkinCheck, InkBandCutShort) {
  std::string name = (dir_ / "KL_Face.bmp").string();
  ZEMADisplayFCDIB full(LibraryVersion, nullptr, nullptr, &name[0], 3, LANGUAGE_ENGLISH);
  ZEMADisplayFCDIB cut(LibraryVersion, nullptr, nullptr, 360, 100, 3, 3780, 3780, LANGUAGE_ENGLISH);
  ASSERT_EQ(full.ErrorCode, ERR_NONE);
  const long stride = 360 * 3;
  for (int y = 0; y < 100; ++y) std::memcpy(cut.Bits + (99 - y) * stride, full.Bits + (119 - y) * stride, stride);
  ASSERT_EQ(cut.SaveImage(&name[0], 1), ERR_NONE);
  EXPECT_NE(
      OnlyFault().find("is 360 x 100 pixels; the face needs 360 x 60 and the ink band below it must reach 360 x 112"),
      std::string::npos);
}

TEST_F(SkinCheck, FigureFileLength) {
  figures_.pop_back();
  SaveFigures();
  EXPECT_NE(OnlyFault().find("KL_Figs.dat has 20,239 bytes; the clock needs 20,240"), std::string::npos);

  // Longer is only a note: the clock reads the first 20,240 bytes.
  figures_.resize(20300, 0);
  SaveFigures();
  const std::vector<SkinFinding> findings = CheckSkin(dir_.string());
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_FALSE(findings[0].fault);
  EXPECT_NE(findings[0].text.find("uses the first 20,240"), std::string::npos);
}

TEST_F(SkinCheck, FigureCellWithoutInk) {
  // Figure 28, Saturday's label, at (860, 22), 60 x 18.
  for (int y = 22; y < 40; ++y)
    for (int x = 860; x < 920; ++x) SetCoverage(x, y, 0);
  SaveFigures();
  EXPECT_NE(OnlyFault().find("figure 28 has no ink in its cell (860, 22)-(920, 40)"), std::string::npos);
}

TEST_F(SkinCheck, InkOutsideEveryCell) {
  SetCoverage(800, 5, 15);  // beside the separator's cell, above the weekday labels
  SaveFigures();
  EXPECT_NE(OnlyFault().find("1 pixels of ink lie outside every figure cell (the first at (800, 5))"),
            std::string::npos);
}

TEST_F(SkinCheck, InkNearlyTheFaceColour) {
  // The ink band made a copy of the face: every glyph vanishes into it.
  std::vector<char> face = ReadBytes(dir_ / "KL_Face.bmp");
  const size_t rows = 54, stride = 360 * 3;
  std::memcpy(&face[rows], &face[rows + 60 * stride], 60 * stride);  // bottom-up: ink band first
  WriteBytes(dir_ / "KL_Face.bmp", face);
  EXPECT_NE(OnlyFault().find("every glyph is nearly the face colour"), std::string::npos);

  // Only the weekday's ink in the upper left layout made like the face: the
  // check names that slot and layout.
  face = ReadBytes(fs::path(HORLIN_SOURCE_DIR) / "assets" / "KL_Face.bmp");
  for (int y = 94; y < 112; ++y)
    std::memcpy(&face[rows + (119 - y) * stride + 236 * 3], &face[rows + (119 - (y - 60)) * stride + 236 * 3], 60 * 3);
  WriteBytes(dir_ / "KL_Face.bmp", face);
  bool named = false;
  for (const SkinFinding& f : CheckSkin(dir_.string()))
    named |= f.fault && f.text.find("the weekday glyphs are nearly the face colour") != std::string::npos &&
             f.text.find("in the upper left layout;") != std::string::npos;
  EXPECT_TRUE(named);
}

}  // namespace

namespace {

TEST_F(SkinCheck, LargerSizeByTheSameRulesNamed) {
  for (const char* f : {"KL_Face@2x.bmp", "KL_Figs@2x.dat"})
    fs::copy_file(fs::path(HORLIN_SOURCE_DIR) / "assets" / f, dir_ / f, fs::copy_options::overwrite_existing);
  EXPECT_TRUE(CheckSkin(dir_.string()).empty());

  std::vector<char> sheet = ReadBytes(dir_ / "KL_Figs@2x.dat");
  sheet.pop_back();
  WriteBytes(dir_ / "KL_Figs@2x.dat", sheet);
  EXPECT_NE(OnlyFault().find("KL_Figs@2x.dat has 80,959 bytes; the clock needs 80,960 (88 rows of 920 bytes)"),
            std::string::npos);

  // A size counts only with both of its files.
  fs::remove(dir_ / "KL_Face@2x.bmp");
  EXPECT_NE(OnlyFault().find("KL_Figs@2x.dat is there but KL_Face@2x.bmp is not"), std::string::npos);
}

}  // namespace
