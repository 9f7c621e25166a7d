// Area-averaging scaling: the coverage tables, worked examples, and random
// cases against a plain reference built from the table weights.
#include "../src/stretch.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace testing_support;  // the suites' shared helpers
using Bytes = std::vector<unsigned char>;
using Table = std::vector<std::uint16_t>;
using Matrix = std::vector<std::vector<std::uint32_t>>;

namespace {

Table CoverageTable(long dN, long sN) {
  Table t(static_cast<std::size_t>(sN + dN), 0xFFFF);
  EXPECT_EQ(pixolan::FillCoverageTable(t.data(), dN, sN), t.size());
  return t;
}

// The weight of source pixel s in destination pixel d, in 1/256, read back
// from a table: an entry that completes its destination pixel is followed by
// one for the same source pixel, any other entry ends its source pixel.
Matrix Weights(const Table& t, long dN, long sN) {
  Matrix w(dN, std::vector<std::uint32_t>(sN, 0));
  long d = 0, s = 0;
  std::uint32_t filled = 0;
  for (std::uint16_t e : t) {
    if (d < dN) {
      w[d][s] += e;
    } else {
      EXPECT_EQ(e, 0) << "nothing is left for a pixel past the end";
    }
    filled += e;
    if (filled == 256) {
      ++d;
      filled = 0;
    } else {
      ++s;
    }
  }
  EXPECT_EQ(d, dN);
  EXPECT_EQ(s, sN);
  return w;
}

// Exact overlap of destination pixel d with source pixel s on a line where a
// destination pixel is sN long and a source pixel dN long.
std::int64_t Overlap(long d, long s, long dN, long sN) {
  const std::int64_t lo = std::max<std::int64_t>(std::int64_t{d} * sN, std::int64_t{s} * dN);
  const std::int64_t hi = std::min<std::int64_t>(std::int64_t{d + 1} * sN, std::int64_t{s + 1} * dN);
  return hi > lo ? hi - lo : 0;
}

// Every destination pixel as the rounded sum of every source pixel times its
// horizontal and vertical weight. Also checks that this stays close to the
// exact area mean: the weights are quantised to 1/256 per axis, so the mean
// may move by up to half the pixel range times their total deviation.
void ReferenceStretch(const Bytes& src, const Geo& sg, pixolan::Rect from, Bytes& dst, const Geo& dg,
                      pixolan::Rect to) {
  const Matrix wx = Weights(CoverageTable(to.w, from.w), to.w, from.w);
  const Matrix wy = Weights(CoverageTable(to.h, from.h), to.h, from.h);
  const int channels = sg.bpp == 4 && dg.bpp == 4 ? 4 : 3;
  const double area = static_cast<double>(from.w) * from.h;
  for (long e = 0; e < to.h; ++e) {
    for (long d = 0; d < to.w; ++d) {
      std::uint32_t sum[4] = {};
      double exact[4] = {}, deviation = 0;
      for (long t = 0; t < from.h; ++t) {
        const std::int64_t oy = Overlap(e, t, to.h, from.h);
        if (wy[e][t] == 0 && oy == 0) continue;
        for (long s = 0; s < from.w; ++s) {
          const std::int64_t ox = Overlap(d, s, to.w, from.w);
          const std::uint32_t w = wx[d][s] * wy[e][t];
          if (w == 0 && ox == 0) continue;
          const double share = static_cast<double>(ox * oy) / area;
          deviation += std::fabs(w / 65536.0 - share);
          const unsigned char* p = &src[Offset(sg, from.x + s, from.y + t)];
          for (int k = 0; k < channels; ++k) {
            sum[k] += w * p[k];
            exact[k] += share * p[k];
          }
        }
      }
      unsigned char* out = &dst[Offset(dg, to.x + d, to.y + e)];
      for (int k = 0; k < channels; ++k) {
        out[k] = static_cast<unsigned char>((sum[k] + 32768) >> 16);
        EXPECT_LE(std::fabs(out[k] - exact[k]), 0.5 + 127.5 * deviation + 1e-9) << d << "," << e;
      }
      if (dg.bpp == 4 && channels == 3) out[3] = 255;
    }
  }
}

// One row of grey pixels (alpha too) at 24 or 32 bits.
ImagePtr Row(std::vector<unsigned char> values, int bitCount) {
  ImagePtr img = MakeImage(static_cast<unsigned>(values.size()), 1, bitCount);
  const int n = bitCount / 8;
  for (std::size_t x = 0; x < values.size(); ++x)
    for (int k = 0; k < n; ++k) img->Bits[x * n + k] = values[x];
  return img;
}

std::vector<unsigned char> Channel0(const ZEMADisplayFCDIB& img) {
  std::vector<unsigned char> out;
  for (long x = 0; x < img.BitmapInfo.bmiHeader.biWidth; ++x) out.push_back(PixelAt(img, x, 0)[0]);
  return out;
}

TEST(CoverageTables, WorkedExamples) {
  EXPECT_EQ(CoverageTable(2, 3), (Table{171, 85, 85, 171, 0}));
  EXPECT_EQ(CoverageTable(1, 3), (Table{85, 86, 85, 0}));
  EXPECT_EQ(CoverageTable(3, 4), (Table{192, 64, 128, 128, 64, 192, 0}));
  EXPECT_EQ(CoverageTable(2, 2), (Table{256, 0, 256, 0}));
  EXPECT_EQ(CoverageTable(2, 1), (Table{256, 256, 0}));
}

// Every group of entries fills its destination pixel exactly, and every
// entry is within 1/256 of the exact share of the source pixel in it.
TEST(CoverageTables, GroupsFillEachPixelAndFollowTheExactOverlap) {
  std::vector<std::pair<long, long>> sizes;
  for (long d = 1; d <= 48; ++d)
    for (long s = 1; s <= 48; ++s) sizes.emplace_back(d, s);
  for (auto ds : std::vector<std::pair<long, long>>{{1, 700}, {3, 1000}, {700, 1}, {513, 2}, {2, 513}})
    sizes.push_back(ds);
  for (auto [dN, sN] : sizes) {
    const Matrix w = Weights(CoverageTable(dN, sN), dN, sN);
    for (long d = 0; d < dN; ++d) {
      std::uint32_t total = 0;
      for (long s = 0; s < sN; ++s) {
        total += w[d][s];
        const std::int64_t exact256 = 256 * Overlap(d, s, dN, sN);  // in 1/(256 * sN)
        ASSERT_LT(std::llabs(std::int64_t{w[d][s]} * sN - exact256), sN) << dN << " from " << sN;
      }
      ASSERT_EQ(total, 256u) << dN << " from " << sN << ", pixel " << d;
    }
  }
}

TEST(StretchImage, RowExamples) {
  for (int bpp : {24, 32}) {
    ImagePtr dst = MakeImage(3, 1, bpp);
    ASSERT_EQ(dst->StretchImage(Row({10, 20, 30, 40}, bpp).get(), 0), ERR_NONE);
    EXPECT_EQ(Channel0(*dst), (Bytes{13, 25, 38}));

    dst = MakeImage(2, 1, bpp);
    ASSERT_EQ(dst->StretchImage(Row({10, 20, 30}, bpp).get(), 0), ERR_NONE);
    EXPECT_EQ(Channel0(*dst), (Bytes{13, 27}));

    dst = MakeImage(1, 1, bpp);
    ASSERT_EQ(dst->StretchImage(Row({10, 20, 30, 41}, bpp).get(), 0), ERR_NONE);
    EXPECT_EQ(Channel0(*dst), (Bytes{25}));  // 25.25
    ASSERT_EQ(dst->StretchImage(Row({10, 20, 30, 42}, bpp).get(), 0), ERR_NONE);
    EXPECT_EQ(Channel0(*dst), (Bytes{26}));  // 25.5 rounds up
  }
}

TEST(StretchImage, SameSizeCopiesDoublingRepeatsHalvingAverages) {
  Rng rng(7);
  for (int bpp : {24, 32}) {
    const int n = bpp / 8;
    ImagePtr src = MakeImage(7, 5, bpp);
    FillRandom(*src, rng.Next());

    ImagePtr same = MakeImage(7, 5, bpp);
    ASSERT_EQ(same->StretchImage(src.get(), 0), ERR_NONE);
    for (long y = 0; y < 5; ++y)
      for (long x = 0; x < 7; ++x) ASSERT_EQ(PixelAt(*same, x, y), PixelAt(*src, x, y));

    ImagePtr twice = MakeImage(14, 10, bpp);
    ASSERT_EQ(twice->StretchImage(src.get(), 0), ERR_NONE);
    for (long y = 0; y < 10; ++y)
      for (long x = 0; x < 14; ++x) ASSERT_EQ(PixelAt(*twice, x, y), PixelAt(*src, x / 2, y / 2)) << x << "," << y;

    // Half of a view, wide enough for whole vector steps and a rest, into
    // either depth.
    ImagePtr big = MakeImage(80, 8, bpp);
    FillRandom(*big, rng.Next());
    big->SetViewOrigin(POINT{3, 1});
    big->SetViewSize(SIZE{74, 6});
    for (int dbpp : {24, 32}) {
      ImagePtr half = MakeImage(37, 3, dbpp);
      ASSERT_EQ(half->StretchImage(big.get(), 0), ERR_NONE);
      for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 37; ++x)
          for (int k = 0; k < dbpp / 8; ++k) {  // alpha is averaged too, or 255 from 24 bits
            unsigned expected = 255;
            if (k < n) {
              const long sx = 3 + 2 * x, sy = 1 + 2 * y;
              const unsigned a = PixelAt(*big, sx, sy)[k], b = PixelAt(*big, sx + 1, sy)[k];
              const unsigned c = PixelAt(*big, sx, sy + 1)[k], d = PixelAt(*big, sx + 1, sy + 1)[k];
              expected = ((a + b + c + d) * 16384 + 32768) >> 16;
            }
            ASSERT_EQ(PixelAt(*half, x, y)[k], expected) << bpp << " -> " << dbpp << " at " << x << "," << y;
          }
    }
  }
}

