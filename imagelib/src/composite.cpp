// Compositing and fill: channel-masked copy, blending, platform blit, fill.
//
// Every pixel loop here is specialised for one source depth, one destination
// depth and (for CopyImage) one mask; the specialisation is picked once per
// call, so the loops themselves carry no format tests.
#include "cpu_features.h"
#include "internal.h"

#include <array>
#include <cstring>
#include <utility>

#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
#include <emmintrin.h>
#endif

using namespace pixolan;

namespace {

using Byte = unsigned char;

// A rectangle to move from one image to another: the first source and
// destination pixels the loops visit, the distance back to the next rows
// (`s -= srcStride`), width and height. Loops take it by value, so the
// compiler knows that pixel stores cannot change it.
struct Transfer {
  const Byte* src;
  std::ptrdiff_t srcStride;
  Byte* dst;
  std::ptrdiff_t dstStride;
  long cols;
  long rows;
};

// Places the source rectangle (sx, sy, n, m) at (dx, dy) of the destination
// and clips it so that every pixel read and written lies inside its image.
// A valid view never needs more than the right and bottom clip against the
// destination; the rest only guards against views that a client wrote out of
// range. Returns false when nothing is left.
bool PlaceTransfer(const ZEMADisplayFCDIB& src, long long sx, long long sy, long long n, long long m,
                   const ZEMADisplayFCDIB& dst, long long dx, long long dy, Transfer& t) {
  auto clip = [](long long& s, long long& d, long long& extent, long long sLimit, long long dLimit) {
    if (s < 0) {
      d -= s;
      extent += s;
      s = 0;
    }
    if (d < 0) {
      s -= d;
      extent += d;
      d = 0;
    }
    if (extent > sLimit - s) extent = sLimit - s;
    if (extent > dLimit - d) extent = dLimit - d;
  };
  clip(sx, dx, n, Width(src), Width(dst));
  clip(sy, dy, m, Height(src), Height(dst));
  if (n <= 0 || m <= 0) return false;
  t.cols = static_cast<long>(n);
  t.rows = static_cast<long>(m);
  if (&src == &dst) {
    // Within one image the rows go from the top down, as the source is read.
    t.src = PixelAddress(src, static_cast<long>(sx), static_cast<long>(sy));
    t.srcStride = static_cast<std::ptrdiff_t>(Stride(src));
    t.dst = PixelAddress(dst, static_cast<long>(dx), static_cast<long>(dy));
    t.dstStride = static_cast<std::ptrdiff_t>(Stride(dst));
  } else {
    // Between two images the order is free: bottom row first walks both
    // memories upward, which the memory system streams far better.
    t.src = PixelAddress(src, static_cast<long>(sx), static_cast<long>(sy + m - 1));
    t.srcStride = -static_cast<std::ptrdiff_t>(Stride(src));
    t.dst = PixelAddress(dst, static_cast<long>(dx), static_cast<long>(dy + m - 1));
    t.dstStride = -static_cast<std::ptrdiff_t>(Stride(dst));
  }
  return true;
}

inline bool HasPixels(const ZEMADisplayFCDIB& img) { return img.hBitmap != nullptr && img.Bits != nullptr; }

inline std::uint32_t Load32(const Byte* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(Byte* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// A 32-bit word whose bytes (in memory order blue, green, red, alpha) are
// 0xFF where `keep` names the channel.
inline std::uint32_t KeptBytes(unsigned keep) {
  const Byte bytes[4] = {static_cast<Byte>(keep & KEEP_BLUE ? 0xFF : 0),
                         static_cast<Byte>(keep & KEEP_GREEN ? 0xFF : 0), static_cast<Byte>(keep & KEEP_RED ? 0xFF : 0),
                         static_cast<Byte>(keep & KEEP_ALPHA ? 0xFF : 0)};
  return Load32(bytes);
}

// ---- Moving pixels between 24- and 32-bit layouts ------------------------------

#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
// Twelve bytes into the low bytes of a register, and back.
inline __m128i Load12(const Byte* p) {
  return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                            _mm_cvtsi32_si128(static_cast<int>(Load32(p + 8))));
}
inline void Store12(Byte* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  Store32(p + 8, static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8))));
}

// Four 24-bit pixels in the low 12 bytes of `v` as four 32-bit lanes; the
// fourth byte of each lane is the next pixel's blue.
inline __m128i Expand4x3(__m128i v) {
  const __m128i lo = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
  const __m128i hi = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
  return _mm_unpacklo_epi64(lo, hi);
}
// The same from memory (12 bytes, nothing read beyond).
inline __m128i Load3x4(const Byte* p) { return Expand4x3(Load12(p)); }

// The low three bytes of four 32-bit lanes, packed into the low 12 bytes as
// four 24-bit pixels.
inline __m128i Pack4x3(__m128i v) {
  const __m128i first = _mm_set1_epi64x(0xFFFFFF), second = _mm_set1_epi64x(0xFFFFFF000000);
  // Each 64-bit half packs its two pixels into its low six bytes...
  const __m128i x = _mm_or_si128(_mm_and_si128(v, first), _mm_and_si128(_mm_srli_epi64(v, 8), second));
  // ...and the upper half's six bytes move down to follow the lower half's.
  const __m128i lowHalf = _mm_set_epi32(0, 0, -1, -1);
  return _mm_or_si128(_mm_and_si128(x, lowHalf), _mm_srli_si128(_mm_andnot_si128(lowHalf, x), 2));
}
#endif

// ---- CopyImage ---------------------------------------------------------------

