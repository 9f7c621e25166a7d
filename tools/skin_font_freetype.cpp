// Glyphs from FreeType: each size hinted and anti-aliased by FreeType itself.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <stdexcept>

#include "skin_font.h"

namespace {

class FreeTypeFont : public Font {
 public:
  explicit FreeTypeFont(const std::string& path) : path_(path) {
    if (FT_Init_FreeType(&lib_)) throw std::runtime_error("cannot initialise FreeType");
    if (FT_New_Face(lib_, path.c_str(), 0, &face_)) {
      FT_Done_FreeType(lib_);
      throw std::runtime_error("cannot read the font file " + path + " (a TrueType or OpenType font is needed)");
    }
  }
  ~FreeTypeFont() override {
    FT_Done_Face(face_);
    FT_Done_FreeType(lib_);
  }
  FreeTypeFont(const FreeTypeFont&) = delete;
  FreeTypeFont& operator=(const FreeTypeFont&) = delete;

 protected:
  std::vector<Piece> Pieces(const std::u32string& text, const Style& st, const char* what) override {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(st.pixelSize)))
      throw std::runtime_error("the font " + path_ + " cannot be scaled");
    FT_Matrix m{st.widen * 64, 0, 0, 0x10000};
    FT_Set_Transform(face_, &m, nullptr);

    std::vector<Piece> pieces;
    long pen = 0;  // 26.6
    for (char32_t cp : text) {
      FT_UInt gi = FT_Get_Char_Index(face_, cp);
      if (gi == 0) throw std::runtime_error(MissingGlyph(path_, cp, what));
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
    return pieces;
  }

 private:
  std::string path_;
  FT_Library lib_ = nullptr;
  FT_Face face_ = nullptr;
};

}  // namespace

std::unique_ptr<Font> OpenFont(const FontChoice& choice) {
  if (choice.file.empty())
    throw std::runtime_error("--font-name " + choice.family +
                             ": installed font families are looked up on Windows only; give the font file with --font");
  return std::unique_ptr<Font>(new FreeTypeFont(choice.file));
}

FontChoice DefaultFont() { return FontChoice{"/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf", ""}; }
