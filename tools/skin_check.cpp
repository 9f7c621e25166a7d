// Reads a skin as the clock does: the face through the library as a 24-bit
// image, the figure sheet as raw 4-bit rows under the fixed header. Then
// checks what the clock relies on without checking it itself: the size of
// the face and ink band, the figure file's length, ink in every figure cell
// and nowhere else, and ink that stands out from the face.
#include "skin_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "FaceTables.h"
#include "pixolan.h"

namespace {

const char* const kSlotNames[kSlotCount] = {"month tens", "month units", "month/day separator", "day tens",
                                            "day units",  "weekday",     "hour tens",           "hour units",
                                            "colon",      "minute tens", "minute units"};
const char* const kLayoutNames[kLayoutCount] = {"upper left", "upper right", "lower left", "lower right"};

// Coverage below this (of 15) is anti-aliasing fringe; contrast is judged on
// the glyph's body.
constexpr int kBodyCoverage = 8;
// Mean largest channel difference (of 255) between ink and face below which
// glyphs are hard to see.
constexpr int kLeastContrast = 48;

std::string Join(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

std::string Rect(long x0, long y0, long x1, long y1) {
  return "(" + std::to_string(x0) + ", " + std::to_string(y0) + ")-(" + std::to_string(x1) + ", " + std::to_string(y1) +
         ")";
}

std::string Number(long v) {  // 20240 -> "20,240"
  std::string s = std::to_string(v);
  for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<size_t>(i), ",");
  return s;
}

// The figure sheet's coverage values, top row first, or empty when the file
// is too short for the clock.
struct FigureSheet {
  std::vector<uint8_t> v;  // kFigureSheetWidth x kFigureSheetHeight
  int At(int x, int y) const { return v[static_cast<size_t>(y) * kFigureSheetWidth + x]; }
};

FigureSheet Decode(const std::vector<char>& bytes) {
  FigureSheet s;
  s.v.resize(static_cast<size_t>(kFigureSheetWidth) * kFigureSheetHeight);
  const int rowBytes = kFigureSheetWidth / 2;
  for (int y = 0; y < kFigureSheetHeight; ++y) {
    const auto* row = reinterpret_cast<const unsigned char*>(bytes.data()) + (kFigureSheetHeight - 1 - y) * rowBytes;
    for (int x = 0; x < kFigureSheetWidth; ++x)
      s.v[static_cast<size_t>(y) * kFigureSheetWidth + x] = x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
  }
  return s;
}

// One 24-bit image's pixel, top row first.
struct Face {
  const unsigned char* bits;
  long w, h, stride;
  const unsigned char* At(long x, long y) const { return bits + (h - 1 - y) * stride + 3 * x; }
};

void CheckFigures(const FigureSheet& sheet, std::vector<SkinFinding>& out) {
  std::vector<bool> inCell(sheet.v.size(), false);
  for (int f = 0; f < kFigureCount; ++f) {
    const POINT at = FigurePos[f];
    const SIZE cut = FigureCutSize(f);
    long ink = 0;
    for (int y = at.y; y < at.y + cut.cy; ++y)
      for (int x = at.x; x < at.x + cut.cx; ++x) {
        inCell[static_cast<size_t>(y) * kFigureSheetWidth + x] = true;
        ink += sheet.At(x, y) != 0;
      }
    if (ink == 0)
      out.push_back({true, "KL_Figs.dat: figure " + std::to_string(f) + " has no ink in its cell " +
                               Rect(at.x, at.y, at.x + cut.cx, at.y + cut.cy) +
                               ", so the clock shows nothing there; draw the glyph inside that cell"});
  }
  long outside = 0, firstX = 0, firstY = 0;
  for (int y = 0; y < kFigureSheetHeight; ++y)
    for (int x = 0; x < kFigureSheetWidth; ++x)
      if (sheet.At(x, y) != 0 && !inCell[static_cast<size_t>(y) * kFigureSheetWidth + x] && outside++ == 0) {
        firstX = x;
        firstY = y;
      }
  if (outside > 0)
    out.push_back({true, "KL_Figs.dat: " + std::to_string(outside) + " pixels of ink lie outside every figure cell (" +
                             "the first at (" + std::to_string(firstX) + ", " + std::to_string(firstY) +
                             ")); the clock never shows them, so a glyph is out of place or too large for its cell"});
}

// Contrast between each slot's ink rectangle and the face under its glyphs.
void CheckContrast(const Face& face, const FigureSheet& sheet, std::vector<SkinFinding>& out) {
  // The figures each slot shows, in script order.
  std::vector<int> figures[kSlotCount];
  for (int k = 0, slot = 0; k < kScriptLength && slot < kSlotCount; ++k) {
    const std::int32_t v = FigureScript[k];
    if (v >= 0 && v < kFigureCount) {
      figures[slot].push_back(v);
    } else if (v == kScriptNextSlot) {
      ++slot;
    } else if (v != kScriptBlank) {
      break;
    }
  }
  // Per slot, the layouts where its glyphs hardly stand out.
  std::vector<SkinFinding> faint;
  long least = 255;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string layouts, band;
    long worst = 255;
    for (int layout = 0; layout < kLayoutCount; ++layout) {
      const POINT at = SlotPos[layout][slot];
      const SIZE size = SlotSize[slot];
      long sum = 0, pixels = 0;
      for (int dy = 0; dy < size.cy; ++dy)
        for (int dx = 0; dx < size.cx; ++dx) {
          bool body = false;
          for (int f : figures[slot]) body |= sheet.At(FigurePos[f].x + dx, FigurePos[f].y + dy) >= kBodyCoverage;
          const long x = at.x + dx, y = at.y + dy;
          if (!body || x >= face.w || y + kFaceHeight >= face.h) continue;
          const unsigned char* ink = face.At(x, y + kFaceHeight);
          const unsigned char* under = face.At(x, y);
          int diff = 0;
          for (int c = 0; c < 3; ++c) diff = std::max(diff, std::abs(ink[c] - under[c]));
          sum += diff;
          ++pixels;
        }
      if (pixels == 0 || sum / pixels >= kLeastContrast) continue;
      if (!layouts.empty()) layouts += ", ";
      layouts += kLayoutNames[layout];
      if (band.empty()) band = Rect(at.x, at.y + kFaceHeight, at.x + size.cx, at.y + kFaceHeight + size.cy);
      worst = std::min(worst, sum / pixels);
    }
    if (layouts.empty()) continue;
    least = std::min(least, worst);
    std::string text = std::string("KL_Face.bmp: the ") + kSlotNames[slot];
    text += " glyphs are nearly the face colour (contrast " + std::to_string(worst) + " of 255) in the ";
    text += layouts + (layouts.find(',') == std::string::npos ? " layout" : " layouts");
    text += "; make the ink band there (for the first, " + band + ") differ more from the face above it";
    faint.push_back({true, text});
  }
  if (static_cast<int>(faint.size()) == kSlotCount) {
    out.push_back({true, "KL_Face.bmp: every glyph is nearly the face colour (contrast " + std::to_string(least) +
                             " of 255 at most); the ink band, rows 60 to 119, must differ from the face above it"});
  } else {
    out.insert(out.end(), faint.begin(), faint.end());
  }
}

}  // namespace

