// BMP reading: the file constructor against stbi_load of the same file, which
// lies in the page cache (written just before and read once to check that
// both sides decode the same pixels). Each side opens, reads, converts and
// frees its picture per iteration.
#include "bench_common.h"

#include <stb/stb_image.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {
namespace {

void Put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}
void Put32(std::vector<unsigned char>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A bottom-up, uncompressed BMP of random pixels (random palette entries for
// 4 and 8 bits). Returns its path, or "" if it could not be written.
std::string WriteBmp(Extent e, int bits) {
  const std::string path = ScratchDir() + "/" + SizeName(e) + "_" + std::to_string(bits) + ".bmp";
  const unsigned paletteBytes = bits <= 8 ? 4u << bits : 0;
  const std::size_t rowBytes = (static_cast<std::size_t>(e.width) * bits + 31) / 32 * 4;
  const std::size_t pixelBytes = rowBytes * e.height;
  const unsigned offBits = 14 + 40 + paletteBytes;

  std::vector<unsigned char> file;
  Put16(file, 0x4D42);  // "BM"
  Put32(file, static_cast<unsigned>(offBits + pixelBytes));
  Put32(file, 0);  // reserved
  Put32(file, offBits);
  Put32(file, 40);  // info header size
  Put32(file, static_cast<unsigned>(e.width));
  Put32(file, static_cast<unsigned>(e.height));  // positive: bottom row first
  Put16(file, 1);                                // planes
  Put16(file, static_cast<unsigned>(bits));
  Put32(file, 0);  // BI_RGB
  Put32(file, static_cast<unsigned>(pixelBytes));
  Put32(file, 2835);  // 72 dpi
  Put32(file, 2835);
  Put32(file, 0);  // colours used: all
  Put32(file, 0);  // important colours: all
  const std::size_t header = file.size();
  file.resize(header + paletteBytes + pixelBytes);
  FillRandom(file.data() + header, paletteBytes + pixelBytes, 40u + static_cast<unsigned>(bits));
  // Palette fourth bytes 0, as usual; a 32-bit file keeps random fourth bytes.
  for (unsigned i = 3; i < paletteBytes; i += 4) file[header + i] = 0;

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return "";
  const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && written ? path : "";
}

// Why the file constructor (into colorType) and stbi_load (channels) give
// different pictures of the file at `path`, or "" when they agree.
std::string Disagreement(Extent e, const std::string& path, int colorType, int channels) {
  std::string name = path;
  ZEMADisplayFCDIB ours(LibraryVersion, nullptr, nullptr, name.data(), colorType, LANGUAGE_ENGLISH);
  int w = 0, h = 0, n = 0;
  unsigned char* peer = stbi_load(path.c_str(), &w, &h, &n, channels);
  if (peer == nullptr) return std::string("stbi_load failed: ") + stbi_failure_reason();
  Difference d;
  d.largest = 256;
  if (ours.ErrorCode == ERR_NONE && w == e.width && h == e.height) {
    // The peer's pixels are red, green, blue (alpha), top row first.
    const ChannelMap rgb = {{2, 1, 0, 3}, {false, false, false, false}};
    d = Compare(TopDown(ours), PixelPlane{peer, static_cast<std::ptrdiff_t>(w) * channels, channels}, e, channels, rgb);
  }
  stbi_image_free(peer);
  if (d.largest == 0) return "";
  return "the file constructor (code " + std::to_string(ours.ErrorCode) + ") and stbi_load disagree: " + Describe(d);
}

// The timing loops: the file constructor into colorType, stbi_load into channels.
void TimeFileConstructor(benchmark::State& state, Extent e, std::string path, int colorType) {
  for (auto _ : state) {
    ZEMADisplayFCDIB img(LibraryVersion, nullptr, nullptr, path.data(), colorType, LANGUAGE_ENGLISH);
    benchmark::DoNotOptimize(img.Bits);
    benchmark::ClobberMemory();
    if (img.ErrorCode != ERR_NONE) return Fail(state, "the file constructor reported " + std::to_string(img.ErrorCode));
  }
  CountPixels(state, e.Pixels());
}
void TimeStbLoad(benchmark::State& state, Extent e, const std::string& path, int channels) {
  int w = 0, h = 0, n = 0;
  for (auto _ : state) {
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, channels);
    benchmark::DoNotOptimize(pixels);
    if (pixels == nullptr) return Fail(state, std::string("stbi_load failed: ") + stbi_failure_reason());
    stbi_image_free(pixels);
  }
  CountPixels(state, e.Pixels());
}

void AddFileRow(int bits, double target) {
  const std::string row = "FileConstructor_" + std::to_string(bits) + "bit_bmp";
  // A 32-bit file becomes a 32-bit image; the others 24-bit ones.
  const int colorType = bits == 32 ? 4 : 3;
  const int channels = bits == 32 ? 4 : 3;
  for (Extent e : StandardSizes()) {
    AddOurs(row, SizeName(e), [=](benchmark::State& state) {
      const std::string path = WriteBmp(e, bits);
      if (path.empty()) return Fail(state, "could not write the test file");
      TimeFileConstructor(state, e, path, colorType);
    });
    AddPeer(row, "stbi_load", SizeName(e), target, [=](benchmark::State& state) {
      const std::string path = WriteBmp(e, bits);
      if (path.empty()) return Fail(state, "could not write the test file");
      const std::string why = Disagreement(e, path, colorType, channels);
      if (!why.empty()) return Fail(state, why);
      TimeStbLoad(state, e, path, channels);
    });
  }
}

// A 24-bit file into a 32-bit image: against stbi_load with four channels,
// and against the same file into a 24-bit image, which is only the read into
// fresh pixel memory. The 32-bit image is a third larger and its fresh pages
// cost about as much per byte as the read, and the conversion is one more
// pass over it: 0.4 leaves it no more than that. (A memcpy into memory
// already in use is no peer for a file constructor: on a typical machine the
// read alone is about half as fast.) The pixels are checked against
// stbi_load first.
void AddConversionRow(double againstStb, double againstSameDepth) {
  const std::string row = "FileConstructor_24bit_bmp_into_32bit";
  for (Extent e : StandardSizes()) {
    AddOurs(row, SizeName(e), [=](benchmark::State& state) {
      const std::string path = WriteBmp(e, 24);
      if (path.empty()) return Fail(state, "could not write the test file");
      const std::string why = Disagreement(e, path, 4, 3);
      if (!why.empty()) return Fail(state, why);
      TimeFileConstructor(state, e, path, 4);
    });
    AddPeer(row, "stbi_load_4_channels", SizeName(e), againstStb, [=](benchmark::State& state) {
      const std::string path = WriteBmp(e, 24);
      if (path.empty()) return Fail(state, "could not write the test file");
      TimeStbLoad(state, e, path, 4);
    });
    AddPeer(row, "file_into_24bit_image", SizeName(e), againstSameDepth, [=](benchmark::State& state) {
      const std::string path = WriteBmp(e, 24);
      if (path.empty()) return Fail(state, "could not write the test file");
      TimeFileConstructor(state, e, path, 3);
    });
  }
}

void Register() {
  AddConversionRow(8.0, 0.4);
  AddFileRow(24, 8.0);
  AddFileRow(32, 8.0);
  AddFileRow(8, 3.0);
  AddFileRow(4, 3.0);
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