// One row of the masked copy from SB- to DB-byte pixels. A 24-bit source
// gives the alpha value 255; a 24-bit destination has no alpha to write.
// Kept channels are merged back through a byte mask, four or sixteen pixels
// at a time where the processor has 16-byte registers.
template <int SB, int DB, unsigned Keep>
void CopyRow(const Byte* s, Byte* d, long n) {
  long i = 0;
  if constexpr (SB == DB && Keep == 0) {
    std::memmove(d, s, static_cast<std::size_t>(n) * SB);  // source and destination may share an image
    return;
  } else if constexpr (DB == 4) {
    const std::uint32_t kept = KeptBytes(Keep);
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
    const __m128i keptV = _mm_set1_epi32(static_cast<int>(kept));
    // A 24-bit source's lanes get alpha 255, unless the destination keeps its own.
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const auto put = [&](Byte* to, __m128i from) {
      if constexpr (SB == 3 && !(Keep & KEEP_ALPHA)) from = _mm_or_si128(from, alpha);
      if constexpr (Keep != 0)
        from = _mm_or_si128(_mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(to)), keptV),
                            _mm_andnot_si128(keptV, from));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to), from);
    };
    if constexpr (SB == 3) {
      // Sixteen 24-bit pixels are three whole registers.
      for (; i + 16 <= n; i += 16, s += 48, d += 64) {
        const __m128i* from = reinterpret_cast<const __m128i*>(s);
        const __m128i v0 = _mm_loadu_si128(from), v1 = _mm_loadu_si128(from + 1), v2 = _mm_loadu_si128(from + 2);
        put(d, Expand4x3(v0));
        put(d + 16, Expand4x3(_mm_or_si128(_mm_srli_si128(v0, 12), _mm_slli_si128(v1, 4))));
        put(d + 32, Expand4x3(_mm_or_si128(_mm_srli_si128(v1, 8), _mm_slli_si128(v2, 8))));
        put(d + 48, Expand4x3(_mm_srli_si128(v2, 4)));
      }
    }
    for (; i + 4 <= n; i += 4, s += 4 * SB, d += 16) {
      if constexpr (SB == 4)
        put(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
      else
        put(d, Load3x4(s));
    }
#endif
    for (; i < n; ++i, s += SB, d += 4) {
      std::uint32_t from;
      if constexpr (SB == 4) {
        from = Load32(s);
      } else {
        const Byte px[4] = {s[0], s[1], s[2], 0xFF};
        from = Load32(px);
      }
      Store32(d, (Load32(d) & kept) | (from & ~kept));
    }
  } else {
    if constexpr ((Keep & 7) == 7) return;  // no channel of a 24-bit pixel is written
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
    // Kept bytes of 24-bit pixels repeat every three bytes, so a run of 48
    // bytes (three registers) meets each byte position with one mask.
    const auto keptRun = [](int offset) {
      Byte bytes[16];
      for (int b = 0; b < 16; ++b) bytes[b] = (Keep >> ((offset + b) % 3)) & 1 ? 0xFF : 0;
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    };
    const __m128i k0 = keptRun(0), k1 = keptRun(16), k2 = keptRun(32);
    const auto merge = [](__m128i from, __m128i to, __m128i keep) {
      return Keep == 0 ? from : _mm_or_si128(_mm_and_si128(to, keep), _mm_andnot_si128(keep, from));
    };
    if constexpr (SB == 3) {
      for (; i + 16 <= n; i += 16, s += 48, d += 48) {
        const __m128i* from = reinterpret_cast<const __m128i*>(s);
        __m128i* to = reinterpret_cast<__m128i*>(d);
        const __m128i d0 = _mm_loadu_si128(to), d1 = _mm_loadu_si128(to + 1), d2 = _mm_loadu_si128(to + 2);
        _mm_storeu_si128(to, merge(_mm_loadu_si128(from), d0, k0));
        _mm_storeu_si128(to + 1, merge(_mm_loadu_si128(from + 1), d1, k1));
        _mm_storeu_si128(to + 2, merge(_mm_loadu_si128(from + 2), d2, k2));
      }
    } else {
      for (; i + 4 <= n; i += 4, s += 16, d += 12) {
        const __m128i colours = Pack4x3(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
        Store12(d, Keep == 0 ? colours : merge(colours, Load12(d), k0));
      }
    }
#endif
    for (; i < n; ++i, s += SB, d += 3) {
      if constexpr (!(Keep & KEEP_BLUE)) d[0] = s[0];
      if constexpr (!(Keep & KEEP_GREEN)) d[1] = s[1];
      if constexpr (!(Keep & KEEP_RED)) d[2] = s[2];
    }
  }
}

template <int SB, int DB, unsigned Keep>
void CopyRows(Transfer t) {
  const Byte* s = t.src;
  Byte* d = t.dst;
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) CopyRow<SB, DB, Keep>(s, d, t.cols);
}

using RowsFn = void (*)(Transfer);

// Loops for every mask 0..15 of one depth pair, indexed by the mask.
template <int SB, int DB, std::size_t... Mask>
constexpr std::array<RowsFn, 16> CopyTable(std::index_sequence<Mask...>) {
  return {{&CopyRows<SB, DB, static_cast<unsigned>(Mask)>...}};
}

// [source is 32-bit][destination is 32-bit][mask]
const std::array<RowsFn, 16> kCopyLoops[2][2] = {
    {CopyTable<3, 3>(std::make_index_sequence<16>()), CopyTable<3, 4>(std::make_index_sequence<16>())},
    {CopyTable<4, 3>(std::make_index_sequence<16>()), CopyTable<4, 4>(std::make_index_sequence<16>())},
};

// ---- PutImage ----------------------------------------------------------------
//
// Rounding: R(V) = V / 65280 rounded to nearest, halves upward, for
// 0 <= V <= 255 * 65280. At T = 0 every V of a 32-bit source is 256 * W with
// W = d * sa + s * (255 - sa) <= 65025, and then R(V) = ((W + 128) * 257) >> 16,
// which fits 16-bit lanes; the vector loops use that form, the plain loops
// the general one. Both give the same bytes.

inline std::uint32_t Div65280(std::uint32_t v) {
  const std::uint32_t y = (v + 32640) >> 8;  // about V / 256
  return (y + (y >> 8) + 1) >> 8;            // y / 255, rounded
}

#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
// (s * U + d * T + 128) >> 8 on sixteen bytes; fits 16 bits since U + T = 256.
inline __m128i Mix24(__m128i s, __m128i d, __m128i U, __m128i T) {
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  __m128i lo = _mm_add_epi16(
      _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), U), _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), T)),
      half);
  __m128i hi = _mm_add_epi16(
      _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), U), _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), T)),
      half);
  return _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
}

// Eight channels of two pixels at T = 0: R(256 * (d * sa + s * (255 - sa))).
// `s` carries 0 in its alpha lanes, so a destination alpha becomes R(256 * a * sa).
inline __m128i Over16(__m128i s, __m128i d, __m128i sa) {
  const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128), c257 = _mm_set1_epi16(257);
  __m128i w = _mm_add_epi16(_mm_mullo_epi16(d, sa), _mm_mullo_epi16(s, _mm_sub_epi16(c255, sa)));
  return _mm_mulhi_epu16(_mm_add_epi16(w, c128), c257);
}

