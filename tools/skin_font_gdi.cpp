// Glyphs from GDI: GetGlyphOutlineW renders each glyph anti-aliased (65
// levels) at the size asked for. A font file is loaded for this process only
// (AddFontResourceExW with FR_PRIVATE) and used by the family name its name
// table gives; an installed family is used by name. GDI has no emboldening of
// its own, so the heavier strokes are the coverage widened by the stroke
// weight, half on each side, as the outline emboldening does on Linux.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "skin_font.h"

#include "gdi_owners.h"
#include "wide_text.h"

namespace {

uint32_t Be16(const std::vector<uint8_t>& b, size_t at) { return at + 2 <= b.size() ? b[at] << 8 | b[at + 1] : 0; }
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }

// Where the name table of the first font in a TrueType or OpenType file or
// collection starts; 0 when there is none.
size_t NameTableAt(const std::vector<uint8_t>& b) {
  size_t font = 0;
  if (Be32(b, 0) == 0x74746366) font = Be32(b, 12);  // 'ttcf': the collection's first font
  const uint32_t tables = Be16(b, font + 4);
  for (uint32_t i = 0; i < tables; ++i)
    if (Be32(b, font + 12 + 16 * i) == 0x6E616D65) return Be32(b, font + 12 + 16 * i + 8);  // 'name'
  return 0;
}

// Every family name (name ID 1) in a name table, in every language: Windows
// names a family in the user's language where the font has that name. The
// US English Windows name comes first, then other Windows names, then the
// Macintosh ones.
std::vector<std::wstring> FamilyNames(const std::vector<uint8_t>& b, size_t name) {
  const uint32_t count = Be16(b, name + 2), strings = name + Be16(b, name + 4);
  std::vector<std::pair<int, std::wstring>> found;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t r = name + 6 + 12 * i;
    const uint32_t platform = Be16(b, r), language = Be16(b, r + 4), id = Be16(b, r + 6);
    const uint32_t length = Be16(b, r + 8), at = strings + Be16(b, r + 10);
    if (id != 1 || at + length > b.size() || (platform != 3 && platform != 1)) continue;
    std::wstring text;
    if (platform == 3) {
      for (uint32_t j = 0; j + 1 < length; j += 2) text += static_cast<wchar_t>(Be16(b, at + j));
    } else {
      for (uint32_t j = 0; j < length; ++j) text += static_cast<wchar_t>(b[at + j]);
    }
    found.emplace_back(platform == 3 ? (language == 0x409 ? 0 : 1) : 2, text);
  }
  std::stable_sort(
      found.begin(), found.end(),
      [](const std::pair<int, std::wstring>& a, const std::pair<int, std::wstring>& z) { return a.first < z.first; });
  std::vector<std::wstring> names;
  names.reserve(found.size());
  for (const auto& f : found) names.push_back(f.second);
  return names;
}

// Widens coverage along one axis by `grow` (1/64 px) in all, half on each
// side: each pixel takes the largest value of the linearly interpolated
// coverage within half the growth of it. `pad` gets the pixels added on each
// side.
Gray Grow(const Gray& g, int grow, bool across, int* pad) {
  const int half = grow / 2, p = (half + 63) / 64;
  *pad = p;
  if (half == 0) return g;
  const int n = across ? g.w : g.h, lines = across ? g.h : g.w;
  Gray out(across ? g.w + 2 * p : g.w, across ? g.h : g.h + 2 * p);
  for (int line = 0; line < lines; ++line) {
    const auto in = [&](long i) -> int {
      if (i < 0 || i >= n) return 0;
      return across ? g.At(static_cast<int>(i), line) : g.At(line, static_cast<int>(i));
    };
    // Coverage at a position in 1/64 px, linear between pixel centres.
    const auto at = [&](long pos) {
      const long i = pos >= 0 ? pos / 64 : -((-pos + 63) / 64);
      const long f = pos - 64 * i;
      return static_cast<int>((in(i) * (64 - f) + in(i + 1) * f + 32) / 64);
    };
    for (int o = 0; o < n + 2 * p; ++o) {
      const long centre = 64L * (o - p);
      int v = std::max(at(centre - half), at(centre + half));
      for (long i = (centre - half) / 64 - 1; i <= (centre + half) / 64 + 1; ++i)
        if (64 * i > centre - half && 64 * i < centre + half) v = std::max(v, in(i));
      (across ? out.At(o, line) : out.At(line, o)) = static_cast<uint8_t>(v);
    }
  }
  return out;
}

