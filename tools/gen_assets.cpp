// gen_assets: renders the clock's artwork from a Japanese outline font.
//
//   gen_assets OUTDIR [FONTFILE]
//
// Writes OUTDIR/KL_Figs.dat (the 4-bit figure sheet), OUTDIR/KL_Face.bmp
// (face plus ink band) and OUTDIR/Horlin.ico. Output depends only on the font
// file and the FreeType build: no timestamps, no uninitialised bytes, and all
// image arithmetic is integer so that the files are byte-identical run to run.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kDefaultFont = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

// ---------------------------------------------------------------------------
// Little-endian byte buffer.

struct Bytes {
  std::vector<uint8_t> b;
  void u8(unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
  void u16(unsigned v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
};

void writeFile(const std::filesystem::path& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot open " + path.string() + " for writing");
  out.write(reinterpret_cast<const char*>(data.b.data()), static_cast<std::streamsize>(data.b.size()));
  out.close();
  if (!out) throw std::runtime_error("write to " + path.string() + " failed");
}

struct Rgb {
  int r, g, b;
};

// Linear blend of two colours, t in 0..den.
Rgb mix(Rgb a, Rgb b, int t, int den) {
  return {a.r + (b.r - a.r) * t / den, a.g + (b.g - a.g) * t / den, a.b + (b.b - a.b) * t / den};
}

// ---------------------------------------------------------------------------
// Coverage images and glyph rendering.

struct Gray {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // 0..255 coverage, row-major, top row first
  Gray() = default;
  Gray(int w_, int h_) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, 0) {}
  uint8_t& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  uint8_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
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

class Font {
 public:
  explicit Font(const std::string& path) {
    if (FT_Init_FreeType(&lib_)) throw std::runtime_error("cannot initialise FreeType");
    if (FT_New_Face(lib_, path.c_str(), 0, &face_)) {
      FT_Done_FreeType(lib_);
      throw std::runtime_error("cannot open font file " + path);
    }
  }
  ~Font() {
    FT_Done_Face(face_);
    FT_Done_FreeType(lib_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Renders a left-to-right run of code points and crops it to its ink.
  Ink render(const std::u32string& text, const Style& st) {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(st.pixelSize)))
      throw std::runtime_error("font cannot be scaled");
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
      if (gi == 0) throw std::runtime_error("font has no glyph for U+" + hex(cp));
      FT_Int32 flags =
          FT_LOAD_NO_BITMAP | (st.hint ? FT_LOAD_FORCE_AUTOHINT | FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING);
      if (FT_Load_Glyph(face_, gi, flags)) throw std::runtime_error("cannot load glyph U+" + hex(cp));
      FT_GlyphSlot slot = face_->glyph;
      if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        throw std::runtime_error("glyph U+" + hex(cp) + " is not an outline");
      if (st.emboldenX || st.emboldenY) {
        FT_Outline_EmboldenXY(&slot->outline, st.emboldenX, st.emboldenY);
        // Emboldening keeps the left and bottom edges and grows the
        // glyph right and up; shift it back by half so the heavier
        // stroke stays centred on the original design and baseline.
        FT_Outline_Translate(&slot->outline, -st.emboldenX / 2, -st.emboldenY / 2);
      }
      FT_Outline_Translate(&slot->outline, pen & 63, 0);
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) throw std::runtime_error("cannot render glyph U+" + hex(cp));
      const FT_Bitmap& bm = slot->bitmap;
      Piece p{Gray(static_cast<int>(bm.width), static_cast<int>(bm.rows)),
              static_cast<int>(pen >> 6) + slot->bitmap_left, slot->bitmap_top};
      for (int y = 0; y < p.img.h; ++y)
        for (int x = 0; x < p.img.w; ++x) p.img.at(x, y) = bm.buffer[y * bm.pitch + x];
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
          uint8_t& d = all.at(p.left - x0 + x, -p.top - y0 + y);
          d = std::max(d, p.img.at(x, y));
        }
    return crop(all, -y0);
  }

 private:
  static std::string hex(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(cp));
    return buf;
  }

  static Ink crop(const Gray& g, int baseline) {
    int x0 = g.w, x1 = -1, y0 = g.h, y1 = -1;
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        if (g.at(x, y) >= 9) {  // ignore specks that quantise to 0
          x0 = std::min(x0, x);
          x1 = std::max(x1, x);
          y0 = std::min(y0, y);
          y1 = std::max(y1, y);
        }
    if (x1 < 0) throw std::runtime_error("rendered text has no ink");
    Ink ink{Gray(x1 - x0 + 1, y1 - y0 + 1), baseline - y0};
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) ink.img.at(x - x0, y - y0) = g.at(x, y);
    return ink;
  }

  FT_Library lib_ = nullptr;
  FT_Face face_ = nullptr;
};

