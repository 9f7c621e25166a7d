// The figure sheet laid out from a font's glyphs, and the skin's face and
// ink band, each drawn at the artwork size asked for.
#include "skin_art.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "FaceTables.h"
#include "pixolan.h"

namespace {

// ---------------------------------------------------------------------------
// Figure sheet: 4-bit coverage in the cells the clock cuts the figures from.

struct DoesNotFit : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Sheet {
 public:
  explicit Sheet(int k)
      : k_(k), w_(kFigureSheetWidth * k), h_(kFigureSheetHeight * k), v_(static_cast<size_t>(w_) * h_, 0) {}

  SIZE Cell(int figure) const {
    const SIZE cut = FigureCutSize(figure);
    return SIZE{cut.cx * k_, cut.cy * k_};
  }

  // Places coverage at (dx, dy) inside the figure's cell; refuses to spill
  // out of it, since the clock would show the spill as part of a neighbour.
  void Place(int figure, const Gray& g, int dx, int dy) {
    const POINT at{FigurePos[figure].x * k_, FigurePos[figure].y * k_};
    const SIZE cell = Cell(figure);
    if (dx < 0 || dy < 0 || dx + g.w > cell.cx || dy + g.h > cell.cy)
      throw DoesNotFit("figure " + std::to_string(figure) + " (" + std::to_string(g.w) + "x" + std::to_string(g.h) +
                       ") does not fit its " + std::to_string(cell.cx) + "x" + std::to_string(cell.cy) + " cell");
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        v_[static_cast<size_t>(at.y + dy + y) * w_ + at.x + dx + x] =
            static_cast<uint8_t>((g.At(x, y) * 15 + 127) / 255);
  }

  // 44k rows of 460k bytes, bottom row first, left pixel in the high nibble.
  std::vector<uint8_t> Encode() const {
    Bytes out;
    for (int y = h_ - 1; y >= 0; --y)
      for (int x = 0; x < w_; x += 2)
        out.u8((v_[static_cast<size_t>(y) * w_ + x] << 4) | v_[static_cast<size_t>(y) * w_ + x + 1]);
    return out.b;
  }

