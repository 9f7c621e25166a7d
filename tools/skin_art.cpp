// The figure sheet rendered from an outline font (FreeType), and the skin's
// face and ink band.
#include "skin_art.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "FaceTables.h"
#include "pixolan.h"

namespace {

// ---------------------------------------------------------------------------
// Coverage images and glyph rendering.

struct Gray {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // 0..255 coverage, row-major, top row first
  Gray() = default;
  Gray(int w_, int h_) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, 0) {}
  uint8_t& At(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  uint8_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

// A rendered run of text: coverage bitmap plus the baseline position inside it.
struct Ink {
  Gray img;
  int ascent = 0;  // rows of img above the baseline
};

struct Style {
  int pixelSize;
  int emboldenX;  // extra stroke width in 1/64 px (horizontal)
  int emboldenY;  // extra stroke width in 1/64 px (vertical)
  int widen;      // horizontal scale in 1/1024 (1024 = none)
  bool hint;      // light auto-hinting: crisper stems at small sizes
};

std::string Utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string Hex(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

class Font {
 public:
  explicit Font(const std::string& path) : path_(path) {
    if (FT_Init_FreeType(&lib_)) throw std::runtime_error("cannot initialise FreeType");
    if (FT_New_Face(lib_, path.c_str(), 0, &face_)) {
      FT_Done_FreeType(lib_);
      throw std::runtime_error("cannot read the font file " + path + " (a TrueType or OpenType font is needed)");
    }
  }
  ~Font() {
    FT_Done_Face(face_);
    FT_Done_FreeType(lib_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Renders a left-to-right run of code points and crops it to its ink;
  // `what` names the glyphs in messages.
  Ink Render(const std::u32string& text, const Style& st, const char* what) {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(st.pixelSize)))
      throw std::runtime_error("the font " + path_ + " cannot be scaled");
    FT_Matrix m{st.widen * 64, 0, 0, 0x10000};
    FT_Set_Transform(face_, &m, nullptr);

    struct Piece {
      Gray img;
      int left, top;
    };
    std::vector<Piece> pieces;
    long pen = 0;  // 26.6
    for (char32_t cp : text) {
      FT_UInt gi = FT_Get_Char_Index(face_, cp);
      if (gi == 0)
        throw std::runtime_error("the font " + path_ + " has no glyph for " + Utf8(cp) + " (" + Hex(cp) +
                                 "), needed for the " + what +
                                 (cp >= 0x3000 ? ": choose a font with Japanese glyphs, such as IPAex Gothic" : ""));
      FT_Int32 flags =
          FT_LOAD_NO_BITMAP | (st.hint ? FT_LOAD_FORCE_AUTOHINT | FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING);
      if (FT_Load_Glyph(face_, gi, flags)) throw std::runtime_error("cannot load the glyph " + Hex(cp));
      FT_GlyphSlot slot = face_->glyph;
      if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        throw std::runtime_error("the glyph " + Hex(cp) + " is not an outline (bitmap fonts are not supported)");
      if (st.emboldenX || st.emboldenY) {
        FT_Outline_EmboldenXY(&slot->outline, st.emboldenX, st.emboldenY);
        // Emboldening keeps the left and bottom edges and grows the glyph
        // right and up; shift it back by half so the heavier stroke stays
        // centred on the original design and baseline.
        FT_Outline_Translate(&slot->outline, -st.emboldenX / 2, -st.emboldenY / 2);
      }
      FT_Outline_Translate(&slot->outline, pen & 63, 0);
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) throw std::runtime_error("cannot render the glyph " + Hex(cp));
      const FT_Bitmap& bm = slot->bitmap;
      Piece p{Gray(static_cast<int>(bm.width), static_cast<int>(bm.rows)),
              static_cast<int>(pen >> 6) + slot->bitmap_left, slot->bitmap_top};
      for (int y = 0; y < p.img.h; ++y)
        for (int x = 0; x < p.img.w; ++x) p.img.At(x, y) = bm.buffer[y * bm.pitch + x];
      pieces.push_back(std::move(p));
      // Emboldened text needs its advance widened too, or neighbours collide.
      pen += slot->advance.x + st.emboldenX;
    }
    FT_Set_Transform(face_, nullptr, nullptr);

    // Union of all pieces, then crop to rows/columns that carry ink.
    int x0 = 1 << 30, x1 = -(1 << 30), y0 = 1 << 30, y1 = -(1 << 30);
    for (const Piece& p : pieces) {
      x0 = std::min(x0, p.left);
      x1 = std::max(x1, p.left + p.img.w);
      y0 = std::min(y0, -p.top);
      y1 = std::max(y1, -p.top + p.img.h);
    }
    Gray all(x1 - x0, y1 - y0);
    for (const Piece& p : pieces)
      for (int y = 0; y < p.img.h; ++y)
        for (int x = 0; x < p.img.w; ++x) {
          uint8_t& d = all.At(p.left - x0 + x, -p.top - y0 + y);
          d = std::max(d, p.img.At(x, y));
        }
    return Crop(all, -y0, what);
  }

 private:
  static Ink Crop(const Gray& g, int baseline, const char* what) {
    int x0 = g.w, x1 = -1, y0 = g.h, y1 = -1;
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        if (g.At(x, y) >= 9) {  // ignore specks that quantise to 0
          x0 = std::min(x0, x);
          x1 = std::max(x1, x);
          y0 = std::min(y0, y);
          y1 = std::max(y1, y);
        }
    if (x1 < 0) throw std::runtime_error(std::string("the font draws no ink for the ") + what);
    Ink ink{Gray(x1 - x0 + 1, y1 - y0 + 1), baseline - y0};
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) ink.img.At(x - x0, y - y0) = g.At(x, y);
    return ink;
  }

  std::string path_;
  FT_Library lib_ = nullptr;
  FT_Face face_ = nullptr;
};

// ---------------------------------------------------------------------------
// Figure sheet: 4-bit coverage in the cells the clock cuts the figures from.

struct DoesNotFit : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Sheet {
 public:
  Sheet() : v_(static_cast<size_t>(kFigureSheetWidth) * kFigureSheetHeight, 0) {}

