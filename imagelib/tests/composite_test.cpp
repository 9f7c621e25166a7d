// Masked copy, blending, blits and fill, checked against plain (x, y)
// reference loops on random odd-sized images with random views.
#include "rounding.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace testing_support;  // the suites' shared helpers
using Bytes = std::vector<unsigned char>;

namespace {

// Offset of pixel (x, y) in the pixel memory (rows bottom-up).
std::size_t Offset(const ZEMADisplayFCDIB& img, long x, long y) { return testing_support::Offset(GeoOf(img), x, y); }

ImagePtr RandomImage(Rng& rng, int bpp, int maxWidth = 37) {
  ImagePtr img = MakeImage(1 + rng.Below(maxWidth), 1 + rng.Below(29), bpp);
  testing_support::FillRandom(*img, rng.Next());
  return img;
}
// A random valid view, often reaching the right or bottom edge.
void RandomView(Rng& rng, ZEMADisplayFCDIB& img) {
  Geo g = GeoOf(img);
  img.SetViewOrigin(POINT{rng.Below(g.w), rng.Below(g.h)});
  img.SetViewSize(SIZE{rng.Below(g.w + 1), rng.Below(g.h + 1)});
}

// The rectangle that lands in the destination: the source extent cut at the
// destination's right and bottom edges.
struct Landing {
  long sx, sy, dx, dy, n, m;
};
Landing LandingOf(const ZEMADisplayFCDIB& src, const ZEMADisplayFCDIB& dst, bool whole) {
  Landing l{src.ViewOrigin.x, src.ViewOrigin.y, dst.ViewOrigin.x, dst.ViewOrigin.y, src.ViewSize.cx, src.ViewSize.cy};
  if (whole) l.sx = l.sy = 0, l.n = GeoOf(src).w, l.m = GeoOf(src).h;
  l.n = std::min(l.n, GeoOf(dst).w - l.dx);
  l.m = std::min(l.m, GeoOf(dst).h - l.dy);
  return l;
}

// The destination's pixel memory after f(s, d) for each source pixel s and
// the pixel d it lands on.
template <class F>
Bytes EachLanding(const ZEMADisplayFCDIB& src, const ZEMADisplayFCDIB& dst, bool whole, F f) {
  Bytes out = PixelMemory(dst);
  const Landing l = LandingOf(src, dst, whole);
  for (long j = 0; j < l.m; ++j)
    for (long i = 0; i < l.n; ++i)
      f(src.Bits + Offset(src, l.sx + i, l.sy + j), out.data() + Offset(dst, l.dx + i, l.dy + j));
  return out;
}

Bytes ReferenceCopy(const ZEMADisplayFCDIB& src, const ZEMADisplayFCDIB& dst, int mask) {
  if (static_cast<unsigned>(mask) > 15) return PixelMemory(dst);
  const bool src32 = GeoOf(src).bpp == 4, dst32 = GeoOf(dst).bpp == 4;
  return EachLanding(src, dst, false, [&](const unsigned char* s, unsigned char* d) {
    for (int c = 0; c < 3; ++c)
      if (!(mask & (1 << c))) d[c] = s[c];
    if (dst32 && !(mask & KEEP_ALPHA)) d[3] = src32 ? s[3] : 255;
  });
}

// The blend written plainly, with 64-bit exact rounding.
Bytes ReferencePut(const ZEMADisplayFCDIB& src, const ZEMADisplayFCDIB& dst, unsigned T, bool whole) {
  if (T >= 256) return PixelMemory(dst);
  const bool src32 = GeoOf(src).bpp == 4, dst32 = GeoOf(dst).bpp == 4;
  return EachLanding(src, dst, whole, [&](const unsigned char* s, unsigned char* d) {
    if (!src32) {
      for (int c = 0; c < 3; ++c)
        d[c] = static_cast<unsigned char>((s[c] * 256LL + (d[c] - s[c]) * std::int64_t{T} + 128) >> 8);
      if (dst32) d[3] = static_cast<unsigned char>((d[3] * std::int64_t{T} + 128) >> 8);
    } else {
      const std::int64_t K = (255 - s[3]) * std::int64_t{256 - T};
      for (int c = 0; c < 3; ++c)
        d[c] = static_cast<unsigned char>((d[c] * 65280LL + (s[c] - d[c]) * K + 32640) / 65280);
      if (dst32) d[3] = static_cast<unsigned char>((d[3] * (65280 - K) + 32640) / 65280);
    }
  });
}

// The library's rounding for V / 65280 is exact over the whole range a blend
// can produce (halves round up, as the reference does).
TEST(Blend, RoundedDivisionBy65280IsExact) {
  for (std::uint32_t v = 0; v <= 255u * 65280u; ++v) ASSERT_EQ(pixolan::RoundedDiv65280(v), (v + 32640) / 65280) << v;
}

TEST(CopyImage, EveryMaskOnEveryDepthPairMatchesTheReference) {
  Rng rng(7);
  for (int srcBpp : {24, 32})
    for (int dstBpp : {24, 32})
      for (int mask = -1; mask <= 17; ++mask)
        for (int trial = 0; trial < 6; ++trial) {
          ImagePtr src = RandomImage(rng, srcBpp), dst = RandomImage(rng, dstBpp);
          RandomView(rng, *src);
          RandomView(rng, *dst);
          const Bytes before = PixelMemory(*src), expected = ReferenceCopy(*src, *dst, mask);
          ASSERT_EQ(dst->CopyImage(src.get(), mask), ERR_NONE);
          ASSERT_EQ(PixelMemory(*dst), expected) << srcBpp << "->" << dstBpp << " mask " << mask;
          ASSERT_EQ(PixelMemory(*src), before);
        }
}

TEST(CopyImage, AlphaFromA24BitSourceAndKeptChannels) {
  ImagePtr src = MakeImage(3, 1, 24), dst = MakeImage(3, 1, 32);
  src->EraseImage(tagB_BGRA{10, 20, 30, 40}, 1);
  dst->EraseImage(tagB_BGRA{1, 2, 3, 4}, 1);
  dst->CopyImage(src.get(), 7);  // alpha only, 255 from a 24-bit source
  EXPECT_EQ(testing_support::PixelAt(*dst, 2, 0), (Bytes{1, 2, 3, 255}));
  dst->EraseImage(tagB_BGRA{1, 2, 3, 4}, 1);
  dst->CopyImage(src.get(), 8);
  EXPECT_EQ(testing_support::PixelAt(*dst, 0, 0), (Bytes{10, 20, 30, 4}));
  // The destination's view size does not limit the copy.
  dst->SetViewSize(SIZE{1, 1});
  dst->CopyImage(src.get(), 0);
  EXPECT_EQ(testing_support::PixelAt(*dst, 2, 0), (Bytes{10, 20, 30, 255}));
}

// Rows of every length 0..88 from every start 0..15, the destination
// starting elsewhere, for masks with block loops on every depth pair: every
// block width meets every tail length and alignment, and 24-bit rows reach a
// partial 64-byte register after none, one and two whole ones (their kept
// channels repeat only every three registers). The pixels around the row and
// the row padding must keep their values.
TEST(CopyImage, RowTailsOfEveryLengthAtEveryOffset) {
  Rng rng(41);
  for (int srcBpp : {24, 32})
    for (int dstBpp : {24, 32})
      for (int mask : {0, 8, 13}) {
        ImagePtr src = MakeImage(104, 3, srcBpp), dst = MakeImage(104, 3, dstBpp);
        for (LONG length = 0; length <= 88; ++length)
          for (LONG offset = 0; offset < 16; ++offset) {
            testing_support::FillRandom(*src, rng.Next());
            testing_support::FillRandom(*dst, rng.Next());
            src->SetViewOrigin(POINT{offset, 1});
            src->SetViewSize(SIZE{length, 1});
            dst->SetViewOrigin(POINT{(offset * 7 + length) % 16, 1});
            const Bytes expected = ReferenceCopy(*src, *dst, mask);
            ASSERT_EQ(dst->CopyImage(src.get(), mask), ERR_NONE);
            ASSERT_EQ(PixelMemory(*dst), expected)
                << srcBpp << "->" << dstBpp << " mask " << mask << ", " << length << " pixels from " << offset;
          }
      }
}

TEST(PutImage, BlendsMatchTheFormulasAtEveryTransparency) {
  Rng rng(11);
  for (int srcBpp : {24, 32})
    for (int dstBpp : {24, 32})
      for (unsigned T : {0u, 1u, 128u, 255u, 256u, 65535u})
        for (int trial = 0; trial < 10; ++trial) {
          ImagePtr src = RandomImage(rng, srcBpp, 70), dst = RandomImage(rng, dstBpp, 70);
          if (trial >= 8) {
            // Two images of one size whose rows have no padding, the whole
            // source at the origin: the rows lie back to back in both.
            const long w = 4 * (1 + rng.Below(12)), h = 1 + rng.Below(20);
            src = MakeImage(w, h, srcBpp);
            dst = MakeImage(w, h, dstBpp);
            testing_support::FillRandom(*src, rng.Next());
            testing_support::FillRandom(*dst, rng.Next());
          }
          // Most source alphas are at or next to the opaque and invisible ends,
          // where the shortcuts and the rounding are decided.
          static const unsigned char kEnds[] = {0, 1, 254, 255};
          if (srcBpp == 32)
            for (long y = 0; y < GeoOf(*src).h; ++y)
              for (long x = 0; x < GeoOf(*src).w; ++x) {
                const int pick = rng.Below(6);
                if (pick < 4) src->Bits[Offset(*src, x, y) + 3] = kEnds[pick];
              }
          if (trial < 8) {
            RandomView(rng, *src);
            RandomView(rng, *dst);
          }
          const bool whole = trial % 2 == 1;
          const Bytes expected = ReferencePut(*src, *dst, T, whole);
          ASSERT_EQ(dst->PutImage(src.get(), static_cast<unsigned short>(T), whole), ERR_NONE);
          ASSERT_EQ(PixelMemory(*dst), expected) << srcBpp << "->" << dstBpp << " T " << T;
        }
}

// Every source value over every destination value, at every source alpha
// (32-bit source, at T = 0 and at one other transparency per alpha, so that
// every transparency meets some alpha) or at a few transparencies (24-bit
// source).
TEST(PutImage, ExhaustiveOverAllChannelValues) {
  ImagePtr src32 = MakeImage(256, 256, 32), src24 = MakeImage(256, 256, 24);
  ImagePtr dst32 = MakeImage(256, 256, 32), dst24 = MakeImage(256, 256, 24);
  auto paint = [](ZEMADisplayFCDIB& img, bool swap) {
    for (long y = 0; y < 256; ++y)
      for (long x = 0; x < 256; ++x) {
        unsigned char* p = img.Bits + Offset(img, x, y);
        p[0] = static_cast<unsigned char>(swap ? y : x);
        p[1] = static_cast<unsigned char>(swap ? x : y);
        p[2] = static_cast<unsigned char>(x ^ y);
        if (GeoOf(img).bpp == 4) p[3] = static_cast<unsigned char>(swap ? x : y);
      }
  };
  paint(*src24, false);
  for (int sa = 0; sa < 256; ++sa) {
    paint(*src32, false);
    for (long y = 0; y < 256; ++y)
      for (long x = 0; x < 256; ++x) src32->Bits[Offset(*src32, x, y) + 3] = static_cast<unsigned char>(sa);
    for (unsigned T : {0u, (sa * 37u) % 256u})
      for (ZEMADisplayFCDIB* dst : {dst32.get(), dst24.get()}) {
        paint(*dst, true);
        const Bytes expected = ReferencePut(*src32, *dst, T, true);
        dst->PutImage(src32.get(), static_cast<unsigned short>(T), 1);
        ASSERT_EQ(PixelMemory(*dst), expected) << "alpha " << sa << " T " << T;
      }
  }
  for (unsigned T : {1u, 128u, 255u})
    for (ZEMADisplayFCDIB* dst : {dst32.get(), dst24.get()}) {
      paint(*dst, true);
      const Bytes expected = ReferencePut(*src24, *dst, T, true);
      dst->PutImage(src24.get(), static_cast<unsigned short>(T), 1);
      ASSERT_EQ(PixelMemory(*dst), expected) << "T " << T;
    }
}

// Runs of invisible or opaque source pixels of every length at every
// offset, among random alphas: blocks that are wholly one or the other, and
// blocks that only partly are; with and without a global transparency.
TEST(PutImage, InvisibleAndOpaqueRunsAtEveryOffset) {
  for (unsigned short T : {0, 128})
    for (unsigned char end : {0, 255}) {
      ImagePtr src = MakeImage(48, 20 * 16, 32);
      testing_support::FillRandom(*src, end + 1u);
      long y = 0;
      for (long length = 1; length <= 20; ++length)
        for (long offset = 0; offset < 16; ++offset, ++y)
          for (long x = offset; x < offset + length; ++x) src->Bits[Offset(*src, x, y) + 3] = end;
      for (int dstBpp : {24, 32}) {
        ImagePtr dst = MakeImage(48, 20 * 16, dstBpp);
        testing_support::FillRandom(*dst, 99);
        const Bytes expected = ReferencePut(*src, *dst, T, true);
        dst->PutImage(src.get(), T, 1);
        EXPECT_EQ(PixelMemory(*dst), expected) << "alpha " << int{end} << " onto " << dstBpp << " T " << T;
      }
    }
}

// Rows of every length 0..40 from every start 0..15, with source and
// destination starting at different places, so that every block width meets
// every tail length and every memory alignment, at T = 0 and at several
// other transparencies; and rows around one and two runs of four 64-byte
// blocks, which onto 24 bits are blended as their three registers. Each row
// is either a mix of alphas, wholly opaque, opaque but for one blended pixel,
// or invisible but for one. The pixels around the row and the row padding
// must keep their values.
TEST(PutImage, RowTailsOfEveryLengthAtEveryOffset) {
  Rng rng(31);
  static const unsigned char kMix[] = {0, 1, 127, 254, 255};
  std::vector<LONG> lengths;
  for (LONG length = 0; length <= 40; ++length) lengths.push_back(length);
  for (LONG length : {63, 64, 65, 70, 127, 128, 129, 134}) lengths.push_back(length);
  for (unsigned short T : {0, 1, 64, 127, 128, 200, 255})
    for (int dstBpp : {24, 32}) {
      ImagePtr src = MakeImage(151, 3, 32), dst = MakeImage(151, 3, dstBpp);
      for (LONG length : lengths)
        for (LONG offset = 0; offset < 16; ++offset) {
          testing_support::FillRandom(*src, rng.Next());
          testing_support::FillRandom(*dst, rng.Next());
          const int kind = rng.Below(4);
          const LONG blended = length > 0 ? offset + rng.Below(length) : -1;
          for (LONG x = offset; x < offset + length; ++x) {
            unsigned char& alpha = src->Bits[Offset(*src, x, 1) + 3];
            alpha = kind == 0 ? kMix[rng.Below(5)] : kind >= 2 && x == blended ? 100 : kind == 3 ? 255 : 0;
          }
          src->SetViewOrigin(POINT{offset, 1});
          src->SetViewSize(SIZE{length, 1});
          dst->SetViewOrigin(POINT{(offset * 7 + length) % 16, 1});
          const Bytes expected = ReferencePut(*src, *dst, T, false);
          ASSERT_EQ(dst->PutImage(src.get(), T, 0), ERR_NONE);
          ASSERT_EQ(PixelMemory(*dst), expected) << "onto " << dstBpp << " at T " << T << ", " << length
                                                 << " pixels from " << offset << ", rows of kind " << kind;
        }
    }
}

TEST(PutImage, OpaqueInvisibleAndHalfwayIdentities) {
  ImagePtr src = MakeImage(4, 2, 32), dst = MakeImage(4, 2, 32);
  testing_support::FillRandom(*dst, 3);
  const Bytes before = PixelMemory(*dst);
  src->EraseImage(tagB_BGRA{9, 99, 199, 255}, 1);  // invisible: nothing changes at any T
  for (unsigned short T : {0, 77, 255}) dst->PutImage(src.get(), T, 1);
  EXPECT_EQ(PixelMemory(*dst), before);
  src->EraseImage(tagB_BGRA{9, 99, 199, 0}, 1);  // opaque at T = 0: the source, alpha 0
  dst->PutImage(src.get(), 0, 1);
  EXPECT_EQ(testing_support::PixelAt(*dst, 3, 1), (Bytes{9, 99, 199, 0}));
  // Alpha 254 is not invisible: 255 over 0 becomes 1.
  src->EraseImage(tagB_BGRA{255, 255, 255, 254}, 1);
  dst->EraseImage(tagB_BGRA{0, 0, 0, 0}, 1);
  dst->PutImage(src.get(), 0, 1);
  EXPECT_EQ(testing_support::PixelAt(*dst, 0, 0), (Bytes{1, 1, 1, 0}));

  ImagePtr src24 = MakeImage(1, 1, 24), dst32 = MakeImage(1, 1, 32);
  dst32->EraseImage(tagB_BGRA{0, 0, 0, 201}, 1);
  dst32->PutImage(src24.get(), 128, 0);
  EXPECT_EQ(dst32->Bits[3], (201 * 128 + 128) >> 8);  // 101
}

TEST(BltImage, CopiesTheViewWithDepthConversion) {
  Rng rng(5);
  for (int srcBpp : {24, 32})
    for (int dstBpp : {24, 32})
      for (int trial = 0; trial < 10; ++trial) {
        ImagePtr src = RandomImage(rng, srcBpp), dst = RandomImage(rng, dstBpp);
        RandomView(rng, *src);
        const LONG dx = rng.Below(GeoOf(*dst).w), dy = trial == 0 ? GeoOf(*dst).h - 1 : rng.Below(GeoOf(*dst).h);
        dst->ViewOrigin = POINT{dx, dy};  // only for the reference's landing
        Bytes expected = PixelMemory(*dst);
        Landing l = LandingOf(*src, *dst, false);
        for (long j = 0; j < l.m; ++j)
          for (long i = 0; i < l.n; ++i) {
            const unsigned char* s = src->Bits + Offset(*src, l.sx + i, l.sy + j);
            unsigned char* d = expected.data() + Offset(*dst, dx + i, dy + j);
            for (int c = 0; c < 3; ++c) d[c] = s[c];
            if (dstBpp == 32) d[3] = srcBpp == 32 ? s[3] : 0;
          }
        ASSERT_EQ(dst->BltImage(src.get(), dx, dy, SRCCOPY), ERR_NONE);
        ASSERT_EQ(PixelMemory(*dst), expected) << srcBpp << "->" << dstBpp << " at " << dx << "," << dy;
      }
}

TEST(BltImage, WithinOneImageAndPastTheEdges) {
  ImagePtr img = MakeImage(9, 6, 24);
  testing_support::FillRandom(*img, 21);
  img->SetViewOrigin(POINT{0, 0});
  img->SetViewSize(SIZE{3, 2});
  const Bytes corner = testing_support::PixelAt(*img, 1, 1);
  ASSERT_EQ(img->BltImage(img.get(), 5, 3, SRCCOPY), ERR_NONE);
  EXPECT_EQ(testing_support::PixelAt(*img, 6, 4), corner);
  // A position past the right or bottom edge draws nothing.
  const Bytes before = PixelMemory(*img);
  EXPECT_EQ(img->BltImage(img.get(), 9, 0, SRCCOPY), ERR_NONE);
  EXPECT_EQ(img->BltImage(img.get(), 0, 0xFFFFFFFFul, SRCCOPY), ERR_NONE);
  EXPECT_EQ(PixelMemory(*img), before);
}

TEST(EraseImage, FillsPixelsAndKeepsRowPadding) {
  ImagePtr img = MakeImage(5, 4, 24);  // 15 bytes of pixels in a 16-byte row
  testing_support::FillRandom(*img, 2);
  Bytes expected = PixelMemory(*img);
  img->SetViewOrigin(POINT{2, 1});
  img->SetViewSize(SIZE{3, 2});
  for (long y = 1; y < 3; ++y)
    for (long x = 2; x < 5; ++x)
      for (int c = 0; c < 3; ++c) expected[Offset(*img, x, y) + c] = static_cast<unsigned char>(0xA0 + c);
  img->EraseImage(tagB_BGRA{0xA0, 0xA1, 0xA2, 0xEE}, 0);
  EXPECT_EQ(PixelMemory(*img), expected);

  ImagePtr img32 = MakeImage(3, 3, 32);
  testing_support::FillRandom(*img32, 4);
  const Bytes spare(img32->Bits + 3 * 12, img32->Bits + 4 * 12);
  img32->EraseImage(tagB_BGRA{1, 2, 3, 4}, 1);
  for (long y = 0; y < 3; ++y)
    for (long x = 0; x < 3; ++x) EXPECT_EQ(testing_support::PixelAt(*img32, x, y), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Bytes(img32->Bits + 3 * 12, img32->Bits + 4 * 12), spare);
}

TEST(Failures, SourcesAndStickyErrors) {
  ImagePtr dst = MakeImage(6, 5, 32), src = MakeImage(6, 5, 24);
  testing_support::FillRandom(*src, 8);
  ImagePtr noPixels(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, 4, 4, 3, 0, 0, 9));
  ASSERT_EQ(noPixels->hBitmap, nullptr);
  const Bytes before = PixelMemory(*dst);