// ---------------------------------------------------------------------------
// Figure sheet: 920 x 44 cells of 4-bit coverage.

constexpr int kSheetW = 920;
constexpr int kSheetH = 44;

struct Cell {
  int x, y, w, h;
};

Cell figureCell(int k) {
  if (k <= 9) return {48 * k, 0, 48, 44};
  if (k == 10) return {480, 0, 20, 44};
  if (k <= 20) return {500 + 24 * (k - 11), 0, 24, 22};
  if (k == 21) return {740, 0, 20, 22};
  return {500 + 60 * (k - 22), 22, 60, 18};
}

class Sheet {
 public:
  Sheet() : v_(kSheetW * kSheetH, 0) {}

  // Places coverage at (cell.x + dx, cell.y + dy); refuses to spill out of
  // the cell, since the clock would show the spill as part of a neighbour.
  void place(int k, const Gray& g, int dx, int dy) {
    Cell c = figureCell(k);
    if (dx < 0 || dy < 0 || dx + g.w > c.w || dy + g.h > c.h)
      throw std::runtime_error("figure " + std::to_string(k) + " (" + std::to_string(g.w) + "x" + std::to_string(g.h) +
                               ") does not fit its " + std::to_string(c.w) + "x" + std::to_string(c.h) + " cell");
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x)
        v_[(c.y + dy + y) * kSheetW + c.x + dx + x] = static_cast<uint8_t>((g.at(x, y) * 15 + 127) / 255);
  }

  // 44 rows of 460 bytes, bottom row first, left pixel in the high nibble.
  Bytes encode() const {
    Bytes out;
    for (int y = kSheetH - 1; y >= 0; --y)
      for (int x = 0; x < kSheetW; x += 2) out.u8((v_[y * kSheetW + x] << 4) | v_[y * kSheetW + x + 1]);
    return out;
  }

 private:
  std::vector<uint8_t> v_;
};

// Vertical placement shared by a set of glyphs on one baseline, centred in a
// cell of height cellH: returns the row of the baseline inside the cell.
int sharedBaseline(const std::vector<Ink>& set, int cellH) {
  int asc = 0, desc = 0;
  for (const Ink& i : set) {
    asc = std::max(asc, i.ascent);
    desc = std::max(desc, i.img.h - i.ascent);
  }
  return (cellH - (asc + desc)) / 2 + asc;
}

void drawDigits(Font& font, Sheet& sheet, int firstFigure, const Style& st, int cellW, int cellH) {
  std::vector<Ink> digits;
  for (char32_t d = U'0'; d <= U'9'; ++d) digits.push_back(font.render(std::u32string(1, d), st));
  // One baseline for all ten so that the digits line up on the clock; each is
  // centred horizontally on its own ink, giving an even, tabular rhythm.
  int base = sharedBaseline(digits, cellH);
  for (int i = 0; i < 10; ++i)
    sheet.place(firstFigure + i, digits[i].img, (cellW - digits[i].img.w) / 2, base - digits[i].ascent);
}

Bytes makeFigureSheet(Font& font) {
  Sheet sheet;

  // Large digits: ~41 px tall, widened and emboldened for a solid display look.
  const Style big{52, 224, 144, 1180, false};
  drawDigits(font, sheet, 0, big, 48, 44);

  // Colon: centred on the digits' height rather than on the font's baseline,
  // which would sit it low beside the figures.
  {
    Ink colon = font.render(U":", Style{52, 224, 224, 1024, false});
    Ink zero = font.render(U"0", big);
    int base = sharedBaseline({zero}, 44);
    int mid2 = 2 * (base - zero.ascent) + zero.img.h;  // twice the digit centre row
    sheet.place(10, colon.img, (20 - colon.img.w) / 2, (mid2 - colon.img.h) / 2);
  }

  // Small digits for the date: ~19 px tall.
  const Style small{25, 104, 72, 1260, true};
  drawDigits(font, sheet, 11, small, 24, 22);

  // Month/day separator: a slash, centred in its cell.
  {
    Ink slash = font.render(U"/", Style{21, 112, 64, 1024, true});
    sheet.place(21, slash.img, (20 - slash.img.w) / 2, (22 - slash.img.h) / 2);
  }

  // Weekday labels, Sunday first, on one shared baseline.
  static const char32_t* const kDays[7] = {U"日曜日", U"月曜日", U"火曜日", U"水曜日", U"木曜日", U"金曜日", U"土曜日"};
  const Style day{17, 24, 16, 1024, true};
  std::vector<Ink> labels;
  for (const char32_t* d : kDays) labels.push_back(font.render(d, day));
  int base = sharedBaseline(labels, 18);
  for (int i = 0; i < 7; ++i) sheet.place(22 + i, labels[i].img, (60 - labels[i].img.w) / 2, base - labels[i].ascent);
  return sheet.encode();
}

