// Reads a skin as the clock does: the face through the library as a 24-bit
// image, the figure sheet as raw 4-bit rows under the fixed header. Then
// checks what the clock relies on without checking it itself: the size of
// the face and ink band, the figure file's length, ink in every figure cell
// and nowhere else, and ink that stands out from the face. Each larger
// artwork size the skin carries (KL_Face@2x.bmp with KL_Figs@2x.dat, ...) is
// checked by the same rules at its own scale.
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

// One artwork size: its scale and its two files' names.
struct ArtSize {
  int k;
  std::string face, figures;
  explicit ArtSize(int k_) : k(k_), face(ArtFileName(kFaceFile, k_)), figures(ArtFileName(kFigureFile, k_)) {}
  int SheetWidth() const { return kFigureSheetWidth * k; }
  int SheetHeight() const { return kFigureSheetHeight * k; }
  POINT Scaled(POINT p) const { return POINT{p.x * k, p.y * k}; }
  SIZE Scaled(SIZE s) const { return SIZE{s.cx * k, s.cy * k}; }
};

std::string Join(const std::string& dir, const std::string& name) {
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
  int w = 0, h = 0;
  std::vector<uint8_t> v;  // w x h
  int At(int x, int y) const { return v[static_cast<size_t>(y) * w + x]; }
};

FigureSheet Decode(const std::vector<char>& bytes, const ArtSize& size) {
  FigureSheet s;
  s.w = size.SheetWidth();
  s.h = size.SheetHeight();
  s.v.resize(static_cast<size_t>(s.w) * s.h);
  const int rowBytes = s.w / 2;
  for (int y = 0; y < s.h; ++y) {
    const auto* row =
        reinterpret_cast<const unsigned char*>(bytes.data()) + static_cast<size_t>(s.h - 1 - y) * rowBytes;
    for (int x = 0; x < s.w; ++x) s.v[static_cast<size_t>(y) * s.w + x] = x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
  }
  return s;
}

// One 24-bit image's pixel, top row first.
struct Face {
  pixolan::PixelRows rows;
  long w, h;
  const unsigned char* At(long x, long y) const { return rows.Row(y) + 3 * x; }
};

void CheckFigures(const FigureSheet& sheet, const ArtSize& size, std::vector<SkinFinding>& out) {
  std::vector<bool> inCell(sheet.v.size(), false);
  for (int f = 0; f < kFigureCount; ++f) {
    const POINT at = size.Scaled(FigurePos[f]);
    const SIZE cut = size.Scaled(FigureCutSize(f));
    long ink = 0;
    for (int y = at.y; y < at.y + cut.cy; ++y)
      for (int x = at.x; x < at.x + cut.cx; ++x) {
        inCell[static_cast<size_t>(y) * sheet.w + x] = true;
        ink += sheet.At(x, y) != 0;
      }
    if (ink == 0)
      out.push_back({true, size.figures + ": figure " + std::to_string(f) + " has no ink in its cell " +
                               Rect(at.x, at.y, at.x + cut.cx, at.y + cut.cy) +
                               ", so the clock shows nothing there; draw the glyph inside that cell"});
  }
  long outside = 0, firstX = 0, firstY = 0;
  for (int y = 0; y < sheet.h; ++y)
    for (int x = 0; x < sheet.w; ++x)
      if (sheet.At(x, y) != 0 && !inCell[static_cast<size_t>(y) * sheet.w + x] && outside++ == 0) {
        firstX = x;
        firstY = y;
      }
  if (outside > 0)
    out.push_back({true, size.figures + ": " + std::to_string(outside) +
                             " pixels of ink lie outside every figure cell (" + "the first at (" +
                             std::to_string(firstX) + ", " + std::to_string(firstY) +
                             ")); the clock never shows them, so a glyph is out of place or too large for its cell"});
}

