// Making a skin: the figure sheet rendered from a font, the face and its ink
// band painted from colours (or taken from a picture), and the program's
// icon. Integer arithmetic only, so the same look gives the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
  int r, g, b;
};

// Linear blend of two colours, t in 0..den.
inline Rgb Mix(Rgb a, Rgb b, int t, int den) {
  return {a.r + (b.r - a.r) * t / den, a.g + (b.g - a.g) * t / den, a.b + (b.b - a.b) * t / den};
}

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

// What a skin looks like. Left at their defaults, the fields give the
// clock's own artwork.
struct SkinLook {
  std::string font = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";
  enum class Face { Panel, Gradient, Picture } face = Face::Panel;
  Rgb faceTop{}, faceBottom{};  // Gradient: top and bottom row of the face
  std::string facePicture;      // Picture: a BMP 360 pixels wide, 60 or more high
  enum class Ink { Ramp, Gradient } ink = Ink::Ramp;
  Rgb inkTop{}, inkBottom{};  // Gradient (equal for one colour): glyph tops to feet
  int digitWeight = 100;      // stroke weight of the digits, percent of the default
  int digitSize = 100;        // size of the digits, percent of the default
};

// The 20,240 bytes of KL_Figs.dat. Glyphs too large for their cells are drawn
// smaller until they fit; each such step adds a line to `notes`. Throws
// std::runtime_error with a plain message (a missing glyph names the
// character and what needs it).
std::vector<uint8_t> MakeFigureSheet(const SkinLook& look, std::vector<std::string>* notes);

// The 360 x 120 skin, top row first: the face above, the ink band below.
// Throws std::runtime_error when the face picture cannot be used.
std::vector<Rgb> MakeSkinPixels(const SkinLook& look);

// Horlin.ico: the program's icon.
std::vector<uint8_t> MakeIcon();
