// horlin-skin: makes, checks and previews skins for the clock.
//
//   horlin-skin make OUTDIR [options]   KL_Face.bmp, KL_Figs.dat, their 2x to 4x
//                                       sizes and preview.png
//   horlin-skin check DIR               is this skin one the clock shows correctly?
//   horlin-skin preview DIR OUT.png     the four layouts of an existing skin
//
// The same options and output on Linux and Windows; only the font renderer
// and the picture formats come from the system.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "FaceTables.h"
#include "pixolan.h"
#include "skin_art.h"
#include "skin_check.h"
#include "skin_picture.h"
#include "skin_preview.h"
#include "skin_system.h"

namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "usage:\n"
    "  horlin-skin make OUTDIR [options]   writes OUTDIR/KL_Face.bmp, KL_Figs.dat, the same at 2x, 3x and 4x\n"
    "                                      (KL_Face@2x.bmp, KL_Figs@2x.dat, ...) and preview.png\n"
    "      --font FILE              TrueType or OpenType font with Japanese glyphs (default: IPAex Gothic;\n"
    "                               on Windows an installed Japanese family)\n"
    "      --font-name NAME         an installed font family, such as \"Yu Gothic UI\" (Windows)\n"
    "      --face COLOUR[,COLOUR]   the face as one colour or a gradient from top to bottom\n"
    "      --face-image FILE        the face from a picture (PNG or BMP; on Windows also JPEG, GIF, TIFF),\n"
    "                               cut to the face's 6:1 shape around its centre\n"
    "      --face-bmp FILE          the face from the top 60 rows of a BMP 360 pixels wide\n"
    "      --ink COLOUR[,COLOUR]    the glyphs in one colour or a gradient from their tops to their feet\n"
    "      --digit-weight PERCENT   stroke weight of the digits (default 100)\n"
    "      --digit-size PERCENT     size of the digits (default 100; digits too large for their cells shrink)\n"
    "      --icon                   also write OUTDIR/Horlin.ico, the program's icon\n"
    "      --no-preview             leave out preview.png\n"
    "    COLOUR is #RRGGBB. Without --face and --ink: the clock's own look.\n"
    "  horlin-skin check DIR             checks DIR/KL_Face.bmp and DIR/KL_Figs.dat and every larger size\n"
    "                                    there; exit code 0 when the clock shows the skin correctly\n"
    "  horlin-skin preview DIR OUT.png [--scale K | --dpi DPI[,DPI...]]\n"
    "                                    the skin in its four corner layouts, at artwork size K (1 to 4), or\n"
    "                                    as the clock shows it on displays of those DPIs (96 is 100 %),\n"
    "                                    side by side\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "horlin-skin: %s\n", why.c_str());
  return 1;
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

bool ParseNumber(const std::string& text, int low, int high, int* out) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

void SaveBytes(const std::string& name, const std::vector<uint8_t>& data) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("cannot write " + name);
}

// The skin as a 24-bit BMP, written by the library the clock reads it with.
void SaveSkin(const std::string& name, const std::vector<Rgb>& pixels, int k) {
  const int w = kFaceWidth * k, h = static_cast<int>(pixels.size()) / w;
  // 96 dpi at 1x, the larger sizes for displays k times as dense.
  ZEMADisplayFCDIB skin(LibraryVersion, nullptr, nullptr, static_cast<unsigned>(w), static_cast<unsigned>(h), 3,
                        3780L * k, 3780L * k, LANGUAGE_ENGLISH);
  const pixolan::PixelRows rows = pixolan::PixelRows::Of(skin);
  for (int y = 0; y < h && skin.ErrorCode == ERR_NONE; ++y) {
    unsigned char* row = rows.Row(y);
    for (int x = 0; x < w; ++x) {
      const Rgb& c = pixels[static_cast<size_t>(y) * w + x];
      row[3 * x] = static_cast<unsigned char>(c.b);
      row[3 * x + 1] = static_cast<unsigned char>(c.g);
      row[3 * x + 2] = static_cast<unsigned char>(c.r);
    }
  }
  std::string file = name;
  if (skin.ErrorCode != ERR_NONE || skin.SaveImage(&file[0], 1) != ERR_NONE)
    throw std::runtime_error("cannot write " + name + ": " + skin.GetErrorMessage());
}

// What a picture face keeps of the picture, in words.
std::string CropNote(const std::string& name, int w, int h) {
  const FaceCrop c = CropToFace(w, h);
  std::string note = "the face picture " + name + " is " + std::to_string(w) + " x " + std::to_string(h);
  if (c.w == w && c.h == h) return note + ", the face's shape: nothing cut off";
  note += "; the face is its middle " + std::to_string(c.w) + " x " + std::to_string(c.h) + ", ";
  if (c.w < w)
    return note + std::to_string(c.x) + " columns cut off on the left and " + std::to_string(w - c.w - c.x) +
           " on the right";
  return note + std::to_string(c.y) + " rows cut off at the top and " + std::to_string(h - c.h - c.y) +
         " at the bottom";
}

// The files of a skin, made in memory before anything is written.
struct SkinFiles {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> bytes;
  std::vector<std::pair<int, std::vector<Rgb>>> faces;  // size k, pixels
};