 private:
  int k_, w_, h_;
  std::vector<uint8_t> v_;
};

// Vertical placement shared by a set of glyphs on one baseline, centred in a
// cell of height cellH: returns the row of the baseline inside the cell.
int SharedBaseline(const std::vector<Ink>& set, int cellH) {
  int asc = 0, desc = 0;
  for (const Ink& i : set) {
    asc = std::max(asc, i.ascent);
    desc = std::max(desc, i.img.h - i.ascent);
  }
  return (cellH - (asc + desc)) / 2 + asc;
}

// Draws one group of figures at the style's size, or, where they do not fit
// their cells, at the largest smaller size where they do.
void DrawFitted(Sheet& sheet, int k, Style st, const std::string& what, std::vector<std::string>* notes,
                const std::function<void(Sheet&, const Style&)>& draw) {
  const int wanted = st.pixelSize;
  for (;;) {
    Sheet trial = sheet;
    try {
      draw(trial, st);
      sheet = trial;
      if (st.pixelSize != wanted)
        notes->push_back((k > 1 ? std::to_string(k) + "x " : std::string()) + what + ": too large for the cells at " +
                         std::to_string(wanted) + " px; drawn at " + std::to_string(st.pixelSize) + " px");
      return;
    } catch (const DoesNotFit& e) {
      if (st.pixelSize <= 6 * k)
        throw std::runtime_error(what + ": too large for the cells even at " + std::to_string(6 * k) +
                                 " px: " + e.what());
      --st.pixelSize;
    }
  }
}

void DrawDigits(Font& font, Sheet& sheet, int firstFigure, const Style& st, const char* what) {
  std::vector<Ink> digits;
  for (char32_t d = U'0'; d <= U'9'; ++d) digits.push_back(font.Render(std::u32string(1, d), st, what));
  // One baseline for all ten so that the digits line up on the clock; each is
  // centred horizontally on its own ink, giving an even, tabular rhythm.
  const SIZE cell = sheet.Cell(firstFigure);
  int base = SharedBaseline(digits, cell.cy);
  for (int i = 0; i < 10; ++i)
    sheet.Place(firstFigure + i, digits[i].img, (cell.cx - digits[i].img.w) / 2, base - digits[i].ascent);
}

// A 1x style at artwork size k: the em and the strokes k times as large, the
// widening as it is. The font renders that size itself.
Style AtSize(Style st, int k) {
  st.pixelSize *= k;
  st.emboldenX *= k;
  st.emboldenY *= k;
  return st;
}

// A style's stroke and size scaled by percentages (100 keeps it as it is).
Style Scaled(Style st, int weight, int size) {
  st.emboldenX = st.emboldenX * weight / 100;
  st.emboldenY = st.emboldenY * weight / 100;
  st.pixelSize = std::max(6, (st.pixelSize * size + 50) / 100);
  return st;
}

// ---------------------------------------------------------------------------
// Face and ink band.

// 4x4 ordered-dither thresholds (0..15); breaks a gradient's steps.
int Bayer(int x, int y) {
  static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return m[y & 3][x & 3];
}

// Colour channels in 1/16 units, dithered down to 0..255.
int Dither16(int v16, int x, int y) {
  int v = (v16 + Bayer(x, y)) / 16;
  return std::clamp(v, 0, 255);
}

struct Rgb16 {
  int r, g, b;  // 1/16 units
};

Rgb16 Flat16(Rgb c) { return {c.r * 16, c.g * 16, c.b * 16}; }

Rgb16 Lerp16(Rgb a, Rgb b, int t, int den) {
  return {(a.r * 16 * (den - t) + b.r * 16 * t) / den, (a.g * 16 * (den - t) + b.g * 16 * t) / den,
          (a.b * 16 * (den - t) + b.b * 16 * t) / den};
}

// The default face at (x, y) of size k: a deep navy panel lit softly from
// above, with a thin light rim, a dark groove inside it, and a faint sheen
// over the upper part. Rim, groove and catch-light are k pixels wide.
Rgb16 PanelPixel(int x, int y, int k) {
  const Rgb top{31, 42, 62}, bottom{11, 15, 25};
  const Rgb rimTop{104, 126, 160}, rimBottom{50, 62, 84};
  const Rgb groove{5, 7, 12};
  const int w = kFaceWidth * k, h = kFaceHeight * k;

  int edge = std::min({x, y, w - 1 - x, h - 1 - y}) / k;
  if (edge == 0) return Lerp16(rimTop, rimBottom, y, h - 1);
  if (edge == 1) return Flat16(groove);

  Rgb16 c = Lerp16(top, bottom, y - 2 * k, h - 5 * k);
  if (edge == 2 && y / k == 2) {
    // Catch-light along the top inner edge: the panel reads as recessed.
    c = Flat16(Rgb{46, 60, 86});
  }
  // Sheen: a broad, very faint lift of the upper third that fades out.
  if (y < 22 * k) {
    int lift = (22 * k - y) * 16 * 5 / (22 * k);  // up to ~5 levels
    c.r += lift;
    c.g += lift;
    c.b += lift + lift / 2;
  }
  return c;
}

// The rows the glyphs span at 1x, from the tops of the large digits to their feet.
constexpr int kGlyphTop = 8, kGlyphFoot = 51;

// Ink colour for face row y of size k. The default ramp runs from icy white
// at the top of the glyph rows, easing to a clear cyan at their foot; large
// figures show the whole ramp, the date and weekday rows each the part at
// their height.
Rgb InkForRow(const SkinLook& look, int y, int k) {
  const int span = (kGlyphFoot - kGlyphTop) * k;
  const int t = std::clamp(y, kGlyphTop * k, kGlyphFoot * k) - kGlyphTop * k;
  if (look.ink == SkinLook::Ink::Gradient) return Mix(look.inkTop, look.inkBottom, t, span);
  const Rgb top{238, 251, 255}, mid{170, 232, 252}, foot{88, 196, 238};
  const int half = span / 2;
  if (t <= half) return Mix(top, mid, t, half);
  return Mix(mid, foot, t - half, span - half);
}

// The picture's face-shaped part brought to 360k x 60k by the library's area
// averaging, top row first.
std::vector<Rgb> PictureFace(const Picture& picture, int k) {
  const FaceCrop crop = CropToFace(picture.w, picture.h);
  ZEMADisplayFCDIB source(LibraryVersion, nullptr, nullptr, static_cast<unsigned>(picture.w),
                          static_cast<unsigned>(picture.h), 3, 3780, 3780, LANGUAGE_ENGLISH);
  const int w = kFaceWidth * k, h = kFaceHeight * k;
  ZEMADisplayFCDIB face(LibraryVersion, nullptr, nullptr, static_cast<unsigned>(w), static_cast<unsigned>(h), 3, 3780,
                        3780, LANGUAGE_ENGLISH);
  if (source.ErrorCode != ERR_NONE || face.ErrorCode != ERR_NONE)
    throw std::runtime_error(std::string("cannot hold the face picture: ") +
                             (source.ErrorCode != ERR_NONE ? source : face).GetErrorMessage());
  const pixolan::PixelRows sourceRows = pixolan::PixelRows::Of(source);
  for (int y = 0; y < picture.h; ++y)
    std::copy_n(&picture.bgr[static_cast<size_t>(y) * picture.w * 3], static_cast<size_t>(picture.w) * 3,
                sourceRows.Row(y));
  source.SetViewOrigin(POINT{crop.x, crop.y});
  source.SetViewSize(SIZE{crop.w, crop.h});
  if (face.StretchImage(&source, 0) != ERR_NONE)
    throw std::runtime_error(std::string("cannot scale the face picture: ") + face.GetErrorMessage());

  const pixolan::PixelRows faceRows = pixolan::PixelRows::Of(face);
  std::vector<Rgb> out;
  out.reserve(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = faceRows.Row(y);
    for (int x = 0; x < w; ++x) out.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  return out;
}

}  // namespace

FaceCrop CropToFace(int w, int h) {
  // The widest 6:1 rectangle the picture holds, centred.
  FaceCrop c{0, 0, w, h};
  if (static_cast<long long>(w) * kFaceHeight > static_cast<long long>(h) * kFaceWidth) {
    c.w = static_cast<int>(static_cast<long long>(h) * kFaceWidth / kFaceHeight);
    c.x = (w - c.w) / 2;
  } else {
    c.h = std::max(1, static_cast<int>(static_cast<long long>(w) * kFaceHeight / kFaceWidth));
    c.y = (h - c.h) / 2;
  }
  return c;
}

std::vector<uint8_t> MakeFigureSheet(Font& font, const SkinLook& look, int k, std::vector<std::string>* notes) {
  Sheet sheet(k);

  // Large digits: ~41 px tall at 1x, widened and emboldened for a solid display look.
  const Style big = Scaled(AtSize(Style{52, 224, 144, 1180, false}, k), look.digitWeight, look.digitSize);
  Style bigDrawn = big;
  DrawFitted(sheet, k, big, "large digits", notes, [&](Sheet& s, const Style& st) {
    DrawDigits(font, s, 0, st, "large digits");
    bigDrawn = st;
  });

  // Colon: centred on the digits' height rather than on the font's baseline,
  // which would sit it low beside the figures.
  DrawFitted(sheet, k, Scaled(AtSize(Style{52, 224, 224, 1024, false}, k), look.digitWeight, look.digitSize), "colon",
             notes, [&](Sheet& s, const Style& st) {
               Ink colon = font.Render(U":", st, "colon");
               Ink zero = font.Render(U"0", bigDrawn, "large digits");
               const SIZE cell = s.Cell(10);
               int base = SharedBaseline({zero}, cell.cy);
               int mid2 = 2 * (base - zero.ascent) + zero.img.h;  // twice the digit centre row
               s.Place(10, colon.img, (cell.cx - colon.img.w) / 2, (mid2 - colon.img.h) / 2);
             });

  // Small digits for the date: ~19 px tall at 1x.
  DrawFitted(sheet, k, Scaled(AtSize(Style{25, 104, 72, 1260, true}, k), look.digitWeight, look.digitSize),
             "small digits", notes, [&](Sheet& s, const Style& st) { DrawDigits(font, s, 11, st, "small digits"); });

  // Month/day separator: a slash, centred in its cell.
  DrawFitted(sheet, k, AtSize(Style{21, 112, 64, 1024, true}, k), "month/day separator", notes,
             [&](Sheet& s, const Style& st) {
               Ink slash = font.Render(U"/", st, "month/day separator");
               const SIZE cell = s.Cell(21);
               s.Place(21, slash.img, (cell.cx - slash.img.w) / 2, (cell.cy - slash.img.h) / 2);
             });

  // Weekday labels, Sunday first, on one shared baseline.
  static const char32_t* const kDays[7] = {U"日曜日", U"月曜日", U"火曜日", U"水曜日", U"木曜日", U"金曜日", U"土曜日"};
  DrawFitted(sheet, k, AtSize(Style{17, 24, 16, 1024, true}, k), "weekday labels", notes,
             [&](Sheet& s, const Style& st) {
               std::vector<Ink> labels;
               for (const char32_t* d : kDays) labels.push_back(font.Render(d, st, "weekday labels"));
               const SIZE cell = s.Cell(22);
               int base = SharedBaseline(labels, cell.cy);
               for (int i = 0; i < 7; ++i)
                 s.Place(22 + i, labels[i].img, (cell.cx - labels[i].img.w) / 2, base - labels[i].ascent);
             });
  return sheet.Encode();
}

std::vector<Rgb> MakeSkinPixels(const SkinLook& look, const Picture* picture, int k) {
  const int w = kFaceWidth * k, h = kFaceHeight * k;
  std::vector<Rgb> img(static_cast<size_t>(w) * 2 * h);
  if (look.face == SkinLook::Face::Picture) {
    if (picture == nullptr) throw std::runtime_error("no face picture was read");
    const std::vector<Rgb> face = PictureFace(*picture, k);
    std::copy(face.begin(), face.end(), img.begin());
  } else {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Rgb16 c =
            look.face == SkinLook::Face::Panel ? PanelPixel(x, y, k) : Lerp16(look.faceTop, look.faceBottom, y, h - 1);
        img[static_cast<size_t>(y) * w + x] = {Dither16(c.r, x, y), Dither16(c.g, x, y), Dither16(c.b, x, y)};
      }
  }
  // The clock reads each glyph's colour exactly one face height below it.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img[static_cast<size_t>(y + h) * w + x] = InkForRow(look, y, k);
  return img;
}