  // Places coverage at (dx, dy) inside the figure's cell; refuses to spill
  // out of it, since the clock would show the spill as part of a neighbour.
  void Place(int figure, const Gray& g, int dx, int dy) {
    const POINT at = FigurePos[figure];
    const SIZE cell = FigureCutSize(figure);
    if (dx < 0 || dy < 0 || dx + g.w > cell.cx || dy + g.h > cell.cy)
      throw DoesNotFit("figure " + std::to_string(figure) + " (" + std::to_string(g.w) + "x" + std::to_string(g.h) +
                       ") does not fit its " + std::to_string(cell.cx) + "x" + std::to_string(cell.cy) + " cell");
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        v_[(at.y + dy + y) * kFigureSheetWidth + at.x + dx + x] = static_cast<uint8_t>((g.At(x, y) * 15 + 127) / 255);
  }

  // 44 rows of 460 bytes, bottom row first, left pixel in the high nibble.
  std::vector<uint8_t> Encode() const {
    Bytes out;
    for (int y = kFigureSheetHeight - 1; y >= 0; --y)
      for (int x = 0; x < kFigureSheetWidth; x += 2)
        out.u8((v_[y * kFigureSheetWidth + x] << 4) | v_[y * kFigureSheetWidth + x + 1]);
    return out.b;
  }