// Sixteen channel bytes at T = 0: source bytes `s` (0 where a destination
// alpha is blended), destination bytes `d`, and the alphas of the source
// pixels the bytes belong to as 16-bit lanes, first and second eight.
inline __m128i OverBytes(__m128i s, __m128i d, __m128i alphaLo, __m128i alphaHi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = Over16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), alphaLo);
  const __m128i hi = Over16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), alphaHi);
  return _mm_packus_epi16(lo, hi);
}

// Alphas for channels laid out as 24-bit pixels. `p` and `q` hold four
// pixels' alphas twice each in 16-bit lanes (a0 a0 a1 a1 a2 a2 a3 a3 and
// b0 b0 .. b3 b3); each result is eight channels' alphas.
inline __m128i AlphaRun0(__m128i p) {  // a0 a0 a0 a1 a1 a1 a2 a2
  return _mm_shufflelo_epi16(_mm_shuffle_epi32(p, _MM_SHUFFLE(2, 1, 1, 0)), _MM_SHUFFLE(2, 0, 0, 0));
}
inline __m128i AlphaRun1(__m128i p, __m128i q) {  // a2 a3 a3 a3 b0 b0 b0 b1
  const __m128i y = _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(p), _mm_castsi128_pd(q), 1));
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(y, _MM_SHUFFLE(2, 2, 2, 0)), _MM_SHUFFLE(2, 0, 0, 0));
}
inline __m128i AlphaRun2(__m128i q) {  // b1 b1 b2 b2 b2 b3 b3 b3
  return _mm_shufflehi_epi16(_mm_shuffle_epi32(q, _MM_SHUFFLE(3, 2, 2, 1)), _MM_SHUFFLE(2, 2, 2, 0));
}

// Each pixel's alpha twice, in the two 16-bit halves of its lane.
inline __m128i AlphaPairs(__m128i src) {
  const __m128i alpha = _mm_srli_epi32(src, 24);
  return _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
}

// Masks of the four alpha bytes: whole-block tests for invisible and opaque.
constexpr int kAlphaBits = 0x8888;
inline int AlphasEqual(__m128i src, __m128i value) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(src, value)) & kAlphaBits;
}
#endif

#if defined(PIXOLAN_SHUFFLE_LOOPS) && defined(__SSE2__)
// Blocks of a 32-bit source over the destination at T = 0, and of the
// alpha-keeping 24- to 32-bit copy, for processors with byte shuffles (16
// bytes) or 32-byte registers. Each function takes the row from pixel i on,
// handles whole blocks and leaves sp, dp and i at the first pixel it did not
// handle; the caller's narrower loops finish the row. Nothing is read or
// written beyond the block's own pixels.

// Shuffle patterns that widen bytes to 16-bit lanes (index 0x80 gives 0).
// Sixteen pixels blend as 48 channel bytes in six groups of eight; group k
// is channels 8k..8k+7 of the packed 24-bit row. Groups 0 and 3 come from
// source pixels 0..3 of their half, groups 1 and 4 from pixels 2..5, groups
// 2 and 5 from pixels 4..7; each pattern picks the colour bytes of its
// group, or each channel's pixel alpha.
constexpr char kZ = -128;
alignas(16) constexpr char kGroupColour[3][16] = {
    {0, kZ, 1, kZ, 2, kZ, 4, kZ, 5, kZ, 6, kZ, 8, kZ, 9, kZ},     // b0 g0 r0 b1 g1 r1 b2 g2
    {2, kZ, 4, kZ, 5, kZ, 6, kZ, 8, kZ, 9, kZ, 10, kZ, 12, kZ},   // r2 b3 g3 r3 b4 g4 r4 b5
    {5, kZ, 6, kZ, 8, kZ, 9, kZ, 10, kZ, 12, kZ, 13, kZ, 14, kZ}  // g5 r5 b6 g6 r6 b7 g7 r7
};
alignas(16) constexpr char kGroupAlpha[3][16] = {{3, kZ, 3, kZ, 3, kZ, 7, kZ, 7, kZ, 7, kZ, 11, kZ, 11, kZ},
                                                 {3, kZ, 7, kZ, 7, kZ, 7, kZ, 11, kZ, 11, kZ, 11, kZ, 15, kZ},
                                                 {7, kZ, 7, kZ, 11, kZ, 11, kZ, 11, kZ, 15, kZ, 15, kZ, 15, kZ}};

// Four 32-bit pixels as 16-bit lanes: colours of the first two (or last two)
// with 0 in the alpha lanes, and each pixel's alpha in all four of its lanes.
alignas(16) constexpr char kPixelColour[2][16] = {{0, kZ, 1, kZ, 2, kZ, kZ, kZ, 4, kZ, 5, kZ, 6, kZ, kZ, kZ},
                                                  {8, kZ, 9, kZ, 10, kZ, kZ, kZ, 12, kZ, 13, kZ, 14, kZ, kZ, kZ}};
alignas(16) constexpr char kPixelAlpha[2][16] = {{3, kZ, 3, kZ, 3, kZ, 3, kZ, 7, kZ, 7, kZ, 7, kZ, 7, kZ},
                                                 {11, kZ, 11, kZ, 11, kZ, 11, kZ, 15, kZ, 15, kZ, 15, kZ, 15, kZ}};

inline __m128i Pattern(const char (&bytes)[16]) { return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes)); }

