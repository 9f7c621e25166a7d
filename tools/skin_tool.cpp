// horlin-skin: makes and checks skins for the clock.
//
//   horlin-skin make OUTDIR [options]   KL_Face.bmp, KL_Figs.dat and preview.png
//   horlin-skin check DIR               is this skin one the clock shows correctly?
//   horlin-skin preview DIR OUT.png     the four layouts of an existing skin
//
// make (and preview) need the font renderer and the clock body's painting
// over the Linux stand-in, so they exist in the Linux build only; check runs
// on Windows as well.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "skin_check.h"

#if HORLIN_SKIN_MAKE
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "FaceTables.h"
#include "pixolan.h"
#include "skin_art.h"
#include "skin_preview.h"
#endif

namespace {

const char kUsage[] =
    "usage:\n"
    "  horlin-skin make OUTDIR [options]   writes OUTDIR/KL_Face.bmp, KL_Figs.dat and preview.png\n"
    "      --font FILE              TrueType or OpenType font with Japanese glyphs (default: IPAex Gothic)\n"
    "      --face COLOUR[,COLOUR]   the face as one colour or a gradient from top to bottom\n"
    "      --face-bmp FILE          the face from the top 60 rows of a BMP 360 pixels wide\n"
    "      --ink COLOUR[,COLOUR]    the glyphs in one colour or a gradient from their tops to their feet\n"
    "      --digit-weight PERCENT   stroke weight of the digits (default 100)\n"
    "      --digit-size PERCENT     size of the digits (default 100; digits too large for their cells shrink)\n"
    "      --icon                   also write OUTDIR/Horlin.ico, the program's icon\n"
    "      --no-preview             leave out preview.png\n"
    "    COLOUR is #RRGGBB. Without --face and --ink: the clock's own look.\n"
    "  horlin-skin check DIR             checks DIR/KL_Face.bmp and DIR/KL_Figs.dat; exit code 0 when the\n"
    "                                    clock shows the skin correctly\n"
    "  horlin-skin preview DIR OUT.png   the skin in its four corner layouts\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Prints the findings; true when none is a fault.
bool Report(const std::string& dir, const std::vector<SkinFinding>& findings) {
  int faults = 0;
  for (const SkinFinding& f : findings) {
    std::printf("%s: %s\n", f.fault ? "problem" : "note", f.text.c_str());
    faults += f.fault;
  }
  if (faults == 0) {
    std::printf("%s: the clock shows this skin correctly\n", dir.c_str());
  } else {
    std::printf("%s: %d problem%s; the clock would refuse this skin or show it wrongly\n", dir.c_str(), faults,
                faults == 1 ? "" : "s");
  }
  return faults == 0;
}

#if HORLIN_SKIN_MAKE

bool ParseColour(const std::string& text, Rgb* out) {
  if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
    return false;
  const long v = std::strtol(text.c_str() + 1, nullptr, 16);
  *out = {static_cast<int>(v >> 16), static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0xFF)};
  return true;
}

// "COLOUR" or "COLOUR,COLOUR".
bool ParseColours(const std::string& text, Rgb* first, Rgb* second) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return ParseColour(text, first) && ParseColour(text, second);
  return ParseColour(text.substr(0, comma), first) && ParseColour(text.substr(comma + 1), second);
}

bool ParsePercent(const char* text, int* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 25 || v > 400) return false;
  *out = static_cast<int>(v);
  return true;
}