// Contrast between each slot's ink rectangle and the face under its glyphs.
void CheckContrast(const Face& face, const FigureSheet& sheet, const ArtSize& size, std::vector<SkinFinding>& out) {
  const long faceHeight = static_cast<long>(kFaceHeight) * size.k;
  // The figures each slot shows, in script order.
  std::vector<int> figures[kSlotCount];
  WalkFigureScript([&](int slot, int, int figure) { figures[slot].push_back(figure); });
  // Per slot, the layouts where its glyphs hardly stand out.
  std::vector<SkinFinding> faint;
  long least = 255;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string layouts, band;
    long worst = 255;
    for (int layout = 0; layout < kLayoutCount; ++layout) {
      const POINT at = size.Scaled(SlotPos[layout][slot]);
      const SIZE glyph = size.Scaled(SlotSize[slot]);
      long sum = 0, pixels = 0;
      for (int dy = 0; dy < glyph.cy; ++dy)
        for (int dx = 0; dx < glyph.cx; ++dx) {
          bool body = false;
          for (int f : figures[slot]) {
            const POINT cell = size.Scaled(FigurePos[f]);
            body |= sheet.At(cell.x + dx, cell.y + dy) >= kBodyCoverage;
          }
          const long x = at.x + dx, y = at.y + dy;
          if (!body || x >= face.w || y + faceHeight >= face.h) continue;
          const unsigned char* ink = face.At(x, y + faceHeight);
          const unsigned char* under = face.At(x, y);
          int diff = 0;
          for (int c = 0; c < 3; ++c) diff = std::max(diff, std::abs(ink[c] - under[c]));
          sum += diff;
          ++pixels;
        }
      if (pixels == 0 || sum / pixels >= kLeastContrast) continue;
      if (!layouts.empty()) layouts += ", ";
      layouts += kLayoutNames[layout];
      if (band.empty()) band = Rect(at.x, at.y + faceHeight, at.x + glyph.cx, at.y + faceHeight + glyph.cy);
      worst = std::min(worst, sum / pixels);
    }
    if (layouts.empty()) continue;
    least = std::min(least, worst);
    std::string text = size.face + ": the " + kSlotNames[slot];
    text += " glyphs are nearly the face colour (contrast " + std::to_string(worst) + " of 255) in the ";
    text += layouts + (layouts.find(',') == std::string::npos ? " layout" : " layouts");
    text += "; make the ink band there (for the first, " + band + ") differ more from the face above it";
    faint.push_back({true, text});
  }
  if (static_cast<int>(faint.size()) == kSlotCount) {
    out.push_back({true, size.face + ": every glyph is nearly the face colour (contrast " + std::to_string(least) +
                             " of 255 at most); the ink band, rows " + std::to_string(faceHeight) + " to " +
                             std::to_string(2 * faceHeight - 1) + ", must differ from the face above it"});
  } else {
    out.insert(out.end(), faint.begin(), faint.end());
  }
}