// 32-bit source onto 24 bits, 16 pixels at a time with 16-byte shuffles.
PIXOLAN_TARGET_SSSE3 void OverShuffled32On24(const Byte*& sp, Byte*& dp, long& i, long cols) {
  const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi32(-1);
  const __m128i c0 = Pattern(kGroupColour[0]), c1 = Pattern(kGroupColour[1]), c2 = Pattern(kGroupColour[2]);
  const __m128i a0 = Pattern(kGroupAlpha[0]), a1 = Pattern(kGroupAlpha[1]), a2 = Pattern(kGroupAlpha[2]);
  for (; cols - i >= 16; i += 16, sp += 64, dp += 48) {
    const __m128i* from = reinterpret_cast<const __m128i*>(sp);
    const __m128i s0 = _mm_loadu_si128(from), s1 = _mm_loadu_si128(from + 1);
    const __m128i s2 = _mm_loadu_si128(from + 2), s3 = _mm_loadu_si128(from + 3);
    if (AlphasEqual(_mm_and_si128(_mm_and_si128(s0, s1), _mm_and_si128(s2, s3)), ones) == kAlphaBits) continue;
    // Pixels 2..5 of each half, for the groups that straddle two registers.
    const __m128i m0 = _mm_alignr_epi8(s1, s0, 8), m1 = _mm_alignr_epi8(s3, s2, 8);
    const __m128i g0 = _mm_shuffle_epi8(s0, c0), g1 = _mm_shuffle_epi8(m0, c1), g2 = _mm_shuffle_epi8(s1, c2);
    const __m128i g3 = _mm_shuffle_epi8(s2, c0), g4 = _mm_shuffle_epi8(m1, c1), g5 = _mm_shuffle_epi8(s3, c2);
    __m128i* to = reinterpret_cast<__m128i*>(dp);
    if (AlphasEqual(_mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3)), zero) == kAlphaBits) {
      _mm_storeu_si128(to, _mm_packus_epi16(g0, g1));
      _mm_storeu_si128(to + 1, _mm_packus_epi16(g2, g3));
      _mm_storeu_si128(to + 2, _mm_packus_epi16(g4, g5));
      continue;
    }
    const __m128i d0 = _mm_loadu_si128(to), d1 = _mm_loadu_si128(to + 1), d2 = _mm_loadu_si128(to + 2);
    const __m128i o0 = Over16(g0, _mm_unpacklo_epi8(d0, zero), _mm_shuffle_epi8(s0, a0));
    const __m128i o1 = Over16(g1, _mm_unpackhi_epi8(d0, zero), _mm_shuffle_epi8(m0, a1));
    const __m128i o2 = Over16(g2, _mm_unpacklo_epi8(d1, zero), _mm_shuffle_epi8(s1, a2));
    const __m128i o3 = Over16(g3, _mm_unpackhi_epi8(d1, zero), _mm_shuffle_epi8(s2, a0));
    const __m128i o4 = Over16(g4, _mm_unpacklo_epi8(d2, zero), _mm_shuffle_epi8(m1, a1));
    const __m128i o5 = Over16(g5, _mm_unpackhi_epi8(d2, zero), _mm_shuffle_epi8(s3, a2));
    _mm_storeu_si128(to, _mm_packus_epi16(o0, o1));
    _mm_storeu_si128(to + 1, _mm_packus_epi16(o2, o3));
    _mm_storeu_si128(to + 2, _mm_packus_epi16(o4, o5));
  }
}

// Four 32-bit source pixels over four destination pixels at T = 0 with one
// multiply-add per eight channels. With d' = d - 128 and s' = s - 128 as
// signed bytes, d * sa + s * (255 - sa) = d' * sa + s' * (255 - sa) + 32640,
// and the signed sum lies in -32640..32385, so the multiply-add never
// saturates; adding 32768 (flipping the top bit) gives the sum + 128 that
// Over16 rounds, and the same multiply by 257 gives the same bytes. The
// source's alpha lanes count as 0 (s' = -128), so a destination alpha
// becomes R(256 * a * sa).
alignas(16) constexpr char kPixelAlphaBytes[2][16] = {{3, 3, 3, 3, 3, 3, 3, 3, 7, 7, 7, 7, 7, 7, 7, 7},
                                                      {11, 11, 11, 11, 11, 11, 11, 11, 15, 15, 15, 15, 15, 15, 15, 15}};

PIXOLAN_TARGET_SSSE3 inline __m128i OverShuffled4(__m128i s, __m128i d, __m128i aLo, __m128i aHi) {
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i sBias = _mm_set1_epi32(0x7F808080), dBias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i invert = _mm_set1_epi16(static_cast<short>(0xFF00)), top = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i c257 = _mm_set1_epi16(257);
  // Colours c - 128; the alpha byte 255 ^ 0x7F = 0x80 stands for 0 - 128.
  const __m128i sb = _mm_xor_si128(_mm_or_si128(s, alphaBytes), sBias);
  const __m128i db = _mm_xor_si128(d, dBias);
  // Weights (sa, 255 - sa) beside the channel pairs (d', s').
  const __m128i wLo = _mm_xor_si128(_mm_shuffle_epi8(s, aLo), invert);
  const __m128i wHi = _mm_xor_si128(_mm_shuffle_epi8(s, aHi), invert);
  const __m128i lo = _mm_xor_si128(_mm_maddubs_epi16(wLo, _mm_unpacklo_epi8(db, sb)), top);
  const __m128i hi = _mm_xor_si128(_mm_maddubs_epi16(wHi, _mm_unpackhi_epi8(db, sb)), top);
  return _mm_packus_epi16(_mm_mulhi_epu16(lo, c257), _mm_mulhi_epu16(hi, c257));
}

// 32-bit source onto 32 bits, 8 pixels at a time in two 16-byte registers,
// for processors with byte shuffles but without 32-byte registers. A block
// whose pixels are all invisible is skipped, one whose pixels are all opaque
// is copied, as in the 32-byte loop.
PIXOLAN_TARGET_SSSE3 void OverShuffled32On32(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi32(-1);
  const __m128i aLo = Pattern(kPixelAlphaBytes[0]), aHi = Pattern(kPixelAlphaBytes[1]);
  // Local copies: pixel stores could alias the references, which would make
  // the compiler reload them after every store.
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 8; i += 8, sp += 32, dp += 32) {
    const __m128i* from = reinterpret_cast<const __m128i*>(sp);
    __m128i* to = reinterpret_cast<__m128i*>(dp);
    const __m128i s0 = _mm_loadu_si128(from), s1 = _mm_loadu_si128(from + 1);
    if (AlphasEqual(_mm_and_si128(s0, s1), ones) == kAlphaBits) continue;
    if (AlphasEqual(_mm_or_si128(s0, s1), zero) == kAlphaBits) {
      _mm_storeu_si128(to, s0);
      _mm_storeu_si128(to + 1, s1);
      continue;
    }
    const __m128i d0 = _mm_loadu_si128(to), d1 = _mm_loadu_si128(to + 1);
    _mm_storeu_si128(to, OverShuffled4(s0, d0, aLo, aHi));
    _mm_storeu_si128(to + 1, OverShuffled4(s1, d1, aLo, aHi));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 24-bit source into 32 bits keeping the destination's alpha bytes, 16
// pixels (three whole source registers) at a time: each run of four source
// pixels is shuffled into the colour bytes of four lanes, with 0 in the alpha
// bytes, and merged with the destination's alpha.
alignas(16) constexpr char kSpread24[2][16] = {{0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ},
                                               {4, 5, 6, kZ, 7, 8, 9, kZ, 10, 11, 12, kZ, 13, 14, 15, kZ}};

inline void StoreKeepingAlpha(Byte* to, __m128i colours, __m128i alpha) {
  __m128i* p = reinterpret_cast<__m128i*>(to);
  _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p), alpha), colours));
}

