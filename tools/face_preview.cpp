// face_preview: draws the clock face for a corner layout and a time through
// the clock body itself, with the committed data files, and saves it as BMP.
//
//   face_preview LAYOUT HH:MM [MM/DD WEEKDAY] OUT.bmp
//
// LAYOUT is 0 left-top, 1 right-top, 2 left-bottom, 3 right-bottom. WEEKDAY
// is 0..6 (0 Sunday) or Sun..Sat. The colon is shown. Pixels that the window
// outline cuts away are painted mid grey so the cut is visible.
#include "ClockMain.h"
#include "FaceTables.h"

#include <winshim.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kBackdrop = 0x808080;

int Usage() {
  std::fprintf(stderr, "usage: face_preview LAYOUT HH:MM [MM/DD WEEKDAY] OUT.bmp\n");
  return 2;
}

bool ParseNumber(const std::string& text, int lo, int hi, int* out) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *out = std::stoi(text);
  return *out >= lo && *out <= hi;
}

// "AA<sep>BB" with both numbers in range.
bool ParsePair(const char* text, char sep, int loA, int hiA, int loB, int hiB, int* a, int* b) {
  const char* mid = std::strchr(text, sep);
  return mid != nullptr && ParseNumber(std::string(text, mid), loA, hiA, a) && ParseNumber(mid + 1, loB, hiB, b);
}

bool ParseWeekday(const std::string& text, int* out) {
  static const char* const kNames[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
  if (ParseNumber(text, 0, 6, out)) return true;
  std::string lower;
  for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (int i = 0; i < 7; ++i) {
    if (lower.compare(0, 3, kNames[i]) == 0 && lower.size() >= 3) {
      *out = i;
      return true;
    }
  }
  return false;
}

void Put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A 24-bit bottom-up BMP of the surface, with the cut-away pixels in grey.
bool SaveFace(HDC surface, HRGN shape, const std::filesystem::path& path) {
  const unsigned stride = kFaceWidth * 3;  // 1080, already a multiple of 4
  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + stride * kFaceHeight);  // file size
  Put32(out, 0);                          // reserved
  Put32(out, 54);                         // offset of the pixel rows
  Put32(out, 40);                         // info header size
  Put32(out, kFaceWidth);
  Put32(out, kFaceHeight);  // positive: bottom row first
  Put16(out, 1);            // planes
  Put16(out, 24);           // bits per pixel
  Put32(out, 0);            // BI_RGB
  Put32(out, stride * kFaceHeight);
  Put32(out, 3780);  // 96 dpi
  Put32(out, 3780);
  Put32(out, 0);  // colours used
  Put32(out, 0);  // important colours
  for (int y = kFaceHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kFaceWidth; ++x) {
      const DWORD rgb = PtInRegion(shape, x, y) ? shim::GetSurfacePixel(surface, x, y) : kBackdrop;
      out.push_back(rgb & 0xFF);
      out.push_back((rgb >> 8) & 0xFF);
      out.push_back((rgb >> 16) & 0xFF);
    }
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 6) return Usage();
  int layout = 0, hour = 0, minute = 0, month = 1, day = 1, weekday = 4;  // 1 January 2026, a Thursday
  if (!ParseNumber(argv[1], 0, kLayoutCount - 1, &layout)) return Usage();
  if (!ParsePair(argv[2], ':', 0, 23, 0, 59, &hour, &minute)) return Usage();
  if (argc == 6 && (!ParsePair(argv[3], '/', 1, 12, 1, 31, &month, &day) || !ParseWeekday(argv[4], &weekday)))
    return Usage();
  const std::filesystem::path outPath = std::filesystem::absolute(argv[argc - 1]);

  // The clock opens its data files by bare name.
  std::error_code err;
  std::filesystem::current_path(HORLIN_ASSETS_DIR, err);
  if (err) {
    std::fprintf(stderr, "face_preview: cannot enter %s\n", HORLIN_ASSETS_DIR);
    return 1;
  }

  SYSTEMTIME now = {};
  now.wYear = 2026;
  now.wMonth = static_cast<WORD>(month);
  now.wDay = static_cast<WORD>(day);
  now.wDayOfWeek = static_cast<WORD>(weekday);
  now.wHour = static_cast<WORD>(hour);
  now.wMinute = static_cast<WORD>(minute);
  now.wMilliseconds = 0;  // first half of the second: colon shown
  shim::SetLocalTimeOverride(&now);

  ClockMain clock(nullptr, nullptr);
  HRGN shape = nullptr;
  if (clock.Create(&shape, "KL_Face.bmp", "KL_Figs.dat", layout) != 0) {
    if (shape != nullptr) DeleteObject(shape);
    return 1;  // the clock body has printed why
  }
  HDC surface = shim::CreateSurfaceDC(kFaceWidth, kFaceHeight);
  for (int y = 0; y < kFaceHeight; ++y)
    for (int x = 0; x < kFaceWidth; ++x) shim::SetSurfacePixel(surface, x, y, kBackdrop);
  clock.Paint(surface);
  const bool saved = SaveFace(surface, shape, outPath);
  shim::DeleteSurfaceDC(surface);
  DeleteObject(shape);
  if (!saved) {
    std::fprintf(stderr, "face_preview: cannot write %s\n", outPath.string().c_str());
    return 1;
  }
  return 0;
}
