// Glyphs as coverage images, from the platform's own font rendering: FreeType
// on Linux, GDI on Windows. Both give the same geometry for the same style
// (pixel size of the em, stroke weight, widening); the rasterisers' pixels
// may differ.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  bool hint;      // light auto-hinting: crisper stems at small sizes (FreeType)
};

// Which font: a file, or (Windows) an installed family.
struct FontChoice {
  std::string file;  // UTF-8 path; empty when a family is named
  std::string family;
};

class Font {
 public:
  virtual ~Font() = default;
  // Renders a left-to-right run of code points and crops it to its ink;
  // `what` names the glyphs in messages. Throws std::runtime_error with a
  // plain message; a missing glyph names the character and what needs it.
  Ink Render(const std::u32string& text, const Style& st, const char* what);

 protected:
  // One glyph's coverage, placed relative to the pen on the baseline.
  struct Piece {
    Gray img;
    int left, top;  // columns right of the pen's pixel, rows above the baseline
  };
  virtual std::vector<Piece> Pieces(const std::u32string& text, const Style& st, const char* what) = 0;
  // The message for a code point the font has no glyph for.
  static std::string MissingGlyph(const std::string& font, char32_t cp, const char* what);
  static std::string Hex(char32_t cp);
};

// Throws std::runtime_error when the font cannot be opened.
std::unique_ptr<Font> OpenFont(const FontChoice& choice);

// The font when none is named: IPAex Gothic's file on Linux; on Windows the
// first installed of the system's Japanese families.
FontChoice DefaultFont();