  struct Case {
    int (*call)(ZEMADisplayFCDIB&, ZEMADisplayFCDIB*);
    ZEMADisplayFCDIB* source;
    int expected;
  };
  auto copy = [](ZEMADisplayFCDIB& d, ZEMADisplayFCDIB* s) { return d.CopyImage(s, 0); };
  auto put = [](ZEMADisplayFCDIB& d, ZEMADisplayFCDIB* s) { return d.PutImage(s, 0, 1); };
  auto blt = [](ZEMADisplayFCDIB& d, ZEMADisplayFCDIB* s) { return d.BltImage(s, 0, 0, SRCCOPY); };
  for (Case c : {Case{copy, nullptr, ERR_UNSUPPORTED_COMMAND}, Case{put, nullptr, ERR_UNSUPPORTED_COMMAND},
                 Case{blt, nullptr, ERR_UNSUPPORTED_COMMAND}, Case{copy, noPixels.get(), ERR_EXTERNAL},
                 Case{put, noPixels.get(), ERR_EXTERNAL}, Case{blt, noPixels.get(), ERR_EXTERNAL}}) {
    ImagePtr target = MakeImage(6, 5, 32);
    EXPECT_EQ(c.call(*target, c.source), c.expected);
    EXPECT_EQ(target->ErrorCode, c.expected);
    // Sticky: no later operation writes a pixel or changes the code.
    EXPECT_EQ(c.call(*target, src.get()), c.expected);
    target->EraseImage(tagB_BGRA{1, 1, 1, 1}, 1);
    for (unsigned char b : PixelMemory(*target)) ASSERT_EQ(b, 0);
  }
  // Transparency 256 with a null source still reports the null source first.
  EXPECT_EQ(MakeImage(2, 2, 24)->PutImage(nullptr, 256, 1), ERR_UNSUPPORTED_COMMAND);