 private:
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
void DrawFitted(Sheet& sheet, Style st, const char* what, std::vector<std::string>* notes,
                const std::function<void(Sheet&, const Style&)>& draw) {
  const int wanted = st.pixelSize;
  for (;;) {
    Sheet trial = sheet;
    try {
      draw(trial, st);
      sheet = trial;
      if (st.pixelSize != wanted)
        notes->push_back(std::string(what) + ": too large for the cells at " + std::to_string(wanted) +
                         " px; drawn at " + std::to_string(st.pixelSize) + " px");
      return;
    } catch (const DoesNotFit& e) {
      if (st.pixelSize <= 6)
        throw std::runtime_error(std::string(what) + ": too large for the cells even at 6 px: " + e.what());
      --st.pixelSize;
    }
  }
}

void DrawDigits(Font& font, Sheet& sheet, int firstFigure, const Style& st, const char* what) {
  std::vector<Ink> digits;
  for (char32_t d = U'0'; d <= U'9'; ++d) digits.push_back(font.Render(std::u32string(1, d), st, what));
  // One baseline for all ten so that the digits line up on the clock; each is
  // centred horizontally on its own ink, giving an even, tabular rhythm.
  const SIZE cell = FigureCutSize(firstFigure);
  int base = SharedBaseline(digits, cell.cy);
  for (int i = 0; i < 10; ++i)
    sheet.Place(firstFigure + i, digits[i].img, (cell.cx - digits[i].img.w) / 2, base - digits[i].ascent);
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

// The default face at (x, y): a deep navy panel lit softly from above, with a
// thin light rim, a dark groove inside it, and a faint sheen over the upper part.
Rgb16 PanelPixel(int x, int y) {
  const Rgb top{31, 42, 62}, bottom{11, 15, 25};
  const Rgb rimTop{104, 126, 160}, rimBottom{50, 62, 84};
  const Rgb groove{5, 7, 12};

  int edge = std::min({x, y, kFaceWidth - 1 - x, kFaceHeight - 1 - y});
  if (edge == 0) return Lerp16(rimTop, rimBottom, y, kFaceHeight - 1);
  if (edge == 1) return Flat16(groove);

  Rgb16 c = Lerp16(top, bottom, y - 2, kFaceHeight - 5);
  if (edge == 2 && y == 2) {
    // Catch-light along the top inner edge: the panel reads as recessed.
    c = Flat16(Rgb{46, 60, 86});
  }
  // Sheen: a broad, very faint lift of the upper third that fades out.
  if (y < 22) {
    int lift = (22 - y) * 16 * 5 / 22;  // up to ~5 levels
    c.r += lift;
    c.g += lift;
    c.b += lift + lift / 2;
  }
  return c;
}

// The rows the glyphs span, from the tops of the large digits to their feet.
constexpr int kGlyphTop = 8, kGlyphFoot = 51;

// Ink colour for face row y. The default ramp runs from icy white at the top
// of the glyph rows, easing to a clear cyan at their foot; large figures show
// the whole ramp, the date and weekday rows each the part at their height.
Rgb InkForRow(const SkinLook& look, int y) {
  const int t = std::clamp(y, kGlyphTop, kGlyphFoot) - kGlyphTop;
  if (look.ink == SkinLook::Ink::Gradient) return Mix(look.inkTop, look.inkBottom, t, kGlyphFoot - kGlyphTop);
  const Rgb top{238, 251, 255}, mid{170, 232, 252}, foot{88, 196, 238};
  const int half = (kGlyphFoot - kGlyphTop) / 2;
  if (t <= half) return Mix(top, mid, t, half);
  return Mix(mid, foot, t - half, (kGlyphFoot - kGlyphTop) - half);
}

// The face rows of a picture: a BMP 360 pixels wide and at least 60 high, read
// by the library as the clock reads its skin.
std::vector<Rgb> PictureFace(const std::string& path) {
  std::string name = path;
  ZEMADisplayFCDIB picture(LibraryVersion, nullptr, nullptr, &name[0], 3, LANGUAGE_ENGLISH);
  if (picture.ErrorCode != ERR_NONE) {
    std::string why = picture.GetErrorMessage();
    std::replace(why.begin(), why.end(), '\n', ' ');
    throw std::runtime_error("cannot use the face picture " + path + ": " + why +
                             " (an uncompressed Windows BMP is needed)");
  }
  const LONG w = picture.BitmapInfo.bmiHeader.biWidth, h = picture.BitmapInfo.bmiHeader.biHeight;
  if (w != kFaceWidth || h < kFaceHeight)
    throw std::runtime_error("the face picture " + path + " is " + std::to_string(w) + " x " + std::to_string(h) +
                             "; it must be " + std::to_string(kFaceWidth) + " pixels wide and at least " +
                             std::to_string(kFaceHeight) + " high (its top " + std::to_string(kFaceHeight) +
                             " rows are the face)");
  const long stride = (w * 3 + 3) & ~3L;
  std::vector<Rgb> face;
  for (int y = 0; y < kFaceHeight; ++y) {
    const unsigned char* row = picture.Bits + (h - 1 - y) * stride;
    for (int x = 0; x < kFaceWidth; ++x) face.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  return face;
}

}  // namespace

std::vector<uint8_t> MakeFigureSheet(const SkinLook& look, std::vector<std::string>* notes) {
  Font font(look.font);
  Sheet sheet;

  // Large digits: ~41 px tall, widened and emboldened for a solid display look.
  const Style big = Scaled(Style{52, 224, 144, 1180, false}, look.digitWeight, look.digitSize);
  Style bigDrawn = big;
  DrawFitted(sheet, big, "large digits", notes, [&](Sheet& s, const Style& st) {
    DrawDigits(font, s, 0, st, "large digits");
    bigDrawn = st;
  });

  // Colon: centred on the digits' height rather than on the font's baseline,
  // which would sit it low beside the figures.
  DrawFitted(sheet, Scaled(Style{52, 224, 224, 1024, false}, look.digitWeight, look.digitSize), "colon", notes,
             [&](Sheet& s, const Style& st) {
               Ink colon = font.Render(U":", st, "colon");
               Ink zero = font.Render(U"0", bigDrawn, "large digits");
               const SIZE cell = FigureCutSize(10);
               int base = SharedBaseline({zero}, cell.cy);
               int mid2 = 2 * (base - zero.ascent) + zero.img.h;  // twice the digit centre row
               s.Place(10, colon.img, (cell.cx - colon.img.w) / 2, (mid2 - colon.img.h) / 2);
             });

  // Small digits for the date: ~19 px tall.
  DrawFitted(sheet, Scaled(Style{25, 104, 72, 1260, true}, look.digitWeight, look.digitSize), "small digits", notes,
             [&](Sheet& s, const Style& st) { DrawDigits(font, s, 11, st, "small digits"); });

  // Month/day separator: a slash, centred in its cell.
  DrawFitted(sheet, Style{21, 112, 64, 1024, true}, "month/day separator", notes, [&](Sheet& s, const Style& st) {
    Ink slash = font.Render(U"/", st, "month/day separator");
    const SIZE cell = FigureCutSize(21);
    s.Place(21, slash.img, (cell.cx - slash.img.w) / 2, (cell.cy - slash.img.h) / 2);
  });

  // Weekday labels, Sunday first, on one shared baseline.
  static const char32_t* const kDays[7] = {U"日曜日", U"月曜日", U"火曜日", U"水曜日", U"木曜日", U"金曜日", U"土曜日"};
  DrawFitted(sheet, Style{17, 24, 16, 1024, true}, "weekday labels", notes, [&](Sheet& s, const Style& st) {
    std::vector<Ink> labels;
    for (const char32_t* d : kDays) labels.push_back(font.Render(d, st, "weekday labels"));
    const SIZE cell = FigureCutSize(22);
    int base = SharedBaseline(labels, cell.cy);
    for (int i = 0; i < 7; ++i)
      s.Place(22 + i, labels[i].img, (cell.cx - labels[i].img.w) / 2, base - labels[i].ascent);
  });
  return sheet.Encode();
}

std::vector<Rgb> MakeSkinPixels(const SkinLook& look) {
  const int w = kFaceWidth;
  std::vector<Rgb> img(static_cast<size_t>(w) * 2 * kFaceHeight);
  if (look.face == SkinLook::Face::Picture) {
    const std::vector<Rgb> face = PictureFace(look.facePicture);
    std::copy(face.begin(), face.end(), img.begin());
  } else {
    for (int y = 0; y < kFaceHeight; ++y)
      for (int x = 0; x < w; ++x) {
        const Rgb16 c = look.face == SkinLook::Face::Panel ? PanelPixel(x, y)
                                                           : Lerp16(look.faceTop, look.faceBottom, y, kFaceHeight - 1);
        img[y * w + x] = {Dither16(c.r, x, y), Dither16(c.g, x, y), Dither16(c.b, x, y)};
      }
  }
  // The clock reads each glyph's colour exactly one face height below it.
  for (int y = 0; y < kFaceHeight; ++y)
    for (int x = 0; x < w; ++x) img[(y + kFaceHeight) * w + x] = InkForRow(look, y);
  return img;
}