// Writes the skin into a new folder inside OUTDIR, checks and previews it
// there, and only then moves the files into OUTDIR; on a failure nothing of
// it is left behind, and a folder made for it goes again.
std::vector<SkinFinding> WriteSkin(const fs::path& outDir, const SkinFiles& files, bool preview) {
  std::error_code ec;
  const bool made = !fs::exists(outDir, ec);
  fs::create_directories(outDir, ec);
  if (!fs::is_directory(outDir, ec)) throw std::runtime_error("cannot create the folder " + outDir.u8string());
  const fs::path work = outDir / (".horlin-skin-new-" + std::to_string(std::random_device{}()));
  try {
    fs::create_directory(work);
    std::vector<std::string> names;
    std::vector<SkinFinding> findings;
    {
      const InFolder in(work.u8string());
      for (const auto& f : files.bytes) {
        SaveBytes(f.first, f.second);
        names.push_back(f.first);
      }
      for (const auto& f : files.faces) {
        names.push_back(ArtFileName(kFaceFile, f.first));
        SaveSkin(names.back(), f.second, f.first);
      }
      findings = CheckSkin(".");
    }
    if (preview) {
      WritePreview(work.u8string(), (work / "preview.png").u8string(), 1);
      names.push_back("preview.png");
    }
    for (const std::string& name : names) {
      fs::remove(outDir / name);  // a rename onto an existing file fails on Windows
      fs::rename(work / name, outDir / name);
    }
    fs::remove(work);
    return findings;
  } catch (const std::exception&) {
    fs::remove_all(work, ec);
    if (made) fs::remove_all(outDir, ec);
    throw;
  }
}

int Make(const std::vector<std::string>& args) {
  if (args.size() < 3 || args[2].rfind("--", 0) == 0) return Usage();
  const std::string& outDir = args[2];
  SkinLook look;
  look.font = DefaultFont();
  std::string faceImage, faceBmp;
  bool icon = false, preview = true;
  for (size_t i = 3; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (opt == "--icon") {
      icon = true;
      continue;
    }
    if (opt == "--no-preview") {
      preview = false;
      continue;
    }
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "horlin-skin: %s needs a value\n", opt.c_str());
      return Usage();
    }
    const std::string& value = args[++i];
    if (opt == "--font") {
      look.font = FontChoice{value, ""};
    } else if (opt == "--font-name") {
      look.font = FontChoice{"", value};
    } else if (opt == "--face") {
      if (!ParseColours(value, &look.faceTop, &look.faceBottom)) return Usage();
      look.face = SkinLook::Face::Gradient;
    } else if (opt == "--face-image" || opt == "--face-bmp") {
      (opt == "--face-bmp" ? faceBmp : faceImage) = value;
      look.face = SkinLook::Face::Picture;
    } else if (opt == "--ink") {
      if (!ParseColours(value, &look.inkTop, &look.inkBottom)) return Usage();
      look.ink = SkinLook::Ink::Gradient;
    } else if (opt == "--digit-weight") {
      if (!ParseNumber(value, 25, 400, &look.digitWeight)) return Usage();
    } else if (opt == "--digit-size") {
      if (!ParseNumber(value, 25, 400, &look.digitSize)) return Usage();
    } else {
      std::fprintf(stderr, "horlin-skin: unknown option %s\n", opt.c_str());
      return Usage();
    }
  }
  if (!faceImage.empty() && !faceBmp.empty())
    return Fail("give the face picture with --face-image or --face-bmp, not both");

  std::vector<std::string> notes;
  std::vector<SkinFinding> findings;
  try {
    std::error_code ec;
    if (!look.font.file.empty() && !fs::is_regular_file(PathOf(look.font.file), ec))
      throw std::runtime_error("font file not found: " + look.font.file +
                               " (install fonts-ipaexfont-gothic or give one with --font)");
    Picture picture;
    if (!faceImage.empty()) {
      picture = ReadPicture(faceImage);
      notes.push_back(CropNote(faceImage, picture.w, picture.h));
    } else if (!faceBmp.empty()) {
      picture = ReadFaceBmp(faceBmp);
    }
    const std::unique_ptr<Font> font = OpenFont(look.font);
    SkinFiles files;
    for (int k = 1; k <= kMaxArtScale; ++k) {
      files.bytes.emplace_back(ArtFileName(kFigureFile, k), MakeFigureSheet(*font, look, k, &notes));
      files.faces.emplace_back(k, MakeSkinPixels(look, &picture, k));
    }
    if (icon) files.bytes.emplace_back("Horlin.ico", MakeIcon());
    findings = WriteSkin(PathOf(outDir), files, preview);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  for (const std::string& n : notes) std::printf("note: %s\n", n.c_str());
  return Report(outDir, findings) ? 0 : 1;
}

int Preview(const std::vector<std::string>& args) {
  int k = 1;
  std::vector<int> dpis;
  if (args.size() == 6 && args[4] == "--scale") {
    if (!ParseNumber(args[5], 1, kMaxArtScale, &k)) return Usage();
  } else if (args.size() == 6 && args[4] == "--dpi") {
    for (size_t at = 0; at <= args[5].size();) {
      const size_t comma = std::min(args[5].find(',', at), args[5].size());
      int dpi = 0;
      if (!ParseNumber(args[5].substr(at, comma - at), 48, 4 * kBaseDpi, &dpi)) return Usage();
      dpis.push_back(dpi);
      at = comma + 1;
    }
  } else if (args.size() != 4) {
    return Usage();
  }
  try {
    if (dpis.empty())
      WritePreview(args[2], args[3], k);
    else
      WritePreviewAtDpis(args[2], args[3], dpis);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = CommandLine(argc, argv);
  const std::string command = args.size() > 1 ? args[1] : "";
  if (command == "check") {
    if (args.size() != 3) return Usage();
    std::vector<SkinFinding> findings;
    try {
      const InFolder in(args[2]);
      findings = CheckSkin(".");
    } catch (const std::exception& e) {
      return Fail(e.what());
    }
    return Report(args[2], findings) ? 0 : 1;
  }
  if (command == "make") return Make(args);
  if (command == "preview") return Preview(args);
  return Usage();
}