void SaveBytes(const std::filesystem::path& path, const std::vector<uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The skin as a 24-bit BMP, written by the library the clock reads it with.
void SaveSkin(const std::filesystem::path& path, const std::vector<Rgb>& pixels) {
  const int w = kFaceWidth, h = static_cast<int>(pixels.size()) / w;
  ZEMADisplayFCDIB skin(LibraryVersion, nullptr, nullptr, w, h, 3, 3780, 3780, LANGUAGE_ENGLISH);  // 96 dpi
  const long stride = (w * 3 + 3) & ~3L;
  for (int y = 0; y < h && skin.ErrorCode == ERR_NONE; ++y) {
    unsigned char* row = skin.Bits + (h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      const Rgb& c = pixels[static_cast<size_t>(y) * w + x];
      row[3 * x] = static_cast<unsigned char>(c.b);
      row[3 * x + 1] = static_cast<unsigned char>(c.g);
      row[3 * x + 2] = static_cast<unsigned char>(c.r);
    }
  }
  std::string name = path.string();
  if (skin.ErrorCode != ERR_NONE || skin.SaveImage(&name[0], 1) != ERR_NONE)
    throw std::runtime_error("cannot write " + name + ": " + skin.GetErrorMessage());
}

int Make(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::filesystem::path outDir = argv[2];
  SkinLook look;
  bool icon = false, preview = true;
  for (int i = 3; i < argc; ++i) {
    const std::string opt = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (opt == "--icon") {
      icon = true;
    } else if (opt == "--no-preview") {
      preview = false;
    } else if (value == nullptr) {
      std::fprintf(stderr, "horlin-skin: %s needs a value\n", opt.c_str());
      return Usage();
    } else if (opt == "--font") {
      look.font = argv[++i];
    } else if (opt == "--face") {
      if (!ParseColours(argv[++i], &look.faceTop, &look.faceBottom)) return Usage();
      look.face = SkinLook::Face::Gradient;
    } else if (opt == "--face-bmp") {
      look.facePicture = argv[++i];
      look.face = SkinLook::Face::Picture;
    } else if (opt == "--ink") {
      if (!ParseColours(argv[++i], &look.inkTop, &look.inkBottom)) return Usage();
      look.ink = SkinLook::Ink::Gradient;
    } else if (opt == "--digit-weight") {
      if (!ParsePercent(argv[++i], &look.digitWeight)) return Usage();
    } else if (opt == "--digit-size") {
      if (!ParsePercent(argv[++i], &look.digitSize)) return Usage();
    } else {
      std::fprintf(stderr, "horlin-skin: unknown option %s\n", opt.c_str());
      return Usage();
    }
  }
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(look.font, ec))
      throw std::runtime_error("font file not found: " + look.font +
                               " (install fonts-ipaexfont-gothic or give one with --font)");
    std::vector<std::string> notes;
    const std::vector<uint8_t> sheet = MakeFigureSheet(look, &notes);
    const std::vector<Rgb> skin = MakeSkinPixels(look);
    std::filesystem::create_directories(outDir, ec);
    if (!std::filesystem::is_directory(outDir)) throw std::runtime_error("cannot create the folder " + outDir.string());
    SaveBytes(outDir / "KL_Figs.dat", sheet);
    SaveSkin(outDir / "KL_Face.bmp", skin);
    if (icon) SaveBytes(outDir / "Horlin.ico", MakeIcon());
    for (const std::string& n : notes) std::printf("note: %s\n", n.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "horlin-skin: %s\n", e.what());
    return 1;
  }
  if (preview && !WritePreview(outDir.string(), (outDir / "preview.png").string())) return 1;
  return Report(outDir.string(), CheckSkin(outDir.string())) ? 0 : 1;
}

#endif

}  // namespace

int main(int argc, char** argv) {
  const char* command = argc > 1 ? argv[1] : "";
  if (std::strcmp(command, "check") == 0) {
    if (argc != 3) return Usage();
    return Report(argv[2], CheckSkin(argv[2])) ? 0 : 1;
  }
  if (std::strcmp(command, "make") == 0 || std::strcmp(command, "preview") == 0) {
#if HORLIN_SKIN_MAKE
    if (command[0] == 'm') return Make(argc, argv);
    if (argc != 4) return Usage();
    return WritePreview(argv[2], argv[3]) ? 0 : 1;
#else
    std::fprintf(stderr, "horlin-skin: %s is available in the Linux build only; check works here\n", command);
    return 2;
#endif
  }
  return Usage();
}
