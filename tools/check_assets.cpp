// check_assets: verifies the structure of the clock's committed artwork.
//
//   check_assets ASSETDIR
//
// Reads KL_Figs.dat, KL_Face.bmp and Horlin.ico from ASSETDIR and checks the
// facts the clock relies on when it loads them. Prints every failed check and
// exits non-zero if there was any.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int g_failed = 0;
int g_passed = 0;

void expect(bool ok, const std::string& what) {
  if (ok) {
    ++g_passed;
  } else {
    ++g_failed;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

std::vector<uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }

// ---------------------------------------------------------------------------
// Figure sheet

constexpr int kSheetW = 920, kSheetH = 44;

struct Rect {
  int x, y, w, h;
  bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// Cell of each figure as the clock addresses it.
Rect figureRect(int k) {
  if (k < 10) return {48 * k, 0, 48, 44};
  if (k == 10) return {480, 0, 20, 44};
  if (k < 21) return {500 + 24 * (k - 11), 0, 24, 22};
  if (k == 21) return {740, 0, 20, 22};
  return {500 + 60 * (k - 22), 22, 60, 18};
}

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  int maxV = 0;
};

void checkFigures(const std::string& dir) {
  std::vector<uint8_t> raw = readAll(dir + "/KL_Figs.dat");
  expect(raw.size() == 20240, "KL_Figs.dat is 20240 bytes (got " + std::to_string(raw.size()) + ")");
  if (raw.size() != 20240) return;

  // Decode: file rows run bottom-up, left pixel in the high nibble.
  std::vector<int> v(kSheetW * kSheetH);
  for (int r = 0; r < kSheetH; ++r)
    for (int i = 0; i < kSheetW / 2; ++i) {
      uint8_t b = raw[r * (kSheetW / 2) + i];
      int y = kSheetH - 1 - r;
      v[y * kSheetW + 2 * i] = b >> 4;
      v[y * kSheetW + 2 * i + 1] = b & 15;
    }

  int stray = 0;
  for (int y = 0; y < kSheetH; ++y)
    for (int x = 0; x < kSheetW; ++x) {
      bool inCell = false;
      for (int k = 0; k < 29 && !inCell; ++k) inCell = figureRect(k).contains(x, y);
      if (!inCell && v[y * kSheetW + x] != 0) ++stray;
    }
  expect(stray == 0, "no ink outside the 29 figure cells (" + std::to_string(stray) + " pixels)");

  Box box[29];
  for (int k = 0; k < 29; ++k) {
    Rect c = figureRect(k);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        int p = v[(c.y + y) * kSheetW + c.x + x];
        if (!p) continue;
        box[k].x0 = std::min(box[k].x0, x);
        box[k].x1 = std::max(box[k].x1, x);
        box[k].y0 = std::min(box[k].y0, y);
        box[k].y1 = std::max(box[k].y1, y);
        box[k].maxV = std::max(box[k].maxV, p);
      }
    expect(box[k].x1 >= 0, "figure " + std::to_string(k) + " has ink");
    // Strokes must reach full coverage, or the figure shows washed out.
    expect(box[k].maxV == 15, "figure " + std::to_string(k) + " has solid strokes");
    if (box[k].x1 < 0) continue;
    // Roughly centred, so figures sit evenly in the clock's slots.
    int slackL = box[k].x0, slackR = c.w - 1 - box[k].x1;
    expect(slackL - slackR >= -3 && slackL - slackR <= 3, "figure " + std::to_string(k) + " is centred horizontally");
  }

  auto same = [&](int a, int b) {
    Rect ra = figureRect(a), rb = figureRect(b);
    for (int y = 0; y < ra.h; ++y)
      for (int x = 0; x < ra.w; ++x)
        if (v[(ra.y + y) * kSheetW + ra.x + x] != v[(rb.y + y) * kSheetW + rb.x + x]) return false;
    return true;
  };
  // Each group must hold different figures: a repeated glyph is a wrong time.
  const int groups[3][2] = {{0, 10}, {11, 21}, {22, 29}};
  for (const auto& g : groups)
    for (int a = g[0]; a < g[1]; ++a)
      for (int b = a + 1; b < g[1]; ++b)
        expect(!same(a, b), "figures " + std::to_string(a) + " and " + std::to_string(b) + " differ");

  // Digits of one size stand on one baseline (round digits may overshoot by 1).
  for (int first : {0, 11}) {
    int lo = 1 << 30, hi = -1;
    for (int k = first; k < first + 10; ++k) {
      lo = std::min(lo, box[k].y1);
      hi = std::max(hi, box[k].y1);
    }
    expect(hi - lo <= 1, "digits from figure " + std::to_string(first) + " share a baseline");
  }
}

// ---------------------------------------------------------------------------
// Skin

