// The four layouts stacked top to bottom (upper left, upper right, lower left,
// lower right), 8k pixels apart, at 10:08 on Saturday 5 December with the
// colon shown; what the window's outline cuts away is mid grey. The clock
// body composes its strip at the display scale of size k, and the eleven
// tiles of that time are taken from the strip as its Paint takes them.
#include "skin_preview.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ClockMain.h"
#include "FaceTables.h"
#include "gdi_owners.h"
#include "pixolan.h"
#include "skin_picture.h"
#include "skin_system.h"

namespace {

constexpr unsigned char kBackdrop = 0x80;
constexpr int kGap = 8;

// The body shows a message box for 1x files it cannot read; a tool run from
// a console says why in words instead.
void RequireReadable() {
  std::string name = kFaceFile;
  ZEMADisplayFCDIB face(LibraryVersion, nullptr, nullptr, &name[0], 3, LANGUAGE_ENGLISH);
  std::ifstream figures(kFigureFile, std::ios::binary | std::ios::ate);
  if (face.ErrorCode != ERR_NONE || !figures || figures.tellg() < static_cast<std::streamoff>(kFigureBytes))
    throw std::runtime_error(
        "cannot read the skin's KL_Face.bmp and KL_Figs.dat as the clock does; "
        "horlin-skin check says why");
}

// One column: the four layouts at a DPI, into an RGB picture `w` wide from
// column `left`. requiredArt: the artwork size the clock must compose from
// (0: whichever it picks).
void DrawColumn(int dpi, int requiredArt, std::vector<unsigned char>& rgb, int w, int left) {
  // 10:08 on Saturday 5 December 2026, in the first half of the second: colon shown.
  const SYSTEMTIME when = {2026, 12, 6, 5, 10, 8, 0, 0};  // year, month, weekday, day, hour, minute, s, ms

  const SIZE face = FaceSizeAt(dpi);
  const int gap = ScaleToDpi(kGap, dpi);
  // One body reads the skin once and composes each layout in turn, as the
  // clock does when its corner changes.
  ClockMain clock(nullptr, nullptr);
  clock.Dpi = dpi;
  if (clock.Create(nullptr, kFaceFile, kFigureFile, 0) != 0)
    throw std::runtime_error("the clock body could not compose the skin");
  if (requiredArt != 0 && clock.ArtScale != requiredArt)
    throw std::runtime_error("the skin has no usable " + std::to_string(requiredArt) + "x artwork (" +
                             ArtFileName(kFaceFile, requiredArt) + " and " + ArtFileName(kFigureFile, requiredArt) +
                             "); horlin-skin check says why");
  clock.Time.Set(when);
  for (int layout = 0; layout < kLayoutCount; ++layout) {
    if (layout > 0 && clock.Compose(layout) != 0) throw std::runtime_error("the clock body could not compose the skin");
    const gdi::Owned<HRGN> shape(clock.CreateShape(layout));
    const pixolan::PixelRows rows = pixolan::PixelRows::Of(*clock.Strip);
    const int top = layout * (face.cy + gap);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const RECT tile = TileRectAt(layout, slot, dpi);
      const LONG row = face.cy * clock.Time.Value[slot];  // the strip row showing the slot's value
      for (LONG y = tile.top; y < tile.bottom; ++y)
        for (LONG x = tile.left; x < tile.right; ++x) {
          if (!PtInRegion(shape.Get(), x, y)) continue;
          const unsigned char* s = rows.Row(row + y) + 3 * x;
          unsigned char* p = &rgb[(static_cast<size_t>(top + y) * w + left + x) * 3];
          p[0] = s[2];
          p[1] = s[1];
          p[2] = s[0];
        }
    }
  }
}

int ColumnHeight(int dpi) { return kLayoutCount * FaceSizeAt(dpi).cy + (kLayoutCount - 1) * ScaleToDpi(kGap, dpi); }

}  // namespace

void WritePreview(const std::string& dir, const std::string& png, int k) {
  const int dpi = kBaseDpi * k;
  const int w = FaceSizeAt(dpi).cx, h = ColumnHeight(dpi);
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3, kBackdrop);
  {
    const InFolder in(dir);  // the body opens its files by bare name, as the clock does
    RequireReadable();
    DrawColumn(dpi, k, rgb, w, 0);
  }
  WritePng(png, w, h, rgb);
}

void WritePreviewAtDpis(const std::string& dir, const std::string& png, const std::vector<int>& dpis) {
  int w = 0, h = 0;
  for (int dpi : dpis) {
    w += FaceSizeAt(dpi).cx + (w > 0 ? kGap : 0);
    h = std::max(h, ColumnHeight(dpi));
  }
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3, kBackdrop);
  {
    const InFolder in(dir);
    RequireReadable();
    int left = 0;
    for (int dpi : dpis) {
      DrawColumn(dpi, 0, rgb, w, left);
      left += FaceSizeAt(dpi).cx + kGap;
    }
  }
  WritePng(png, w, h, rgb);
}