PIXOLAN_TARGET_SSSE3 void CopyShuffled24To32KeepingAlpha(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m128i first = Pattern(kSpread24[0]), last = Pattern(kSpread24[1]);
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const Byte* sp = spRef;  // local copies, as above
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 48, dp += 64) {
    const __m128i* from = reinterpret_cast<const __m128i*>(sp);
    const __m128i v0 = _mm_loadu_si128(from), v1 = _mm_loadu_si128(from + 1), v2 = _mm_loadu_si128(from + 2);
    StoreKeepingAlpha(dp, _mm_shuffle_epi8(v0, first), alpha);                                // bytes 0..11
    StoreKeepingAlpha(dp + 16, _mm_shuffle_epi8(_mm_alignr_epi8(v1, v0, 12), first), alpha);  // 12..23
    StoreKeepingAlpha(dp + 32, _mm_shuffle_epi8(_mm_alignr_epi8(v2, v1, 8), first), alpha);   // 24..35
    StoreKeepingAlpha(dp + 48, _mm_shuffle_epi8(v2, last), alpha);                            // 36..47
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// The rows of that copy: shuffled blocks first, the row loop for the rest.
void CopyShuffled24To32KeepingAlphaRows(Transfer t) {
  const Byte* s = t.src;
  Byte* d = t.dst;
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) {
    const Byte* sp = s;
    Byte* dp = d;
    long i = 0;
    CopyShuffled24To32KeepingAlpha(sp, dp, i, t.cols);
    CopyRow<3, 4, KEEP_ALPHA>(sp, dp, t.cols - i);
  }
}

// Over16 on sixteen 16-bit lanes.
PIXOLAN_TARGET_AVX2 inline __m256i Over16Wide(__m256i s, __m256i d, __m256i sa) {
  const __m256i c255 = _mm256_set1_epi16(255), c128 = _mm256_set1_epi16(128), c257 = _mm256_set1_epi16(257);
  const __m256i w = _mm256_add_epi16(_mm256_mullo_epi16(d, sa), _mm256_mullo_epi16(s, _mm256_sub_epi16(c255, sa)));
  return _mm256_mulhi_epu16(_mm256_add_epi16(w, c128), c257);
}

// Two 16-byte shuffle patterns, one for each half of a 32-byte register.
PIXOLAN_TARGET_AVX2 inline __m256i Patterns(const char (&low)[16], const char (&high)[16]) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(Pattern(low)), Pattern(high), 1);
}

// Whole-block tests on the alpha bytes of eight 32-bit pixels.
PIXOLAN_TARGET_AVX2 inline bool AllInvisible(__m256i src, __m256i alphas) { return _mm256_testc_si256(src, alphas); }
PIXOLAN_TARGET_AVX2 inline bool AllOpaque(__m256i src, __m256i alphas) { return _mm256_testz_si256(src, alphas); }

// 32-bit source onto 32 bits, 8 pixels at a time in 32-byte registers. The
// source's alpha lanes are 0, so the destination alpha a becomes R(256 * a * sa).
PIXOLAN_TARGET_AVX2 void OverWide32On32(const Byte*& sp, Byte*& dp, long& i, long cols) {
  const __m256i zero = _mm256_setzero_si256(), alphas = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i cLo = Patterns(kPixelColour[0], kPixelColour[0]), cHi = Patterns(kPixelColour[1], kPixelColour[1]);
  const __m256i aLo = Patterns(kPixelAlpha[0], kPixelAlpha[0]), aHi = Patterns(kPixelAlpha[1], kPixelAlpha[1]);
  for (; cols - i >= 8; i += 8, sp += 32, dp += 32) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp));
    __m256i* to = reinterpret_cast<__m256i*>(dp);
    if (AllInvisible(s, alphas)) continue;
    if (AllOpaque(s, alphas)) {
      _mm256_storeu_si256(to, s);
      continue;
    }
    const __m256i d = _mm256_loadu_si256(to);
    // Unpacking works within each 16-byte half, and packing undoes it there.
    const __m256i lo =
        Over16Wide(_mm256_shuffle_epi8(s, cLo), _mm256_unpacklo_epi8(d, zero), _mm256_shuffle_epi8(s, aLo));
    const __m256i hi =
        Over16Wide(_mm256_shuffle_epi8(s, cHi), _mm256_unpackhi_epi8(d, zero), _mm256_shuffle_epi8(s, aHi));
    _mm256_storeu_si256(to, _mm256_packus_epi16(lo, hi));
  }
}