void checkFace(const std::string& dir) {
  std::vector<uint8_t> b = readAll(dir + "/KL_Face.bmp");
  expect(b.size() == 54 + 129600, "KL_Face.bmp is 129654 bytes (got " + std::to_string(b.size()) + ")");
  if (b.size() != 54 + 129600) return;

  const struct {
    size_t at;
    int bytes;
    uint32_t want;
    const char* name;
  } fields[] = {
      {0, 2, 0x4D42, "signature BM"},   {2, 4, 129654, "bfSize"},       {6, 4, 0, "reserved"},
      {10, 4, 54, "bfOffBits"},         {14, 4, 40, "biSize"},          {18, 4, 360, "biWidth"},
      {22, 4, 120, "biHeight"},         {26, 2, 1, "biPlanes"},         {28, 2, 24, "biBitCount"},
      {30, 4, 0, "biCompression"},      {34, 4, 129600, "biSizeImage"}, {38, 4, 3780, "biXPelsPerMeter"},
      {42, 4, 3780, "biYPelsPerMeter"}, {46, 4, 0, "biClrUsed"},        {50, 4, 0, "biClrImportant"},
  };
  for (const auto& f : fields) {
    uint32_t got = f.bytes == 2 ? le16(b, f.at) : le32(b, f.at);
    expect(got == f.want, std::string("KL_Face.bmp ") + f.name + " = " + std::to_string(f.want) + " (got " +
                              std::to_string(got) + ")");
  }

  // Luma of the pixel at (x, y), y counted from the top.
  auto luma = [&](int x, int y) {
    size_t at = 54 + static_cast<size_t>(119 - y) * 1080 + x * 3;
    return (b[at] * 29 + b[at + 1] * 150 + b[at + 2] * 77) >> 8;
  };
  // Wherever a glyph can land, its ink (60 rows below) must stand out
  // clearly from the face behind it.
  int weak = 0;
  for (int y = 8; y < 52; ++y)
    for (int x = 8; x < 352; ++x)
      if (luma(x, y + 60) - luma(x, y) < 100) ++weak;
  expect(weak == 0, "ink band contrasts with the face over the glyph area (" + std::to_string(weak) + " weak pixels)");
}

// ---------------------------------------------------------------------------
// Icon

void checkIcon(const std::string& dir) {
  std::vector<uint8_t> b = readAll(dir + "/Horlin.ico");
  expect(b.size() >= 6 + 3 * 16, "Horlin.ico holds a directory");
  if (b.size() < 6 + 3 * 16) return;
  expect(le16(b, 0) == 0 && le16(b, 2) == 1 && le16(b, 4) == 3, "icon directory: reserved 0, type 1, three images");

  const int sizes[3] = {32, 16, 48};
  size_t expectedOffset = 6 + 3 * 16;
  for (int i = 0; i < 3; ++i) {
    const size_t e = 6 + 16 * i;
    const int n = sizes[i];
    const std::string tag = "icon image " + std::to_string(i) + " (" + std::to_string(n) + "px): ";
    const uint32_t xorRow = ((n * 4 + 31) / 32) * 4, andRow = ((n + 31) / 32) * 4;
    const uint32_t bits = (xorRow + andRow) * n;
    const uint32_t bytes = le32(b, e + 8), offset = le32(b, e + 12);

    expect(b[e] == n && b[e + 1] == n, tag + "directory size");
    expect(b[e + 2] == 16 && b[e + 3] == 0 && le16(b, e + 4) == 1 && le16(b, e + 6) == 4,
           tag + "16 colours, 1 plane, 4 bpp");
    expect(bytes == 40 + 64 + bits, tag + "bytesInRes matches the image");
    expect(offset == expectedOffset, tag + "images packed in order");
    expectedOffset = offset + bytes;
    if (offset + static_cast<size_t>(bytes) > b.size() || bytes != 40 + 64 + bits) {
      expect(false, tag + "image lies inside the file");
      continue;
    }
    expect(le32(b, offset) == 40 && le32(b, offset + 4) == static_cast<uint32_t>(n) &&
               le32(b, offset + 8) == static_cast<uint32_t>(2 * n) && le16(b, offset + 12) == 1 &&
               le16(b, offset + 14) == 4 && le32(b, offset + 16) == 0 && le32(b, offset + 20) == bits,
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
    expect(leaky == 0, tag + "masked pixels are colour 0");
    expect(opaque * 2 >= n * n, tag + "mostly opaque");
  }
  expect(b.size() == expectedOffset, "Horlin.ico ends after its last image");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ASSETDIR\n", argc > 0 ? argv[0] : "check_assets");
    return 2;
  }
  const std::string dir = argv[1];
  checkFigures(dir);
  checkFace(dir);
  checkIcon(dir);
  std::printf("check_assets: %d passed, %d failed\n", g_passed, g_failed);
  return g_failed ? 1 : 0;
}