  // A source with an error but with pixels is still read by CopyImage and
  // PutImage; BltImage refuses it.
  src->ErrorCode = ERR_FILE_READ;
  EXPECT_EQ(dst->BltImage(src.get(), 0, 0, SRCCOPY), ERR_EXTERNAL);
  EXPECT_EQ(PixelMemory(*dst), before);
  ImagePtr reader = MakeImage(6, 5, 24);
  EXPECT_EQ(reader->CopyImage(src.get(), 0), ERR_NONE);
  EXPECT_EQ(testing_support::PixelAt(*reader, 5, 4), testing_support::PixelAt(*src, 5, 4));
  reader->EraseImage(tagB_BGRA{0, 0, 0, 0}, 1);
  EXPECT_EQ(reader->PutImage(src.get(), 0, 1), ERR_NONE);
  EXPECT_EQ(testing_support::PixelAt(*reader, 5, 4), testing_support::PixelAt(*src, 5, 4));
}

// Views written out of range by a client are cut to the images: nothing is
// read or written outside either (the sanitizer build checks the memory).
TEST(Clipping, OutOfRangeViewsStayInsideBothImages) {
  ImagePtr src = MakeImage(7, 5, 32), dst = MakeImage(6, 4, 24);
  testing_support::FillRandom(*src, 12);
  const Bytes before = PixelMemory(*dst);
  dst->ViewOrigin = POINT{6, 0};  // just past the right edge
  EXPECT_EQ(dst->CopyImage(src.get(), 0), ERR_NONE);
  EXPECT_EQ(dst->PutImage(src.get(), 0, 1), ERR_NONE);
  EXPECT_EQ(PixelMemory(*dst), before);

  src->ViewOrigin = POINT{-2, -1};
  src->ViewSize = SIZE{100, 100};
  dst->ViewOrigin = POINT{0, 0};
  EXPECT_EQ(dst->CopyImage(src.get(), 8), ERR_NONE);
  // Source pixel (0, 0) sits 2 right and 1 down of where the view begins.
  EXPECT_EQ(testing_support::PixelAt(*dst, 2, 1),
            Bytes(src->Bits + Offset(*src, 0, 0), src->Bits + Offset(*src, 0, 0) + 3));
  EXPECT_EQ(testing_support::PixelAt(*dst, 0, 0),
            Bytes(before.begin() + Offset(*dst, 0, 0), before.begin() + Offset(*dst, 0, 0) + 3));

  // Overlapping rectangles of one image stay inside it too.
  src->SetViewOrigin(POINT{1, 1});
  src->SetViewSize(SIZE{0, 0});
  for (int mask : {0, 3, 8}) EXPECT_EQ(src->CopyImage(src.get(), mask), ERR_NONE);
  for (unsigned short T : {0, 100}) EXPECT_EQ(src->PutImage(src.get(), T, 1), ERR_NONE);
}

}  // namespace