class GdiFont : public Font {
 public:
  explicit GdiFont(const FontChoice& choice) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ == nullptr) throw std::runtime_error("cannot create a device context for the font");
    if (!choice.file.empty()) {
      name_ = choice.file;
      file_ = wide::FromUtf8(choice.file);
      std::ifstream in(std::filesystem::u8path(choice.file), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const size_t table = NameTableAt(bytes);
      const std::vector<std::wstring> names = table != 0 ? FamilyNames(bytes, table) : std::vector<std::wstring>();
      if (!names.empty()) family_ = names.front();
      if (family_.empty() || AddFontResourceExW(file_.c_str(), FR_PRIVATE, nullptr) == 0) {
        file_.clear();
        Close();
        throw std::runtime_error("cannot read the font file " + name_ + " (a TrueType or OpenType font is needed)");
      }
      Use(family_, "Windows does not use the font file " + name_ + " by its family name");
    } else if (!choice.family.empty()) {
      name_ = choice.family;
      family_ = wide::FromUtf8(choice.family);
      Use(family_, "no font family named \"" + choice.family + "\" is installed");
    } else {
      // Yu Gothic from Windows 8.1 on, Meiryo from Vista, MS Gothic always;
      // IPAex Gothic where it is installed (as Wine may find it on its host).
      for (const wchar_t* f :
           {L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic", L"MS Gothic", L"IPAexGothic"}) {
        if (Installed(f)) {
          family_ = f;
          break;
        }
      }
      if (family_.empty()) {
        Close();
        throw std::runtime_error("no Japanese font family is installed; give one with --font FILE or --font-name NAME");
      }
      name_ = wide::ToUtf8(family_);
    }
  }
  ~GdiFont() override { Close(); }
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;

 protected:
  std::vector<Piece> Pieces(const std::u32string& text, const Style& st, const char* what) override {
    const gdi::Owned<HFONT> font(Create(st.pixelSize, family_));
    if (font.Get() == nullptr) throw std::runtime_error("the font " + name_ + " cannot be scaled");
    const gdi::Selected selected(dc_, font.Get());
    return Glyphs(text, st, what);
  }

 private:
  std::vector<Piece> Glyphs(const std::u32string& text, const Style& st, const char* what) {
    std::wstring units;
    for (char32_t cp : text) units += static_cast<wchar_t>(cp);  // every glyph the clock needs is in the BMP
    std::vector<WORD> index(units.size());
    if (GetGlyphIndicesW(dc_, units.c_str(), static_cast<int>(units.size()), index.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
      throw std::runtime_error("cannot look up glyphs in the font " + name_);
    // The horizontal widening as a transform; 1/1024 steps are exact in 16.16.
    MAT2 m{};
    m.eM11.value = static_cast<short>(st.widen / 1024);
    m.eM11.fract = static_cast<WORD>((st.widen % 1024) * 64);
    m.eM22.value = 1;

    std::vector<Piece> pieces;
    long pen = 0;  // 26.6, as the advances add up
    for (size_t i = 0; i < units.size(); ++i) {
      if (index[i] == 0xFFFF) throw std::runtime_error(MissingGlyph(name_, text[i], what));
      GLYPHMETRICS gm{};
      const UINT format = GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX;
      const DWORD size = GetGlyphOutlineW(dc_, index[i], format, &gm, 0, nullptr, &m);
      if (size == GDI_ERROR) throw std::runtime_error("cannot render the glyph " + Hex(text[i]));
      std::vector<BYTE> levels(size);
      if (size > 0 && GetGlyphOutlineW(dc_, index[i], format, &gm, size, levels.data(), &m) == GDI_ERROR)
        throw std::runtime_error("cannot render the glyph " + Hex(text[i]));
      Gray g(size > 0 ? static_cast<int>(gm.gmBlackBoxX) : 0, size > 0 ? static_cast<int>(gm.gmBlackBoxY) : 0);
      const size_t pitch = (static_cast<size_t>(g.w) + 3) & ~size_t{3};  // rows are DWORD aligned
      for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
          g.At(x, y) = static_cast<uint8_t>((std::min<int>(levels[y * pitch + x], 64) * 255 + 32) / 64);
      int padX = 0, padY = 0;
      g = Grow(Grow(g, st.emboldenX, true, &padX), st.emboldenY, false, &padY);
      pieces.push_back(
          Piece{g, static_cast<int>((pen + 32) >> 6) + gm.gmptGlyphOrigin.x - padX, gm.gmptGlyphOrigin.y + padY});
      // Emboldened text needs its advance widened too, or neighbours collide.
      pen += 64L * gm.gmCellIncX + st.emboldenX;
    }
    return pieces;
  }

  static HFONT Create(int pixelSize, const std::wstring& family) {
    // A negative height asks for the em, as FreeType's pixel size does.
    return CreateFontW(-pixelSize, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family.c_str());
  }

  // True when GDI gives this family itself rather than a substitute: the
  // name table of the font it selects names the family, in some language.
  bool Installed(const std::wstring& family) {
    const gdi::Owned<HFONT> font(Create(16, family));
    if (font.Get() == nullptr) return false;
    std::vector<uint8_t> table;
    {
      const gdi::Selected selected(dc_, font.Get());
      constexpr DWORD kNameTag = 0x656D616E;  // 'name', its bytes in file order
      const DWORD size = GetFontData(dc_, kNameTag, 0, nullptr, 0);
      table.resize(size != GDI_ERROR ? size : 0);
      if (!table.empty() && GetFontData(dc_, kNameTag, 0, table.data(), size) != size) table.clear();
    }
    for (const std::wstring& name : table.empty() ? std::vector<std::wstring>() : FamilyNames(table, 0))
      if (lstrcmpiW(name.c_str(), family.c_str()) == 0) return true;
    return false;
  }

  // Refuses, in the words given, a family GDI would substitute.
  void Use(const std::wstring& family, const std::string& refused) {
    if (!Installed(family)) {
      Close();
      throw std::runtime_error(refused);
    }
  }

  void Close() {
    if (!file_.empty()) RemoveFontResourceExW(file_.c_str(), FR_PRIVATE, nullptr);
    file_.clear();
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
  }

  HDC dc_;
  std::wstring file_;    // the file loaded for this process, if any
  std::wstring family_;  // the family CreateFontW asks for
  std::string name_;     // the font as the user named it, for messages
};

}  // namespace

std::unique_ptr<Font> OpenFont(const FontChoice& choice) { return std::unique_ptr<Font>(new GdiFont(choice)); }

FontChoice DefaultFont() { return FontChoice{}; }