// ---------------------------------------------------------------------------
// Skin: 360 x 120, face on top, ink band below.

constexpr int kFaceW = 360;
constexpr int kFaceH = 60;

// 4x4 ordered-dither thresholds (0..15); breaks the face gradient's steps.
int bayer(int x, int y) {
  static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return m[y & 3][x & 3];
}

// Colour channels in 1/16 units, dithered down to 0..255.
int dither16(int v16, int x, int y) {
  int v = (v16 + bayer(x, y)) / 16;
  return std::clamp(v, 0, 255);
}

struct Rgb16 {
  int r, g, b;  // 1/16 units
};

Rgb16 flat16(Rgb c) { return {c.r * 16, c.g * 16, c.b * 16}; }

Rgb16 lerp16(Rgb a, Rgb b, int t, int den) {
  return {(a.r * 16 * (den - t) + b.r * 16 * t) / den, (a.g * 16 * (den - t) + b.g * 16 * t) / den,
          (a.b * 16 * (den - t) + b.b * 16 * t) / den};
}

// Face colour at (x, y): a deep navy panel lit softly from above, with a thin
// light rim, a dark groove inside it, and a faint sheen over the upper part.
Rgb16 facePixel(int x, int y) {
  const Rgb top{31, 42, 62}, bottom{11, 15, 25};
  const Rgb rimTop{104, 126, 160}, rimBottom{50, 62, 84};
  const Rgb groove{5, 7, 12};

  int edge = std::min({x, y, kFaceW - 1 - x, kFaceH - 1 - y});
  if (edge == 0) return lerp16(rimTop, rimBottom, y, kFaceH - 1);
  if (edge == 1) return flat16(groove);

  Rgb16 c = lerp16(top, bottom, y - 2, kFaceH - 5);
  if (edge == 2 && y == 2) {
    // Catch-light along the top inner edge: the panel reads as recessed.
    c = flat16(Rgb{46, 60, 86});
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

// Ink colour for face row y: icy white at the top of the glyph rows (y 8),
// easing to a clear cyan at their foot (y 51). Large figures show the whole
// ramp; the date and weekday rows each take the part at their height.
Rgb inkForRow(int y) {
  const Rgb top{238, 251, 255}, mid{170, 232, 252}, foot{88, 196, 238};
  const int y0 = 8, y1 = 51;
  int t = std::clamp(y, y0, y1) - y0;
  const int half = (y1 - y0) / 2;
  if (t <= half) return mix(top, mid, t, half);
  return mix(mid, foot, t - half, (y1 - y0) - half);
}

Bytes makeFace() {
  const int w = kFaceW, h = 2 * kFaceH;
  std::vector<Rgb> img(static_cast<size_t>(w) * h);
  for (int y = 0; y < kFaceH; ++y)
    for (int x = 0; x < w; ++x) {
      Rgb16 c = facePixel(x, y);
      img[y * w + x] = {dither16(c.r, x, y), dither16(c.g, x, y), dither16(c.b, x, y)};
    }
  // The clock reads each glyph's colour exactly kFaceH rows below it.
  for (int y = 0; y < kFaceH; ++y)
    for (int x = 0; x < w; ++x) img[(y + kFaceH) * w + x] = inkForRow(y);

  const int rowBytes = w * 3;  // 1080, already a multiple of 4
  const uint32_t imageSize = static_cast<uint32_t>(rowBytes * h);
  Bytes out;
  out.u8('B');
  out.u8('M');
  out.u32(14 + 40 + imageSize);
  out.u16(0);
  out.u16(0);
  out.u32(14 + 40);
  out.u32(40);
  out.i32(w);
  out.i32(h);  // positive: rows stored bottom-up
  out.u16(1);
  out.u16(24);
  out.u32(0);
  out.u32(imageSize);
  out.i32(3780);  // 96 dpi
  out.i32(3780);
  out.u32(0);
  out.u32(0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const Rgb& c = img[y * w + x];
      out.u8(c.b);
      out.u8(c.g);
      out.u8(c.r);
    }
  return out;
}

// ---------------------------------------------------------------------------
// Icon: a small panel in the skin's colours with a clock dial.

// Sixteen colours: the panel ramp, its rim, blends toward the cyan dial and
// the white hands so that anti-aliased edges have somewhere to land.
const Rgb kIconPalette[16] = {
    {0, 0, 0},       {12, 16, 26},   {20, 27, 42},    {30, 40, 60},   {56, 70, 96},    {104, 126, 160},
    {36, 74, 100},   {50, 118, 156}, {70, 162, 206},  {96, 204, 240}, {150, 226, 250}, {205, 243, 255},
    {246, 253, 255}, {90, 104, 128}, {150, 164, 186}, {6, 8, 14},
};

// Exact capsule test in integer arithmetic: is P within r of segment AB?
bool nearSegment(long px, long py, long ax, long ay, long bx, long by, long r) {
  long dx = bx - ax, dy = by - ay, qx = px - ax, qy = py - ay;
  long len2 = dx * dx + dy * dy;
  long t = qx * dx + qy * dy;
  long d2;
  if (t <= 0)
    d2 = qx * qx + qy * qy;
  else if (t >= len2)
    d2 = (px - bx) * (px - bx) + (py - by) * (py - by);
  else
    return qx * qx + qy * qy - (t * t) / len2 <= r * r;  // |PQ|^2 - proj^2
  return d2 <= r * r;
}

bool inRoundRect(long px, long py, long x0, long y0, long x1, long y1, long rad) {
  if (px < x0 || px > x1 || py < y0 || py > y1) return false;
  long cx = std::clamp(px, x0 + rad, x1 - rad);
  long cy = std::clamp(py, y0 + rad, y1 - rad);
  return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= rad * rad;
}

struct IconImage {
  int size;
  std::vector<uint8_t> index;  // palette index per pixel, top row first
  std::vector<uint8_t> opaque;
};

int nearestPaletteEntry(Rgb c) {
  int best = 1, bestD = 1 << 30;
  for (int i = 1; i < 16; ++i) {  // 0 is reserved for transparent pixels
    int dr = c.r - kIconPalette[i].r, dg = c.g - kIconPalette[i].g, db = c.b - kIconPalette[i].b;
    int d = 2 * dr * dr + 4 * dg * dg + db * db;  // rough perceptual weights
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

IconImage drawIcon(int n) {
  // Geometry in subpixel units: S subsamples per pixel.
  const long S = 8;
  const long N = n * S;
  const bool tiny = n < 24;
  const long margin = (n >= 32 ? (n / 24) : 0) * S;
  const long rad = N * 5 / 32;
  const long rim = std::max<long>(S, N / 24);
  const long cx = N / 2, cy = N / 2;
  const long dialR = N * 11 / 32;  // centre line of the dial ring
  const long ringHalf = tiny ? S / 2 : N / 36;
  const long handHalf = n <= 16 ? S : n <= 32 ? S * 5 / 4 : N / 32;
  long hx, hy, mx, my;
  if (tiny) {
    // Too few pixels for slanted hands: a 2-pixel-wide L on the pixel grid
    // (minute hand to 12, hour hand to 3) stays crisp and white.
    hx = cx + dialR * 60 / 100;
    hy = cy;
    mx = cx;
    my = cy - dialR * 80 / 100;
  } else {
    // Ten past ten: hour hand toward 10 o'clock, minute hand toward 2.
    const long hourLen = dialR * 55 / 100, minuteLen = dialR * 80 / 100;
    hx = cx - hourLen * 866 / 1000;
    hy = cy - hourLen * 500 / 1000;
    mx = cx + minuteLen * 766 / 1000;
    my = cy - minuteLen * 643 / 1000;
  }

  const Rgb panelTop{30, 40, 60}, panelBottom{12, 16, 26};
  const Rgb rimC{104, 126, 160}, dialC{96, 204, 240}, handC{246, 253, 255};

  IconImage img{n, std::vector<uint8_t>(n * n, 0), std::vector<uint8_t>(n * n, 0)};
  for (int py = 0; py < n; ++py)
    for (int px = 0; px < n; ++px) {
      long sr = 0, sg = 0, sb = 0, inside = 0;
      for (long sy = 0; sy < S; ++sy)
        for (long sx = 0; sx < S; ++sx) {
          long x = px * S + sx, y = py * S + sy;
          if (!inRoundRect(x, y, margin, margin, N - 1 - margin, N - 1 - margin, rad)) continue;
          ++inside;
          Rgb c = mix(panelTop, panelBottom, static_cast<int>(y), static_cast<int>(N));
          if (!inRoundRect(x, y, margin + rim, margin + rim, N - 1 - margin - rim, N - 1 - margin - rim,
                           std::max<long>(rad - rim, 0)))
            c = rimC;
          long d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
          long rIn = dialR - ringHalf, rOut = dialR + ringHalf;
          if (d2 >= rIn * rIn && d2 <= rOut * rOut) c = dialC;
          if (nearSegment(x, y, cx, cy, hx, hy, handHalf) || nearSegment(x, y, cx, cy, mx, my, handHalf)) c = handC;
          sr += c.r;
          sg += c.g;
          sb += c.b;
        }
      size_t i = static_cast<size_t>(py) * n + px;
      // The mask is one bit: a pixel is shown when most of it is panel.
      if (inside * 2 >= S * S) {
        Rgb avg{static_cast<int>(sr / inside), static_cast<int>(sg / inside), static_cast<int>(sb / inside)};
        img.index[i] = static_cast<uint8_t>(nearestPaletteEntry(avg));
        img.opaque[i] = 1;
      }
    }
  return img;
}

Bytes encodeIconImage(const IconImage& im) {
  const int n = im.size;
  const int xorRow = ((n * 4 + 31) / 32) * 4;
  const int andRow = ((n + 31) / 32) * 4;
  Bytes out;
  out.u32(40);
  out.i32(n);
  out.i32(2 * n);  // XOR image and AND mask stacked
  out.u16(1);
  out.u16(4);
  out.u32(0);
  out.u32(static_cast<uint32_t>((xorRow + andRow) * n));
  out.i32(0);
  out.i32(0);
  out.u32(0);
  out.u32(0);
  for (const Rgb& c : kIconPalette) {
    out.u8(c.b);
    out.u8(c.g);
    out.u8(c.r);
    out.u8(0);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(xorRow, 0);
    for (int x = 0; x < n; ++x) row[x / 2] = static_cast<uint8_t>(row[x / 2] | im.index[y * n + x] << (x % 2 ? 0 : 4));
    for (uint8_t v : row) out.u8(v);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(andRow, 0);
    for (int x = 0; x < n; ++x)
      if (!im.opaque[y * n + x]) row[x / 8] |= 0x80 >> (x % 8);
    for (uint8_t v : row) out.u8(v);
  }
  return out;
}

Bytes makeIcon() {
  const int sizes[3] = {32, 16, 48};
  std::vector<Bytes> images;
  for (int n : sizes) images.push_back(encodeIconImage(drawIcon(n)));

  Bytes out;
  out.u16(0);
  out.u16(1);
  out.u16(3);
  uint32_t offset = 6 + 16 * 3;
  for (int i = 0; i < 3; ++i) {
    out.u8(static_cast<unsigned>(sizes[i]));
    out.u8(static_cast<unsigned>(sizes[i]));
    out.u8(16);
    out.u8(0);
    out.u16(1);
    out.u16(4);
    out.u32(static_cast<uint32_t>(images[i].b.size()));
    out.u32(offset);
    offset += static_cast<uint32_t>(images[i].b.size());
  }
  for (const Bytes& im : images) out.b.insert(out.b.end(), im.b.begin(), im.b.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUTDIR [FONTFILE]\n(default font: %s)\n", argc > 0 ? argv[0] : "gen_assets",
                 kDefaultFont);
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  const std::string fontPath = argc == 3 ? argv[2] : kDefaultFont;
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fontPath, ec))
      throw std::runtime_error("font file not found: " + fontPath +
                               " (install fonts-ipaexfont-gothic or pass a font path)");
    std::filesystem::create_directories(outDir, ec);
    if (!std::filesystem::is_directory(outDir))
      throw std::runtime_error("cannot create output directory " + outDir.string());

    Font font(fontPath);
    writeFile(outDir / "KL_Figs.dat", makeFigureSheet(font));
    writeFile(outDir / "KL_Face.bmp", makeFace());
    writeFile(outDir / "Horlin.ico", makeIcon());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gen_assets: %s\n", e.what());
    return 1;
  }
  return 0;
}