// 32-bit source onto 24 bits, 16 pixels at a time in 32-byte registers: the
// six groups of eight channels go two to a register, so the source pixels
// are first arranged so that each half holds the four its group needs.
PIXOLAN_TARGET_AVX2 void OverWide32On24(const Byte*& sp, Byte*& dp, long& i, long cols) {
  const __m256i alphas = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i c01 = Patterns(kGroupColour[0], kGroupColour[1]), a01 = Patterns(kGroupAlpha[0], kGroupAlpha[1]);
  const __m256i c23 = Patterns(kGroupColour[2], kGroupColour[0]), a23 = Patterns(kGroupAlpha[2], kGroupAlpha[0]);
  const __m256i c45 = Patterns(kGroupColour[1], kGroupColour[2]), a45 = Patterns(kGroupAlpha[1], kGroupAlpha[2]);
  const __m256i first = _mm256_setr_epi32(0, 1, 2, 3, 2, 3, 4, 5), last = _mm256_setr_epi32(2, 3, 4, 5, 4, 5, 6, 7);
  for (; cols - i >= 16; i += 16, sp += 64, dp += 48) {
    const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp));
    const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp + 32));
    if (AllInvisible(_mm256_and_si256(s0, s1), alphas)) continue;
    const __m256i x01 = _mm256_permutevar8x32_epi32(s0, first);   // pixels 0..3 | 2..5
    const __m256i x23 = _mm256_permute2x128_si256(s0, s1, 0x21);  // pixels 4..7 | 8..11
    const __m256i x45 = _mm256_permutevar8x32_epi32(s1, last);    // pixels 10..13 | 12..15
    const __m256i g01 = _mm256_shuffle_epi8(x01, c01), g23 = _mm256_shuffle_epi8(x23, c23);
    const __m256i g45 = _mm256_shuffle_epi8(x45, c45);
    __m256i o01 = g01, o23 = g23, o45 = g45;
    if (!AllOpaque(_mm256_or_si256(s0, s1), alphas)) {
      const __m256i d01 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dp)));
      const __m256i d23 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dp + 16)));
      const __m256i d45 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dp + 32)));
      o01 = Over16Wide(g01, d01, _mm256_shuffle_epi8(x01, a01));
      o23 = Over16Wide(g23, d23, _mm256_shuffle_epi8(x23, a23));
      o45 = Over16Wide(g45, d45, _mm256_shuffle_epi8(x45, a45));
    }
    // Packing pairs the halves of two registers; the 64-bit permute puts
    // groups 0..3 back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(o01, o23), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dp), packed);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dp + 32),
                     _mm_packus_epi16(_mm256_castsi256_si128(o45), _mm256_extracti128_si256(o45, 1)));
  }
}
#endif

// 24-bit source: each colour becomes (s * (256 - T) + d * T + 128) >> 8; a
// 32-bit destination's alpha becomes (a * T + 128) >> 8. T = 0 copies.
template <int DB, bool Opaque>
void Put24Rows(Transfer t, std::uint32_t T) {
  const std::uint32_t U = 256 - T;
  const Byte* s = t.src;
  Byte* d = t.dst;
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
  const __m128i vU = _mm_set1_epi16(static_cast<short>(U)), vT = _mm_set1_epi16(static_cast<short>(T));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
#endif
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) {
    if constexpr (DB == 3 && Opaque) {
      std::memmove(d, s, static_cast<std::size_t>(t.cols) * 3);
    } else if constexpr (DB == 3) {
      // Same depth: the row is one run of independent channel bytes.
      const long bytes = t.cols * 3;
      long i = 0;
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
      for (; i + 16 <= bytes; i += 16) {
        __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), Mix24(sv, dv, vU, vT));
      }
#endif
      for (; i < bytes; ++i) d[i] = static_cast<Byte>((s[i] * U + d[i] * T + 128) >> 8);
    } else {
      const Byte* sp = s;
      Byte* dp = d;
      long i = 0;
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
      // The source's lanes get alpha 0, so the same mix gives (a * T + 128) >> 8.
      for (; i + 4 <= t.cols; i += 4, sp += 12, dp += 16) {
        __m128i sv = _mm_and_si128(Load3x4(sp), colour);
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dp));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dp), Opaque ? sv : Mix24(sv, dv, vU, vT));
      }
#endif
      for (; i < t.cols; ++i, sp += 3, dp += 4) {
        if constexpr (Opaque) {
          dp[0] = sp[0];
          dp[1] = sp[1];
          dp[2] = sp[2];
          dp[3] = 0;
        } else {
          dp[0] = static_cast<Byte>((sp[0] * U + dp[0] * T + 128) >> 8);
          dp[1] = static_cast<Byte>((sp[1] * U + dp[1] * T + 128) >> 8);
          dp[2] = static_cast<Byte>((sp[2] * U + dp[2] * T + 128) >> 8);
          dp[3] = static_cast<Byte>((dp[3] * T + 128) >> 8);
        }
      }
    }
  }
}

// The widest blocks a loop may use, chosen once per call from the processor.
enum Wider { kBaseline, kShuffle, kWide };

