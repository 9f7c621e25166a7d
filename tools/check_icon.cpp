// check_icon: verifies the structure of the program's icon.
//
//   check_icon FILE.ico
//
// Three 16-colour images (32, 16 and 48 pixels) packed in order, with masks
// that hide only colour 0. Prints every failed check and exits non-zero if
// there was any. (The skin files are checked by horlin-skin check.)

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "little_endian.h"

namespace {

int g_failed = 0;
int g_passed = 0;

void Expect(bool ok, const std::string& what) {
  if (ok) {
    ++g_passed;
  } else {
    ++g_failed;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A field past the end of the file reads as 0, which no check accepts.
uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return at + 2 <= b.size() ? le::U16(&b[at]) : 0; }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) { return at + 4 <= b.size() ? le::U32(&b[at]) : 0; }

void CheckIcon(const std::string& path) {
  std::vector<uint8_t> b = ReadAll(path);
  Expect(b.size() >= 6 + 3 * 16, "Horlin.ico holds a directory");
  if (b.size() < 6 + 3 * 16) return;
  Expect(Le16(b, 0) == 0 && Le16(b, 2) == 1 && Le16(b, 4) == 3, "icon directory: reserved 0, type 1, three images");

  const int sizes[3] = {32, 16, 48};
  size_t expectedOffset = 6 + 3 * 16;
  for (int i = 0; i < 3; ++i) {
    const size_t e = 6 + 16 * i;
    const int n = sizes[i];
    const std::string tag = "icon image " + std::to_string(i) + " (" + std::to_string(n) + "px): ";
    const uint32_t xorRow = ((n * 4 + 31) / 32) * 4, andRow = ((n + 31) / 32) * 4;
    const uint32_t bits = (xorRow + andRow) * n;
    const uint32_t bytes = Le32(b, e + 8), offset = Le32(b, e + 12);

    Expect(b[e] == n && b[e + 1] == n, tag + "directory size");
    Expect(b[e + 2] == 16 && b[e + 3] == 0 && Le16(b, e + 4) == 1 && Le16(b, e + 6) == 4,
           tag + "16 colours, 1 plane, 4 bpp");
    Expect(bytes == 40 + 64 + bits, tag + "bytesInRes matches the image");
    Expect(offset == expectedOffset, tag + "images packed in order");
    expectedOffset = offset + bytes;
    if (offset + static_cast<size_t>(bytes) > b.size() || bytes != 40 + 64 + bits) {
      Expect(false, tag + "image lies inside the file");
      continue;
    }
    Expect(Le32(b, offset) == 40 && Le32(b, offset + 4) == static_cast<uint32_t>(n) &&
               Le32(b, offset + 8) == static_cast<uint32_t>(2 * n) && Le16(b, offset + 12) == 1 &&
               Le16(b, offset + 14) == 4 && Le32(b, offset + 16) == 0 && Le32(b, offset + 20) == bits,
           tag + "bitmap header");

    // A pixel the mask hides must have colour 0: Windows XORs the colour
    // onto the desktop there, so anything else shows as inverted noise.
    const size_t xorAt = offset + 40 + 64, andAt = xorAt + xorRow * n;
    int opaque = 0, leaky = 0;
    for (int r = 0; r < n; ++r)
      for (int x = 0; x < n; ++x) {
        bool hidden = (b[andAt + r * andRow + x / 8] >> (7 - x % 8)) & 1;
        uint8_t px = b[xorAt + r * xorRow + x / 2];
        int index = x % 2 ? px & 15 : px >> 4;
        if (!hidden)
          ++opaque;
        else if (index != 0)
          ++leaky;
      }
    Expect(leaky == 0, tag + "masked pixels are colour 0");
    Expect(opaque * 2 >= n * n, tag + "mostly opaque");
  }
  Expect(b.size() == expectedOffset, "Horlin.ico ends after its last image");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.ico\n", argc > 0 ? argv[0] : "check_icon");
    return 2;
  }
  CheckIcon(argv[1]);
  std::printf("check_icon: %d passed, %d failed\n", g_passed, g_failed);
  return g_failed ? 1 : 0;
}