TEST(StretchImage, AcrossDepths) {
  Rng rng(11);
  ImagePtr src24 = MakeImage(5, 4, 24);
  FillRandom(*src24, rng.Next());
  ImagePtr dst32 = MakeImage(9, 7, 32);
  FillRandom(*dst32, rng.Next());
  ASSERT_EQ(dst32->StretchImage(src24.get(), 0), ERR_NONE);
  for (long y = 0; y < 7; ++y)
    for (long x = 0; x < 9; ++x) ASSERT_EQ(PixelAt(*dst32, x, y)[3], 255);

  // 32 to 24 bits at the same size: the colours come over, alpha is dropped.
  ImagePtr src32 = MakeImage(5, 4, 32);
  FillRandom(*src32, rng.Next());
  ImagePtr dst24 = MakeImage(5, 4, 24);
  ASSERT_EQ(dst24->StretchImage(src32.get(), 0), ERR_NONE);
  for (long y = 0; y < 4; ++y)
    for (long x = 0; x < 5; ++x) {
      Bytes p = PixelAt(*src32, x, y);
      p.pop_back();
      ASSERT_EQ(PixelAt(*dst24, x, y), p);
    }
}

TEST(StretchImage, ReadsTheSourceViewAndWritesTheWholeImageOrTheView) {
  ImagePtr src = MakeImage(6, 6, 24);
  FillRandom(*src, 3);
  src->SetViewOrigin(POINT{2, 1});
  src->SetViewSize(SIZE{3, 2});

  ImagePtr whole = MakeImage(3, 2, 24);
  whole->SetViewOrigin(POINT{1, 1});  // ignored
  ASSERT_EQ(whole->StretchImage(src.get(), 0), ERR_NONE);
  for (long y = 0; y < 2; ++y)
    for (long x = 0; x < 3; ++x) ASSERT_EQ(PixelAt(*whole, x, y), PixelAt(*src, 2 + x, 1 + y));

  ImagePtr view = MakeImage(8, 8, 32);
  FillRandom(*view, 4);
  view->SetViewOrigin(POINT{4, 3});
  view->SetViewSize(SIZE{3, 2});
  Bytes before = PixelMemory(*view);
  ASSERT_EQ(view->StretchImage(src.get(), 1), ERR_NONE);
  Bytes after = PixelMemory(*view);
  const Geo g = GeoOf(*view);
  for (long y = 0; y < 8; ++y)
    for (long x = 0; x < 8; ++x) {
      const bool inside = x >= 4 && x < 7 && y >= 3 && y < 5;
      for (int k = 0; k < 4; ++k) {
        const unsigned char got = after[Offset(g, x, y) + k];
        if (!inside)
          ASSERT_EQ(got, before[Offset(g, x, y) + k]);
        else
          ASSERT_EQ(got, k == 3 ? 255 : PixelAt(*src, 2 + x - 4, 1 + y - 3)[k]);
      }
    }
}