// 32-bit source with alpha sa: the source weighs K = (255 - sa) * (256 - T)
// in units of 1/65280, the destination L = 65280 - K. Each colour becomes
// R(d * L + s * K) and a 32-bit destination's alpha R(a * L). An invisible
// source pixel (K = 0) leaves the destination as it is; an opaque one at
// T = 0 (L = 0) is a plain copy with alpha 0. At T = 0 the blocks named by
// `Width` start each row and the baseline loops finish it.
template <int DB, bool NoGlobalTransparency, Wider Width = kBaseline>
void Put32Rows(Transfer t, std::uint32_t T) {
  const std::uint32_t U = 256 - T;
  const Byte* s = t.src;
  Byte* d = t.dst;
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) {
    const Byte* sp = s;
    Byte* dp = d;
    long i = 0;
#if defined(PIXOLAN_SHUFFLE_LOOPS) && defined(__SSE2__)
    if constexpr (NoGlobalTransparency && Width == kWide) {
      if constexpr (DB == 4)
        OverWide32On32(sp, dp, i, t.cols);
      else
        OverWide32On24(sp, dp, i, t.cols);
    }
    if constexpr (NoGlobalTransparency && Width != kBaseline && DB == 3) OverShuffled32On24(sp, dp, i, t.cols);
    if constexpr (NoGlobalTransparency && Width == kShuffle && DB == 4) OverShuffled32On32(sp, dp, i, t.cols);
#endif
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
    if constexpr (NoGlobalTransparency) {
      const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi32(-1);
      const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
      if constexpr (DB == 3) {
        // Sixteen pixels at a time fill three whole registers of 24-bit
        // pixels, so every lane of the arithmetic carries a channel.
        for (; i + 16 <= t.cols; i += 16, sp += 64, dp += 48) {
          const __m128i* from = reinterpret_cast<const __m128i*>(sp);
          const __m128i s0 = _mm_loadu_si128(from), s1 = _mm_loadu_si128(from + 1);
          const __m128i s2 = _mm_loadu_si128(from + 2), s3 = _mm_loadu_si128(from + 3);
          // All alphas are 255 when their AND is, and 0 when their OR is.
          const __m128i all = _mm_and_si128(_mm_and_si128(s0, s1), _mm_and_si128(s2, s3));
          if (AlphasEqual(all, ones) == kAlphaBits) continue;
          const __m128i any = _mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3));
          // The sixteen source colours as 48 bytes of 24-bit pixels.
          const __m128i c0 = Pack4x3(s0), c1 = Pack4x3(s1), c2 = Pack4x3(s2), c3 = Pack4x3(s3);
          const __m128i r0 = _mm_or_si128(c0, _mm_slli_si128(c1, 12));
          const __m128i r1 = _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8));
          const __m128i r2 = _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4));
          __m128i* to = reinterpret_cast<__m128i*>(dp);
          if (AlphasEqual(any, zero) == kAlphaBits) {
            _mm_storeu_si128(to, r0);
            _mm_storeu_si128(to + 1, r1);
            _mm_storeu_si128(to + 2, r2);
            continue;
          }
          const __m128i p0 = AlphaPairs(s0), p1 = AlphaPairs(s1), p2 = AlphaPairs(s2), p3 = AlphaPairs(s3);
          const __m128i d0 = _mm_loadu_si128(to), d1 = _mm_loadu_si128(to + 1), d2 = _mm_loadu_si128(to + 2);
          _mm_storeu_si128(to, OverBytes(r0, d0, AlphaRun0(p0), AlphaRun1(p0, p1)));
          _mm_storeu_si128(to + 1, OverBytes(r1, d1, AlphaRun2(p1), AlphaRun0(p2)));
          _mm_storeu_si128(to + 2, OverBytes(r2, d2, AlphaRun1(p2, p3), AlphaRun2(p3)));
        }
      }
      if constexpr (DB == 4) {
        // Eight pixels at a time: one test of both registers for the
        // invisible and the opaque block.
        for (; i + 8 <= t.cols; i += 8, sp += 32, dp += 32) {
          const __m128i* from = reinterpret_cast<const __m128i*>(sp);
          __m128i* to = reinterpret_cast<__m128i*>(dp);
          const __m128i s0 = _mm_loadu_si128(from), s1 = _mm_loadu_si128(from + 1);
          if (AlphasEqual(_mm_and_si128(s0, s1), ones) == kAlphaBits) continue;
          if (AlphasEqual(_mm_or_si128(s0, s1), zero) == kAlphaBits) {
            _mm_storeu_si128(to, s0);
            _mm_storeu_si128(to + 1, s1);
            continue;
          }
          const __m128i p0 = AlphaPairs(s0), p1 = AlphaPairs(s1);
          const __m128i d0 = _mm_loadu_si128(to), d1 = _mm_loadu_si128(to + 1);
          _mm_storeu_si128(
              to, OverBytes(_mm_and_si128(s0, colour), d0, _mm_unpacklo_epi32(p0, p0), _mm_unpackhi_epi32(p0, p0)));
          _mm_storeu_si128(
              to + 1, OverBytes(_mm_and_si128(s1, colour), d1, _mm_unpacklo_epi32(p1, p1), _mm_unpackhi_epi32(p1, p1)));
        }
      }
      for (; i + 4 <= t.cols; i += 4, sp += 16, dp += 4 * DB) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp));
        if (AlphasEqual(sv, ones) == kAlphaBits) continue;
        const bool opaque = AlphasEqual(sv, zero) == kAlphaBits;
        const __m128i pairs = AlphaPairs(sv);
        if constexpr (DB == 4) {
          // Four lanes per pixel; the alpha lanes blend the destination
          // alpha against a source value of 0.
          const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dp));
          const __m128i out = opaque ? sv
                                     : OverBytes(_mm_and_si128(sv, colour), dv, _mm_unpacklo_epi32(pairs, pairs),
                                                 _mm_unpackhi_epi32(pairs, pairs));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(dp), out);
        } else {
          // Three lanes per pixel; the last four lanes are unused.
          const __m128i colours = Pack4x3(sv);
          if (opaque) {
            Store12(dp, colours);
            continue;
          }
          Store12(dp, OverBytes(colours, Load12(dp), AlphaRun0(pairs), AlphaRun1(pairs, pairs)));
        }
      }
    }
#endif
    for (; i < t.cols; ++i, sp += 4, dp += DB) {
      const std::uint32_t sa = sp[3];
      if (sa == 255) continue;
      if (NoGlobalTransparency && sa == 0) {
        dp[0] = sp[0];
        dp[1] = sp[1];
        dp[2] = sp[2];
        if constexpr (DB == 4) dp[3] = 0;
        continue;
      }
      const std::uint32_t K = (255 - sa) * U;
      const std::uint32_t L = 65280 - K;
      dp[0] = static_cast<Byte>(Div65280(dp[0] * L + sp[0] * K));
      dp[1] = static_cast<Byte>(Div65280(dp[1] * L + sp[1] * K));
      dp[2] = static_cast<Byte>(Div65280(dp[2] * L + sp[2] * K));
      if constexpr (DB == 4) dp[3] = static_cast<Byte>(Div65280(dp[3] * L));
    }
  }
}

using PutFn = void (*)(Transfer, std::uint32_t);

// [source is 32-bit][destination is 32-bit][T == 0]
const PutFn kPutLoops[2][2][2] = {
    {{&Put24Rows<3, false>, &Put24Rows<3, true>}, {&Put24Rows<4, false>, &Put24Rows<4, true>}},
    {{&Put32Rows<3, false>, &Put32Rows<3, true>}, {&Put32Rows<4, false>, &Put32Rows<4, true>}},
};

// 32-bit source at T = 0: [destination is 32-bit][widest blocks]
const PutFn kOverLoops[2][3] = {
    {&Put32Rows<3, true, kBaseline>, &Put32Rows<3, true, kShuffle>, &Put32Rows<3, true, kWide>},
    {&Put32Rows<4, true, kBaseline>, &Put32Rows<4, true, kShuffle>, &Put32Rows<4, true, kWide>},
};

Wider WidestBlocks() { return HasWideShuffle() ? kWide : HasByteShuffle() ? kShuffle : kBaseline; }

