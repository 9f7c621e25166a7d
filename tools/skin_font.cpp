// What both font backends share: the union of a run's glyphs, cropped to its
// ink, and the message for a missing glyph.
#include "skin_font.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

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

Ink Crop(const Gray& g, int baseline, const char* what) {
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

}  // namespace

std::string Font::Hex(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

std::string Font::MissingGlyph(const std::string& font, char32_t cp, const char* what) {
  return "the font " + font + " has no glyph for " + Utf8(cp) + " (" + Hex(cp) + "), needed for the " + what +
         (cp >= 0x3000 ? ": choose a font with Japanese glyphs, such as IPAex Gothic" : "");
}

Ink Font::Render(const std::u32string& text, const Style& st, const char* what) {
  const std::vector<Piece> pieces = Pieces(text, st, what);
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