std::vector<SkinFinding> CheckSkin(const std::string& dir) {
  std::vector<SkinFinding> out;

  // The figure sheet: the clock reads exactly 20,240 bytes and refuses fewer.
  FigureSheet sheet;
  std::ifstream figures(Join(dir, "KL_Figs.dat"), std::ios::binary);
  if (!figures) {
    out.push_back({true, "KL_Figs.dat is missing or cannot be read; the clock refuses to start without it"});
  } else {
    const std::vector<char> bytes((std::istreambuf_iterator<char>(figures)), std::istreambuf_iterator<char>());
    const long n = static_cast<long>(bytes.size());
    if (n < static_cast<long>(kFigureBytes)) {
      out.push_back({true, "KL_Figs.dat has " + Number(n) + " bytes; the clock needs " + Number(kFigureBytes) +
                               " (44 rows of 460 bytes) and refuses a shorter file"});
    } else {
      if (n > static_cast<long>(kFigureBytes))
        out.push_back({false, "KL_Figs.dat has " + Number(n) + " bytes; the clock uses the first " +
                                  Number(kFigureBytes) + " and ignores the rest"});
      sheet = Decode(bytes);
      CheckFigures(sheet, out);
    }
  }

  // The face, read as the clock reads it.
  std::string name = Join(dir, "KL_Face.bmp");
  std::unique_ptr<ZEMADisplayFCDIB> skin(
      new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, &name[0], 3, LANGUAGE_ENGLISH));
  if (skin->ErrorCode == ERR_FILE_OPEN) {
    out.push_back({true, "KL_Face.bmp is missing or cannot be opened; the clock refuses to start without it"});
    return out;
  }
  if (skin->ErrorCode != ERR_NONE) {
    std::string why = skin->GetErrorMessage();
    std::replace(why.begin(), why.end(), '\n', ' ');
    why.erase(std::unique(why.begin(), why.end(), [](char a, char b) { return a == ' ' && b == ' '; }), why.end());
    out.push_back({true, "KL_Face.bmp cannot be read as the clock reads it (" + why +
                             "); save it as an uncompressed Windows BMP of 360 x 120 pixels, 24 bits per pixel"});
    return out;
  }
  const Face face{skin->Bits, skin->BitmapInfo.bmiHeader.biWidth, skin->BitmapInfo.bmiHeader.biHeight,
                  (skin->BitmapInfo.bmiHeader.biWidth * 3 + 3) & ~3L};

  // Every ink rectangle must lie inside the picture, or the glyphs drawn from
  // the part that is missing keep the face colour.
  long needW = kFaceWidth, needH = kFaceHeight;
  for (int layout = 0; layout < kLayoutCount; ++layout)
    for (int slot = 0; slot < kSlotCount; ++slot) {
      needW = std::max<long>(needW, SlotPos[layout][slot].x + SlotSize[slot].cx);
      needH = std::max<long>(needH, SlotPos[layout][slot].y + SlotSize[slot].cy + kFaceHeight);
    }
  if (face.w < needW || face.h < needH)
    out.push_back({true, "KL_Face.bmp is " + std::to_string(face.w) + " x " + std::to_string(face.h) +
                             " pixels; the face needs " + std::to_string(kFaceWidth) + " x " +
                             std::to_string(kFaceHeight) + " and the ink band below it must reach " +
                             std::to_string(needW) + " x " + std::to_string(needH) +
                             ", or some glyphs take the face colour; make it 360 x 120 with the ink colours in rows "
                             "60 to 119"});
  if (!sheet.v.empty()) CheckContrast(face, sheet, out);
  return out;
}
