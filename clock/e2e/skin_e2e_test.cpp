// horlin-skin.exe on Windows, end to end: a skin made from a font file and a
// PNG picture into a new folder passes the check, and the clock started on
// it shows the face the body composes from those files. Fonts without the
// weekday glyphs, missing pictures and files that are no pictures are
// refused in words, with no skin left behind.
//
// This program runs from a folder of its own holding copies of Horlin.exe,
// pixolan.dll and horlin-skin.exe, so that the end-to-end support's asset
// folder (e2e-assets beside the program) is the skin it makes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FaceTables.h"
#include "e2e_support.h"
#include "pixolan.h"
#include "skin_picture.h"

using namespace e2e;

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kGothic[] = L"Z:\\usr\\share\\fonts\\opentype\\ipaexfont-gothic\\ipaexg.ttf";
constexpr wchar_t kLatin[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";

struct Result {
  DWORD code = 0xFFFFFFFF;
  std::string output;  // standard output and error, as written
};

// Runs horlin-skin.exe of this folder and waits for it.
Result Skin(const std::wstring& args) {
  Result r;
  // A file of its own for each run: the ended process may still hold the last one a moment.
  static int runs = 0;
  const std::wstring log = ProgramDir() + L"\\skin-output-" + std::to_wstring(++runs) + L".txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                           CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return r;
  const std::wstring exe = ProgramDir() + L"\\horlin-skin.exe";
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = out;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &r.code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(out);
  {
    std::ifstream in(log.c_str(), std::ios::binary);
    r.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  DeleteFileW(log.c_str());
  return r;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

bool FontThere(const wchar_t* font) { return GetFileAttributesW(font) != INVALID_FILE_ATTRIBUTES; }

// 1200 x 400: red bands of 100 rows above and below the 6:1 middle, which is
// a gradient without red.
void WriteFacePicture(const std::wstring& path) {
  const int w = 1200, h = 400;
  std::vector<unsigned char> rgb;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool middle = y >= 100 && y < 300;
      rgb.push_back(middle ? 0 : 255);
      rgb.push_back(static_cast<unsigned char>(middle ? 30 + x * 120 / w : 0));
      rgb.push_back(static_cast<unsigned char>(middle ? 60 + (y - 100) / 2 : 0));
    }
  WritePng(fs::path(path).u8string(), w, h, rgb);
}

TEST(SkinMade, FromAFontFileAndAPngCheckedAndShownByTheClock) {
  if (!FontThere(kGothic)) GTEST_SKIP() << "IPAex Gothic is not installed";
  const std::wstring skin = AssetDir(), picture = ProgramDir() + L"\\face.png";
  std::error_code ec;
  fs::remove_all(fs::path(skin), ec);  // made anew: make creates the folder
  ASSERT_NO_THROW(WriteFacePicture(picture));

  const Result made = Skin(L"make " + Quoted(skin) + L" --font " + Quoted(kGothic) + L" --face-image " +
                           Quoted(picture) + L" --ink #fff0c0,#ffb040");
  ASSERT_EQ(made.code, 0u) << made.output;
  EXPECT_NE(made.output.find("the face is its middle 1200 x 200, 100 rows cut off at the top and 100 at the bottom"),
            std::string::npos)
      << made.output;
  for (const wchar_t* name : {L"KL_Face@4x.bmp", L"KL_Figs@4x.dat", L"preview.png"})
    EXPECT_TRUE(fs::exists(fs::path(skin + L"\\" + name))) << fs::path(name).u8string();
  const Result checked = Skin(L"check " + Quoted(skin));
  EXPECT_EQ(checked.code, 0u) << checked.output;

  // The face is the picture's middle: the gradient, none of the red bands.
  std::string face = ToAnsi(skin + L"\\KL_Face.bmp");
  ZEMADisplayFCDIB read(LibraryVersion, nullptr, nullptr, &face[0], 3, LANGUAGE_ENGLISH);
  ASSERT_EQ(read.ErrorCode, ERR_NONE);
  const pixolan::PixelRows rows = pixolan::PixelRows::Of(read);
  long red = 0;
  for (long y = 0; y < kFaceHeight; ++y)
    for (long x = 0; x < kFaceWidth; ++x) red += rows.Row(y)[3 * x + 2] != 0;
  EXPECT_EQ(red, 0);

  WorkDir dir;  // the made skin's two files, and no settings: the upper right corner
  ClockProcess clock(dir);
  ASSERT_TRUE(clock.Started());
  ASSERT_NE(clock.WaitWindow(15000), nullptr) << "no clock window appeared";
  ReferenceFace reference;
  ASSERT_TRUE(reference.Compose(1));
  std::string why;
  EXPECT_GE(MatchScreen(clock.Window(), reference, &why), 0) << why;
}

TEST(SkinMade, RefusedInWordsWithNoSkinLeft) {
  if (!FontThere(kGothic) || !FontThere(kLatin)) GTEST_SKIP() << "IPAex Gothic or DejaVu Sans is not installed";
  const std::wstring out = ProgramDir() + L"\\refused-skin", notPicture = ProgramDir() + L"\\not-a-picture.png";
  std::error_code ec;
  fs::remove_all(fs::path(out), ec);
  std::ofstream(notPicture.c_str()) << "a text, not a picture\n";

  struct Case {
    std::wstring args;
    const char* said;
  } cases[] = {
      {L"--font " + Quoted(kLatin), "has no glyph for \xE6\x97\xA5 (U+65E5), needed for the weekday labels"},
      {L"--font " + Quoted(kGothic) + L" --face-image " + Quoted(ProgramDir() + L"\\missing.png"),
       "does not exist or cannot be opened"},
      {L"--font " + Quoted(kGothic) + L" --face-image " + Quoted(notPicture), "is not a picture Windows can read"},
  };
  for (const Case& c : cases) {
    const Result r = Skin(L"make " + Quoted(out) + L" " + c.args);
    EXPECT_NE(r.code, 0u) << r.output;
    EXPECT_NE(r.output.find(c.said), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(fs::path(out))) << "a skin was left behind: " << r.output;
  }
}

}  // namespace