// Random sizes in both directions, random views and every pair of depths;
// nothing outside the destination rectangle may change. The last rounds have
// source rows of several kilobytes, which are made a stretch at a time.
TEST(StretchImage, RandomCasesMatchTheReference) {
  Rng rng(2024);
  for (int round = 0; round < 230; ++round) {
    const int sbpp = rng.Below(2) ? 32 : 24, dbpp = rng.Below(2) ? 32 : 24;
    long sw = 1 + rng.Below(40), sh = 1 + rng.Below(40), dw = 1 + rng.Below(40), dh = 1 + rng.Below(40);
    if (round >= 220) {
      sw = 700 + rng.Below(1200);
      dw = 20 + rng.Below(1500);
      sh = 1 + rng.Below(3);
      dh = 1 + rng.Below(3);
    } else if (round >= 200) {  // extreme ratios: a source pixel shares less than 1/256
      const bool wide = round % 2 == 0;
      (wide ? sw : sh) = 300 + rng.Below(500);
      (wide ? sh : sw) = 1 + rng.Below(3);
      dw = 1 + rng.Below(3);
      dh = 1 + rng.Below(3);
    }
    ImagePtr src = MakeImage(sw + rng.Below(4), sh + rng.Below(4), sbpp);
    ImagePtr dst = MakeImage(dw + rng.Below(4), dh + rng.Below(4), dbpp);
    FillRandom(*src, rng.Next());
    FillRandom(*dst, rng.Next());
    const Geo sg = GeoOf(*src), dg = GeoOf(*dst);
    src->SetViewOrigin(POINT{static_cast<LONG>(rng.Below(sg.w - sw + 1)), static_cast<LONG>(rng.Below(sg.h - sh + 1))});
    src->SetViewSize(SIZE{static_cast<LONG>(sw), static_cast<LONG>(sh)});
    const int intoView = rng.Below(3);
    if (intoView) {
      dst->SetViewOrigin(
          POINT{static_cast<LONG>(rng.Below(dg.w - dw + 1)), static_cast<LONG>(rng.Below(dg.h - dh + 1))});
      dst->SetViewSize(SIZE{static_cast<LONG>(dw), static_cast<LONG>(dh)});
    }
    const pixolan::Rect from{src->ViewOrigin.x, src->ViewOrigin.y, sw, sh};
    const pixolan::Rect to =
        intoView ? pixolan::Rect{dst->ViewOrigin.x, dst->ViewOrigin.y, dw, dh} : pixolan::Rect{0, 0, dg.w, dg.h};
    Bytes expected = PixelMemory(*dst);
    ReferenceStretch(PixelMemory(*src), sg, from, expected, dg, to);
    const Bytes srcBefore = PixelMemory(*src);

    ASSERT_EQ(dst->StretchImage(src.get(), intoView), ERR_NONE);
    ASSERT_EQ(PixelMemory(*dst), expected)
        << "round " << round << ": " << sw << "x" << sh << "/" << sbpp << " -> " << to.w << "x" << to.h << "/" << dbpp;
    ASSERT_EQ(PixelMemory(*src), srcBefore);
  }
}