// One size's pair of files by the rules the clock reads them by: at 1x it
// refuses to start without them; a larger size it leaves unused, showing
// another size instead.
void CheckSize(const std::string& dir, const ArtSize& size, std::vector<SkinFinding>& out) {
  const int k = size.k;
  const std::string wide = std::to_string(kFaceWidth * k) + " x " + std::to_string(2 * kFaceHeight * k);

  // The figure sheet: the clock reads exactly FigureBytesAt(k) bytes and refuses fewer.
  const long need = static_cast<long>(FigureBytesAt(k));
  FigureSheet sheet;
  std::ifstream figures(Join(dir, size.figures), std::ios::binary);
  if (!figures) {
    out.push_back({true, size.figures + " is missing or cannot be read; the clock refuses to start without it"});
  } else {
    const std::vector<char> bytes((std::istreambuf_iterator<char>(figures)), std::istreambuf_iterator<char>());
    const long n = static_cast<long>(bytes.size());
    if (n < need) {
      out.push_back({true, size.figures + " has " + Number(n) + " bytes; the clock needs " + Number(need) + " (" +
                               std::to_string(size.SheetHeight()) + " rows of " + Number(size.SheetWidth() / 2) +
                               " bytes) and " +
                               (k == 1 ? "refuses a shorter file" : "leaves this size unused when it is shorter")});
    } else {
      if (n > need)
        out.push_back({false, size.figures + " has " + Number(n) + " bytes; the clock uses the first " + Number(need) +
                                  " and ignores the rest"});
      sheet = Decode(bytes, size);
      CheckFigures(sheet, size, out);
    }
  }

  // The face, read as the clock reads it.
  std::string name = Join(dir, size.face);
  std::unique_ptr<ZEMADisplayFCDIB> skin(
      new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, &name[0], 3, LANGUAGE_ENGLISH));
  if (skin->ErrorCode == ERR_FILE_OPEN) {
    out.push_back({true, size.face + " is missing or cannot be opened; the clock refuses to start without it"});
    return;
  }
  if (skin->ErrorCode != ERR_NONE) {
    std::string why = skin->GetErrorMessage();
    std::replace(why.begin(), why.end(), '\n', ' ');
    why.erase(std::unique(why.begin(), why.end(), [](char a, char b) { return a == ' ' && b == ' '; }), why.end());
    out.push_back({true, size.face + " cannot be read as the clock reads it (" + why +
                             "); save it as an uncompressed Windows BMP of " + wide + " pixels, 24 bits per pixel"});
    return;
  }
  const Face face{pixolan::PixelRows::Of(*skin), skin->BitmapInfo.bmiHeader.biWidth,
                  skin->BitmapInfo.bmiHeader.biHeight};
  const std::string has = size.face + " is " + std::to_string(face.w) + " x " + std::to_string(face.h) + " pixels; ";

  if (k == 1) {
    // Every ink rectangle must lie inside the picture, or the glyphs drawn
    // from the part that is missing keep the face colour.
    long needW = kFaceWidth, needH = kFaceHeight;
    for (int layout = 0; layout < kLayoutCount; ++layout)
      for (int slot = 0; slot < kSlotCount; ++slot) {
        needW = std::max<long>(needW, SlotPos[layout][slot].x + SlotSize[slot].cx);
        needH = std::max<long>(needH, SlotPos[layout][slot].y + SlotSize[slot].cy + kFaceHeight);
      }
    if (face.w < needW || face.h < needH)
      out.push_back({true, has + "the face needs " + std::to_string(kFaceWidth) + " x " + std::to_string(kFaceHeight) +
                               " and the ink band below it must reach " + std::to_string(needW) + " x " +
                               std::to_string(needH) +
                               ", or some glyphs take the face colour; make it 360 x 120 with the ink colours in rows "
                               "60 to 119"});
  } else if (face.w < kFaceWidth * k || face.h < 2 * kFaceHeight * k) {
    // A larger size is used only whole: the face and all of its ink band.
    out.push_back({true, has + "the clock uses this size only when it is at least " + wide +
                             " (the face above, the ink band below) and shows another size instead"});
    return;
  }
  if (!sheet.v.empty()) CheckContrast(face, sheet, size, out);
}

}  // namespace

std::vector<SkinFinding> CheckSkin(const std::string& dir) {
  std::vector<SkinFinding> out;
  CheckSize(dir, ArtSize(1), out);
  for (int k = 2; k <= kMaxArtScale; ++k) {
    const ArtSize size(k);
    const bool face = std::ifstream(Join(dir, size.face)).good(),
               figures = std::ifstream(Join(dir, size.figures)).good();
    if (!face && !figures) continue;  // the skin does not carry this size
    if (face != figures) {
      out.push_back({true, (face ? size.face : size.figures) + " is there but " + (face ? size.figures : size.face) +
                               " is not; the clock uses the " + std::to_string(k) +
                               "x artwork only with both files and shows another size instead"});
      continue;
    }
    CheckSize(dir, size, out);
  }
  return out;
}
