// Making a skin: the figure sheet rendered from a font, the face and its ink
// band painted from colours (or taken from a picture), and the program's
// icon. Each artwork size k (1 to 4) is drawn at that size. Integer
// arithmetic only, so the same look gives the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin_font.h"
#include "skin_picture.h"

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
  FontChoice font;  // the default: IPAex Gothic on Linux, an installed Japanese family on Windows
  enum class Face { Panel, Gradient, Picture } face = Face::Panel;
  Rgb faceTop{}, faceBottom{};  // Gradient: top and bottom row of the face
  enum class Ink { Ramp, Gradient } ink = Ink::Ramp;
  Rgb inkTop{}, inkBottom{};  // Gradient (equal for one colour): glyph tops to feet
  int digitWeight = 100;      // stroke weight of the digits, percent of the default
  int digitSize = 100;        // size of the digits, percent of the default
};

// The bytes of KL_Figs.dat at size k (KL_Figs@kx.dat). Glyphs too large for
// their cells are drawn smaller until they fit; each such step adds a line
// to `notes`. Throws std::runtime_error with a plain message (a missing glyph
// names the character and what needs it).
std::vector<uint8_t> MakeFigureSheet(Font& font, const SkinLook& look, int k, std::vector<std::string>* notes);

// The part of a w x h picture that becomes the face: the largest rectangle
// of the face's shape (6:1) around the picture's centre.
struct FaceCrop {
  int x, y, w, h;
};
FaceCrop CropToFace(int w, int h);

// The 360k x 120k skin, top row first: the face above, the ink band below.
// A picture face (look.face Picture) is `picture` cropped by CropToFace and
// brought to the size by the library's area averaging.
std::vector<Rgb> MakeSkinPixels(const SkinLook& look, const Picture* picture, int k);

// Horlin.ico: the program's icon.
std::vector<uint8_t> MakeIcon();