TEST(StretchImage, SourceChecksComeFirstAndEmptyRectanglesAreRefused) {
  ImagePtr src = MakeImage(4, 4, 24);
  ImagePtr dst = MakeImage(4, 4, 24);
  dst->ErrorCode = ERR_FILE_READ;
  EXPECT_EQ(dst->StretchImage(nullptr, 0), ERR_UNSUPPORTED_COMMAND);
  dst->ErrorCode = ERR_FILE_READ;
  src->ErrorCode = ERR_MEMORY;
  EXPECT_EQ(dst->StretchImage(src.get(), 0), ERR_EXTERNAL);

  // A failed destination keeps its code and its pixels.
  src->ErrorCode = ERR_NONE;
  FillRandom(*src, 5);
  dst->ErrorCode = ERR_FILE_READ;
  EXPECT_EQ(dst->StretchImage(src.get(), 0), ERR_FILE_READ);
  for (unsigned char b : PixelMemory(*dst)) ASSERT_EQ(b, 0);

  // A view written without normalising may be empty: nothing to average.
  for (int which = 0; which < 4; ++which) {
    ImagePtr s = MakeImage(4, 4, 32), d = MakeImage(4, 4, 32);
    FillRandom(*s, 6);
    const Bytes before = PixelMemory(*d);
    if (which == 0) s->ViewSize.cx = 0;
    if (which == 1) s->ViewSize.cy = -2;
    if (which == 2) d->ViewSize.cx = -1;
    if (which == 3) d->ViewSize.cy = 0;
    EXPECT_EQ(d->StretchImage(s.get(), 1), ERR_UNSUPPORTED_COMMAND) << which;
    EXPECT_EQ(PixelMemory(*d), before);
  }
}

}  // namespace
