// The four layouts stacked top to bottom (upper left, upper right, lower left,
// lower right), 8 pixels apart, at 10:08 on Saturday 5 December with the
// colon shown; what the window's outline cuts away is mid grey.
#include "skin_preview.h"

#include <png.h>
#include <winshim.h>

#include <cstdio>
#include <vector>

#include "ClockMain.h"
#include "FaceTables.h"

namespace {

constexpr DWORD kBackdrop = 0x808080;
constexpr int kGap = 8;

bool SavePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgb) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * w * 3);
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool WritePreview(const std::string& dir, const std::string& png) {
  SYSTEMTIME when = {};
  when.wYear = 2026;
  when.wMonth = 12;
  when.wDay = 5;
  when.wDayOfWeek = 6;
  when.wHour = 10;
  when.wMinute = 8;
  shim::SetLocalTimeOverride(&when);  // the first half of the second: colon shown

  const int w = kFaceWidth, h = kLayoutCount * kFaceHeight + (kLayoutCount - 1) * kGap;
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3, kBackdrop & 0xFF);
  const std::string face = dir + "/KL_Face.bmp", figures = dir + "/KL_Figs.dat";
  bool ok = true;
  for (int layout = 0; layout < kLayoutCount && ok; ++layout) {
    ClockMain clock(nullptr, nullptr);
    HRGN shape = nullptr;
    ok = clock.Create(&shape, face.c_str(), figures.c_str(), layout) == 0;  // else the body has said why
    if (ok) {
      HDC surface = shim::CreateSurfaceDC(kFaceWidth, kFaceHeight);
      clock.Paint(surface);
      const int top = layout * (kFaceHeight + kGap);
      for (int y = 0; y < kFaceHeight; ++y)
        for (int x = 0; x < kFaceWidth; ++x) {
          const DWORD c = PtInRegion(shape, x, y) ? shim::GetSurfacePixel(surface, x, y) : kBackdrop;
          unsigned char* p = &rgb[(static_cast<size_t>(top + y) * w + x) * 3];
          p[0] = (c >> 16) & 0xFF;
          p[1] = (c >> 8) & 0xFF;
          p[2] = c & 0xFF;
        }
      shim::DeleteSurfaceDC(surface);
    }
    if (shape != nullptr) DeleteObject(shape);
  }
  shim::SetLocalTimeOverride(nullptr);
  if (!ok) return false;
  if (!SavePng(png, w, h, rgb)) {
    std::fprintf(stderr, "horlin-skin: cannot write %s\n", png.c_str());
    return false;
  }
  return true;
}