// The masked copy's loop for one depth pair and mask; a 24-bit source into
// 32 bits that keeps only the alpha bytes has a shuffled loop as well.
RowsFn CopyLoop(bool src32, bool dst32, unsigned mask) {
#if defined(PIXOLAN_SHUFFLE_LOOPS) && defined(__SSE2__)
  if (!src32 && dst32 && mask == KEEP_ALPHA && HasByteShuffle()) return &CopyShuffled24To32KeepingAlphaRows;
#endif
  return kCopyLoops[src32][dst32][mask];
}

}  // namespace

int ZEMADisplayFCDIB::CopyImage(ZEMADisplayFCDIB* Source, int KeepMask) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  // A source that failed before its pixel memory existed has nothing to read.
  if (!HasPixels(*Source)) return ErrorCode = ERR_EXTERNAL;
  const unsigned mask = static_cast<unsigned>(KeepMask);
  if (mask > 15 || !HasPixels(*this)) return ErrorCode;

  Transfer t;
  if (!PlaceTransfer(*Source, Source->ViewOrigin.x, Source->ViewOrigin.y, Source->ViewSize.cx, Source->ViewSize.cy,
                     *this, ViewOrigin.x, ViewOrigin.y, t))
    return ErrorCode;
  CopyLoop(BytesPerPixel(*Source) == 4, BytesPerPixel(*this) == 4, mask)(t);
  return ErrorCode;
}

int ZEMADisplayFCDIB::PutImage(ZEMADisplayFCDIB* Source, unsigned short Transparency, int WholeImage) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  if (Transparency >= 256) return ErrorCode;
  if (!HasPixels(*Source)) return ErrorCode = ERR_EXTERNAL;
  if (!HasPixels(*this)) return ErrorCode;

  long long sx = 0, sy = 0, n = Width(*Source), m = Height(*Source);
  if (!WholeImage) {
    sx = Source->ViewOrigin.x;
    sy = Source->ViewOrigin.y;
    n = Source->ViewSize.cx;
    m = Source->ViewSize.cy;
  }
  Transfer t;
  if (!PlaceTransfer(*Source, sx, sy, n, m, *this, ViewOrigin.x, ViewOrigin.y, t)) return ErrorCode;
  const bool src32 = BytesPerPixel(*Source) == 4, dst32 = BytesPerPixel(*this) == 4;
  // A 32-bit source at T = 0 takes the widest blocks the processor has.
  const PutFn loop =
      src32 && Transparency == 0 ? kOverLoops[dst32][WidestBlocks()] : kPutLoops[src32][dst32][Transparency == 0];
  loop(t, Transparency);
  return ErrorCode;
}

int ZEMADisplayFCDIB::BltImage(ZEMADisplayFCDIB* Source, unsigned long DestX, unsigned long DestY, unsigned long Rop) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  if (Source->ErrorCode != ERR_NONE || Source->hBitmap == nullptr) return ErrorCode = ERR_EXTERNAL;
  if (hBitmap == nullptr) return ErrorCode;

  // A position at or beyond the right or bottom edge leaves nothing to draw;
  // it is refused here because the platform takes positions as signed ints.
  const unsigned long W = static_cast<unsigned long>(Width(*this));
  const unsigned long H = static_cast<unsigned long>(Height(*this));
  if (DestX >= W || DestY >= H) return ErrorCode;
  unsigned long w = static_cast<unsigned long>(Source->ViewSize.cx);
  unsigned long h = static_cast<unsigned long>(Source->ViewSize.cy);
  if (W - DestX < w) w = W - DestX;
  if (H - DestY < h) h = H - DestY;

  // Image row r is row r + 1 of the section (the spare row comes first), so
  // both rows get + 1. A bitmap can be selected into one context only, so an
  // image copied onto itself uses one context as source and destination.
  MemoryDC srcDC, dstDC;
  SetMapMode(srcDC.Get(), GetMapMode(nullptr));
  SetMapMode(dstDC.Get(), GetMapMode(nullptr));
  HDC from = dstDC.Get();
  if (Source != this) {
    srcDC.Select(Source->hBitmap);
    from = srcDC.Get();
  }
  dstDC.Select(hBitmap);
  POINT pts[2] = {{Source->ViewOrigin.x, static_cast<LONG>(Source->ViewOrigin.y + 1LL)},
                  {static_cast<LONG>(w), static_cast<LONG>(h)}};
  DPtoLP(dstDC.Get(), pts, 2);
  BitBlt(dstDC.Get(), static_cast<int>(DestX), static_cast<int>(DestY) + 1, pts[1].x, pts[1].y, from, pts[0].x,
         pts[0].y, Rop);
  // The caller may read the pixels next; the blit must have landed by then.
  GdiFlush();
  return ErrorCode;
}

void ZEMADisplayFCDIB::EraseImage(tagB_BGRA Color, int WholeImage) {
  if (ErrorCode != ERR_NONE || hBitmap == nullptr || Bits == nullptr) return;

  long long x = 0, y = 0, n = Width(*this), m = Height(*this);
  if (!WholeImage) {
    x = ViewOrigin.x;
    y = ViewOrigin.y;
    n = ViewSize.cx;
    m = ViewSize.cy;
    // A view written out of range by the client is cut to the image.
    if (x < 0) n += x, x = 0;
    if (y < 0) m += y, y = 0;
    if (n > Width(*this) - x) n = Width(*this) - x;
    if (m > Height(*this) - y) m = Height(*this) - y;
    if (n <= 0 || m <= 0) return;
  }

  // Fill the bottom row of the area pixel by pixel, then copy it to the rows
  // above, upward through memory. Only the pixels are written: a 24-bit
  // row's padding keeps its bytes.
  const int bpp = BytesPerPixel(*this);
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  Byte* first = PixelAddress(*this, static_cast<long>(x), static_cast<long>(y + m - 1));
  const std::size_t rowBytes = static_cast<std::size_t>(n) * static_cast<std::size_t>(bpp);
  if (bpp == 4) {
    const Byte px[4] = {Color.Blue, Color.Green, Color.Red, Color.Alpha};
    const std::uint32_t word = Load32(px);
    for (long long i = 0; i < n; ++i) Store32(first + 4 * i, word);
  } else {
    for (long long i = 0; i < n; ++i) {
      first[3 * i + 0] = Color.Blue;
      first[3 * i + 1] = Color.Green;
      first[3 * i + 2] = Color.Red;
    }
  }
  Byte* row = first;
  for (long long j = 1; j < m; ++j) {
    row += stride;
    std::memcpy(row, first, rowBytes);
  }
}
