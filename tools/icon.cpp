// The program's icon: a small panel in the default skin's colours with a
// clock dial, at 32, 16 and 48 pixels in 16 colours. Integer arithmetic only,
// so the file is the same on every run.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "skin_art.h"

namespace {

// Sixteen colours: the panel ramp, its rim, blends toward the cyan dial and
// the white hands so that anti-aliased edges have somewhere to land.
const Rgb kIconPalette[16] = {
    {0, 0, 0},       {12, 16, 26},   {20, 27, 42},    {30, 40, 60},   {56, 70, 96},    {104, 126, 160},
    {36, 74, 100},   {50, 118, 156}, {70, 162, 206},  {96, 204, 240}, {150, 226, 250}, {205, 243, 255},
    {246, 253, 255}, {90, 104, 128}, {150, 164, 186}, {6, 8, 14},
};

// Exact capsule test in integer arithmetic: is P within r of segment AB?
bool NearSegment(long px, long py, long ax, long ay, long bx, long by, long r) {
  long dx = bx - ax, dy = by - ay, qx = px - ax, qy = py - ay;
  long len2 = dx * dx + dy * dy;
  long t = qx * dx + qy * dy;
  long d2;
  if (t <= 0)
    d2 = qx * qx + qy * qy;
  else if (t >= len2)
    d2 = (px - bx) * (px - bx) + (py - by) * (py - by);
  else
    return qx * qx + qy * qy - (t * t) / len2 <= r * r;  // |PQ|^2 - proj^2
  return d2 <= r * r;
}

bool InRoundRect(long px, long py, long x0, long y0, long x1, long y1, long rad) {
  if (px < x0 || px > x1 || py < y0 || py > y1) return false;
  long cx = std::clamp(px, x0 + rad, x1 - rad);
  long cy = std::clamp(py, y0 + rad, y1 - rad);
  return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= rad * rad;
}

struct IconImage {
  int size;
  std::vector<uint8_t> index;  // palette index per pixel, top row first
  std::vector<uint8_t> opaque;
};

int NearestPaletteEntry(Rgb c) {
  int best = 1, bestD = 1 << 30;
  for (int i = 1; i < 16; ++i) {  // 0 is reserved for transparent pixels
    int dr = c.r - kIconPalette[i].r, dg = c.g - kIconPalette[i].g, db = c.b - kIconPalette[i].b;
    int d = 2 * dr * dr + 4 * dg * dg + db * db;  // rough perceptual weights
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

IconImage DrawIcon(int n) {
  // Geometry in subpixel units: S subsamples per pixel.
  const long S = 8;
  const long N = n * S;
  const bool tiny = n < 24;
  const long margin = (n >= 32 ? (n / 24) : 0) * S;
  const long rad = N * 5 / 32;
  const long rim = std::max<long>(S, N / 24);
  const long cx = N / 2, cy = N / 2;
  const long dialR = N * 11 / 32;  // centre line of the dial ring
  const long ringHalf = tiny ? S / 2 : N / 36;
  const long handHalf = n <= 16 ? S : n <= 32 ? S * 5 / 4 : N / 32;
  long hx, hy, mx, my;
  if (tiny) {
    // Too few pixels for slanted hands: a 2-pixel-wide L on the pixel grid
    // (minute hand to 12, hour hand to 3) stays crisp and white.
    hx = cx + dialR * 60 / 100;
    hy = cy;
    mx = cx;
    my = cy - dialR * 80 / 100;
  } else {
    // Ten past ten: hour hand toward 10 o'clock, minute hand toward 2.
    const long hourLen = dialR * 55 / 100, minuteLen = dialR * 80 / 100;
    hx = cx - hourLen * 866 / 1000;
    hy = cy - hourLen * 500 / 1000;
    mx = cx + minuteLen * 766 / 1000;
    my = cy - minuteLen * 643 / 1000;
  }

  const Rgb panelTop{30, 40, 60}, panelBottom{12, 16, 26};
  const Rgb rimC{104, 126, 160}, dialC{96, 204, 240}, handC{246, 253, 255};

  IconImage img{n, std::vector<uint8_t>(n * n, 0), std::vector<uint8_t>(n * n, 0)};
  for (int py = 0; py < n; ++py)
    for (int px = 0; px < n; ++px) {
      long sr = 0, sg = 0, sb = 0, inside = 0;
      for (long sy = 0; sy < S; ++sy)
        for (long sx = 0; sx < S; ++sx) {
          long x = px * S + sx, y = py * S + sy;
          if (!InRoundRect(x, y, margin, margin, N - 1 - margin, N - 1 - margin, rad)) continue;
          ++inside;
          Rgb c = Mix(panelTop, panelBottom, static_cast<int>(y), static_cast<int>(N));
          if (!InRoundRect(x, y, margin + rim, margin + rim, N - 1 - margin - rim, N - 1 - margin - rim,
                           std::max<long>(rad - rim, 0)))
            c = rimC;
          long d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
          long rIn = dialR - ringHalf, rOut = dialR + ringHalf;
          if (d2 >= rIn * rIn && d2 <= rOut * rOut) c = dialC;
          if (NearSegment(x, y, cx, cy, hx, hy, handHalf) || NearSegment(x, y, cx, cy, mx, my, handHalf)) c = handC;
          sr += c.r;
          sg += c.g;
          sb += c.b;
        }
      size_t i = static_cast<size_t>(py) * n + px;
      // The mask is one bit: a pixel is shown when most of it is panel.
      if (inside * 2 >= S * S) {
        Rgb avg{static_cast<int>(sr / inside), static_cast<int>(sg / inside), static_cast<int>(sb / inside)};
        img.index[i] = static_cast<uint8_t>(NearestPaletteEntry(avg));
        img.opaque[i] = 1;
      }
    }
  return img;
}

Bytes EncodeIconImage(const IconImage& im) {
  const int n = im.size;
  const int xorRow = ((n * 4 + 31) / 32) * 4;
  const int andRow = ((n + 31) / 32) * 4;
  Bytes out;
  out.u32(40);
  out.i32(n);
  out.i32(2 * n);  // XOR image and AND mask stacked
  out.u16(1);
  out.u16(4);
  out.u32(0);
  out.u32(static_cast<uint32_t>((xorRow + andRow) * n));
  out.i32(0);
  out.i32(0);
  out.u32(0);
  out.u32(0);
  for (const Rgb& c : kIconPalette) {
    out.u8(c.b);
    out.u8(c.g);
    out.u8(c.r);
    out.u8(0);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(xorRow, 0);
    for (int x = 0; x < n; ++x) row[x / 2] = static_cast<uint8_t>(row[x / 2] | im.index[y * n + x] << (x % 2 ? 0 : 4));
    for (uint8_t v : row) out.u8(v);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(andRow, 0);
    for (int x = 0; x < n; ++x)
      if (!im.opaque[y * n + x]) row[x / 8] |= 0x80 >> (x % 8);
    for (uint8_t v : row) out.u8(v);
  }
  return out;
}

}  // namespace

std::vector<uint8_t> MakeIcon() {
  const int sizes[3] = {32, 16, 48};
  std::vector<Bytes> images;
  for (int n : sizes) images.push_back(EncodeIconImage(DrawIcon(n)));

  Bytes out;
  out.u16(0);
  out.u16(1);
  out.u16(3);
  uint32_t offset = 6 + 16 * 3;
  for (int i = 0; i < 3; ++i) {
    out.u8(static_cast<unsigned>(sizes[i]));
    out.u8(static_cast<unsigned>(sizes[i]));
    out.u8(16);
    out.u8(0);
    out.u16(1);
    out.u16(4);
    out.u32(static_cast<uint32_t>(images[i].b.size()));
    out.u32(offset);
    offset += static_cast<uint32_t>(images[i].b.size());
  }
  for (const Bytes& im : images) out.b.insert(out.b.end(), im.b.begin(), im.b.end());
  return out.b;
}
