// A BMP reader for face pictures: every header version paint programs write
// (the 12-byte core header, the 40-byte one and the V2 to V5 headers that add
// masks, colour space and profile), palettes, 16- and 32-bit bit fields.
// Compressed rows (RLE, embedded JPEG or PNG) are refused by name.
#include <stdexcept>

#include "little_endian.h"
#include "skin_picture.h"

namespace {

// One channel of a bit-field pixel, widened to 0..255.
struct Field {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Field(uint32_t m) : mask(m) {
    if (mask == 0) return;
    while (((mask >> shift) & 1) == 0) ++shift;
    max = mask >> shift;
  }
  uint8_t Of(uint32_t px) const {
    return max == 0 ? 0 : static_cast<uint8_t>(static_cast<uint64_t>((px & mask) >> shift) * 255 / max);
  }
};

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5, kAlphaBitFields = 6;
constexpr long long kMaxPixels = 1LL << 26;  // 64 M pixels, far beyond any face picture

}  // namespace

Picture DecodeBmp(const std::vector<uint8_t>& b, const std::string& name) {
  const auto bad = [&](const std::string& why) { return std::runtime_error("the face picture " + name + " " + why); };
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') throw bad("is not a BMP file");
  const uint32_t offBits = le::U32(&b[10]), headerSize = le::U32(&b[14]);
  if (headerSize < 12 || 14 + static_cast<size_t>(headerSize) > b.size()) throw bad("has a cut-off header");

  long long w, h;
  uint32_t bits, compression = kRgb, colours = 0;
  size_t paletteAt = 14 + headerSize, entry = 4;
  if (headerSize == 12) {  // core header: 16-bit sizes, three-byte palette entries
    w = le::U16(&b[18]);
    h = static_cast<int16_t>(le::U16(&b[20]));
    bits = le::U16(&b[24]);
    entry = 3;
  } else {
    if (headerSize < 40) throw bad("has an unknown header of " + std::to_string(headerSize) + " bytes");
    w = static_cast<int32_t>(le::U32(&b[18]));
    h = static_cast<int32_t>(le::U32(&b[22]));
    bits = le::U16(&b[28]);
    compression = le::U32(&b[30]);
    colours = le::U32(&b[46]);
  }
  if (compression == kRle8 || compression == kRle4 || compression == kJpeg || compression == kPng)
    throw bad("is compressed (" +
              std::string(compression == kJpeg  ? "JPEG"
                          : compression == kPng ? "PNG"
                                                : "RLE") +
              "); save it uncompressed or as PNG");
  if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
    throw bad("has an unknown compression " + std::to_string(compression));
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (w <= 0 || h <= 0 || w * h > kMaxPixels)
    throw bad("has a size of " + std::to_string(w) + " x " + std::to_string(h) + " that cannot be read");

  // Bit fields: in the header from V2 on, else right behind the 40-byte header.
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  if (compression == kBitFields || compression == kAlphaBitFields) {
    if (bits != 16 && bits != 32) throw bad("has bit fields at " + std::to_string(bits) + " bits per pixel");
    const size_t at = headerSize >= 52 ? 54 : paletteAt;
    const int n = headerSize >= 56 || compression == kAlphaBitFields ? 4 : 3;
    if (at + 4 * n > b.size()) throw bad("has cut-off bit fields");
    for (int i = 0; i < n; ++i) masks[i] = le::U32(&b[at + 4 * i]);
    if (headerSize == 40) paletteAt += 4 * n;
  } else if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;  // the fourth byte is unused
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    throw bad("has " + std::to_string(bits) + " bits per pixel");

  std::vector<uint8_t> palette;  // blue, green, red per entry
  if (bits <= 8) {
    const size_t count = colours != 0 && colours < (1u << bits) ? colours : (1u << bits);
    if (paletteAt + count * entry > b.size()) throw bad("has a cut-off palette");
    for (size_t i = 0; i < count; ++i)
      palette.insert(palette.end(), &b[paletteAt + i * entry], &b[paletteAt + i * entry + 3]);
  }

  const size_t stride = static_cast<size_t>((w * bits + 31) / 32) * 4;
  if (offBits > b.size() || static_cast<size_t>(h) * stride > b.size() - offBits) throw bad("has cut-off rows");

  const Field red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  Picture p;
  p.w = static_cast<int>(w);
  p.h = static_cast<int>(h);
  p.bgr.resize(static_cast<size_t>(w) * h * 3);
  for (long long y = 0; y < h; ++y) {
    const uint8_t* row = &b[offBits + static_cast<size_t>(topDown ? y : h - 1 - y) * stride];
    uint8_t* out = &p.bgr[static_cast<size_t>(y) * w * 3];
    for (long long x = 0; x < w; ++x, out += 3) {
      if (bits <= 8) {
        const unsigned shift = 8 - bits - (x * bits) % 8;
        const size_t index = (row[x * bits / 8] >> shift) & ((1u << bits) - 1);
        if (index * 3 >= palette.size()) throw bad("uses a colour its palette does not hold");
        out[0] = palette[index * 3], out[1] = palette[index * 3 + 1], out[2] = palette[index * 3 + 2];
        continue;
      }
      if (bits == 24) {
        out[0] = row[3 * x], out[1] = row[3 * x + 1], out[2] = row[3 * x + 2];
        continue;
      }
      const uint32_t px = bits == 16 ? le::U16(row + 2 * x) : le::U32(row + 4 * x);
      const unsigned a = masks[3] != 0 ? alpha.Of(px) : 255;  // laid over black
      out[0] = static_cast<uint8_t>((blue.Of(px) * a + 127) / 255);
      out[1] = static_cast<uint8_t>((green.Of(px) * a + 127) / 255);
      out[2] = static_cast<uint8_t>((red.Of(px) * a + 127) / 255);
    }
  }
  return p;
}
