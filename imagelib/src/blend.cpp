// Blending one image onto another (PutImage).
//
// Every pixel loop here is specialised for one source depth, one destination
// depth, T = 0 or not, and the widest blocks the processor has; the
// specialisation is picked once per call, so the loops themselves carry no
// format tests. Each row goes through the widest blocks first, then the
// narrower ones, then pixel by pixel.
#include "blocks.h"
#include "cpu_features.h"
#include "internal.h"
#include "rounding.h"
#include "transfer.h"
#include "vector_ops.h"

#include <cstring>

using namespace pixolan;

namespace {

// 24-bit source: each colour becomes (s * (256 - T) + d * T + 128) >> 8; a
// 32-bit destination's alpha becomes (a * T + 128) >> 8. T = 0 copies.
template <int DB, bool Opaque>
void Put24Rows(Transfer t, std::uint32_t T) {
  const std::uint32_t U = 256 - T;
  const Byte* s = t.src;
  Byte* d = t.dst;
#if defined(PIXOLAN_VECTOR_LOOPS)
  const __m128i vU = _mm_set1_epi16(static_cast<short>(U)), vT = _mm_set1_epi16(static_cast<short>(T));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
#endif
  if constexpr (DB == 3 && Opaque) {
    // Whole rows between two images (the strides are negative only then) lie
    // back to back in both memories: one copy from the lowest row up.
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(t.cols) * 3;
    if (t.srcStride == -rowBytes && t.dstStride == -rowBytes) {
      const std::size_t bytes = static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(t.rows);
#if defined(PIXOLAN_SHUFFLE_LOOPS)
      if (bytes >= 32 && WidestSimd() == Simd::kAvx2) return CopyWide(s, d, bytes);
#endif
      std::memcpy(d, s, bytes);
      return;
    }
  }
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) {
    if constexpr (DB == 3 && Opaque) {
      std::memmove(d, s, static_cast<std::size_t>(t.cols) * 3);
    } else if constexpr (DB == 3) {
      // Same depth: the row is one run of independent channel bytes.
      const long bytes = t.cols * 3;
      long i = 0;
#if defined(PIXOLAN_VECTOR_LOOPS)
      for (; i + 16 <= bytes; i += 16) Store16(d + i, Mix24(Load16(s + i), Load16(d + i), vU, vT));
#endif
      for (; i < bytes; ++i) d[i] = static_cast<Byte>((s[i] * U + d[i] * T + 128) >> 8);
    } else {
      const Byte* sp = s;
      Byte* dp = d;
      long i = 0;
#if defined(PIXOLAN_VECTOR_LOOPS)
      // The source's lanes get alpha 0, so the same mix gives (a * T + 128) >> 8.
      for (; i + 4 <= t.cols; i += 4, sp += 12, dp += 16) {
        const __m128i sv = _mm_and_si128(Load3x4(sp), colour);
        Store16(dp, Opaque ? sv : Mix24(sv, Load16(dp), vU, vT));
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

// 32-bit source with alpha sa: the source weighs K = (255 - sa) * (256 - T)
// in units of 1/65280, the destination L = 65280 - K. Each colour becomes
// R(d * L + s * K) and a 32-bit destination's alpha R(a * L). An invisible
// source pixel (K = 0) leaves the destination as it is; an opaque one at
// T = 0 (L = 0) is a plain copy with alpha 0. The blocks named by `Width`
// start each row and the baseline loops finish it.
template <int DB, bool AtZero, Simd Width>
void Put32Rows(Transfer t, std::uint32_t T) {
  const std::uint32_t U = 256 - T;
  const Byte* s = t.src;
  Byte* d = t.dst;
#if defined(PIXOLAN_VECTOR_LOOPS)
  const __m128i vU = _mm_set1_epi16(static_cast<short>(U));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
#endif
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) {
    const Byte* sp = s;
    Byte* dp = d;
    long i = 0;
#if defined(PIXOLAN_SHUFFLE_LOOPS)
    if constexpr (Width == Simd::kAvx2 && AtZero) {
      if constexpr (DB == 4)
        OverWide32On32(sp, dp, i, t.cols);
      else
        OverWide32On24(sp, dp, i, t.cols);
    }
    if constexpr (Width == Simd::kAvx2 && !AtZero) {
      if constexpr (DB == 4)
        BlendWide32On32(sp, dp, i, t.cols, U);
      else
        BlendWide32On24(sp, dp, i, t.cols, U);
    }
    if constexpr (Width != Simd::kBaseline && AtZero && DB == 3) OverShuffled32On24(sp, dp, i, t.cols);
    if constexpr (Width == Simd::kSsse3 && AtZero && DB == 4) OverShuffled32On32(sp, dp, i, t.cols);
#endif
#if defined(PIXOLAN_VECTOR_LOOPS)
    if constexpr (DB == 3) {
      // Sixteen pixels at a time fill three whole registers of 24-bit pixels.
      for (; i + 16 <= t.cols; i += 16, sp += 64, dp += 48) {
        const __m128i s0 = Load16(sp), s1 = Load16(sp + 16), s2 = Load16(sp + 32), s3 = Load16(sp + 48);
        const Block kind = Classify(_mm_and_si128(_mm_and_si128(s0, s1), _mm_and_si128(s2, s3)),
                                    _mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3)));
        if (kind == Block::kInvisible) continue;
        const __m128i d0 = Load16(dp), d1 = Load16(dp + 16), d2 = Load16(dp + 32);
        __m128i r0, r1, r2;
        if constexpr (AtZero) {
          // The sixteen source colours as 48 bytes of 24-bit pixels, so that
          // every lane of the arithmetic carries a channel.
          const __m128i px[4] = {s0, s1, s2, s3};
          Pack16x3(px, r0, r1, r2);
          if (kind != Block::kOpaque) {
            const __m128i p0 = AlphaPairs(s0), p1 = AlphaPairs(s1), p2 = AlphaPairs(s2), p3 = AlphaPairs(s3);
            r0 = OverBytes(r0, d0, AlphaRun0(p0), AlphaRun1(p0, p1));
            r1 = OverBytes(r1, d1, AlphaRun2(p1), AlphaRun0(p2));
            r2 = OverBytes(r2, d2, AlphaRun1(p2, p3), AlphaRun2(p3));
          }
        } else {
          // The destination spread to 32-bit lanes, blended and packed back.
          __m128i px[4];
          Expand16x3(d0, d1, d2, px);
          px[0] = BlendPixels4(s0, px[0], vU);
          px[1] = BlendPixels4(s1, px[1], vU);
          px[2] = BlendPixels4(s2, px[2], vU);
          px[3] = BlendPixels4(s3, px[3], vU);
          Pack16x3(px, r0, r1, r2);
        }
        Store16(dp, r0);
        Store16(dp + 16, r1);
        Store16(dp + 32, r2);
      }
    } else {
      // Eight pixels at a time: one test of both registers.
      for (; i + 8 <= t.cols; i += 8, sp += 32, dp += 32) {
        const __m128i s0 = Load16(sp), s1 = Load16(sp + 16);
        const Block kind = Classify(_mm_and_si128(s0, s1), _mm_or_si128(s0, s1));
        if (kind == Block::kInvisible) continue;
        if (AtZero && kind == Block::kOpaque) {
          Store16(dp, s0);
          Store16(dp + 16, s1);
          continue;
        }
        const __m128i d0 = Load16(dp), d1 = Load16(dp + 16);
        if constexpr (AtZero) {
          const __m128i p0 = AlphaPairs(s0), p1 = AlphaPairs(s1);
          Store16(dp, OverBytes(_mm_and_si128(s0, colour), d0, _mm_unpacklo_epi32(p0, p0), _mm_unpackhi_epi32(p0, p0)));
          Store16(dp + 16,
                  OverBytes(_mm_and_si128(s1, colour), d1, _mm_unpacklo_epi32(p1, p1), _mm_unpackhi_epi32(p1, p1)));
        } else {
          Store16(dp, BlendPixels4(s0, d0, vU));
          Store16(dp + 16, BlendPixels4(s1, d1, vU));
        }
      }
    }
    for (; i + 4 <= t.cols; i += 4, sp += 16, dp += 4 * DB) {
      const __m128i sv = Load16(sp);
      const Block kind = Classify(sv, sv);
      if (kind == Block::kInvisible) continue;
      if constexpr (!AtZero) {
        if constexpr (DB == 4)
          Store16(dp, BlendPixels4(sv, Load16(dp), vU));
        else
          Store12(dp, Pack4x3(BlendPixels4(sv, Load3x4(dp), vU)));
      } else if constexpr (DB == 4) {
        // Four lanes per pixel; the alpha lanes blend the destination alpha
        // against a source value of 0.
        const __m128i pairs = AlphaPairs(sv);
        Store16(dp, kind == Block::kOpaque
                        ? sv
                        : OverBytes(_mm_and_si128(sv, colour), Load16(dp), _mm_unpacklo_epi32(pairs, pairs),
                                    _mm_unpackhi_epi32(pairs, pairs)));
      } else {
        // Three lanes per pixel; the last four lanes are unused.
        const __m128i colours = Pack4x3(sv);
        if (kind == Block::kOpaque) {
          Store12(dp, colours);
          continue;
        }
        const __m128i pairs = AlphaPairs(sv);
        Store12(dp, OverBytes(colours, Load12(dp), AlphaRun0(pairs), AlphaRun1(pairs, pairs)));
      }
    }
#endif
    for (; i < t.cols; ++i, sp += 4, dp += DB) {
      const std::uint32_t sa = sp[3];
      if (sa == 255) continue;
      if (AtZero && sa == 0) {
        dp[0] = sp[0];
        dp[1] = sp[1];
        dp[2] = sp[2];
        if constexpr (DB == 4) dp[3] = 0;
        continue;
      }
      const std::uint32_t K = (255 - sa) * U;
      const std::uint32_t L = 65280 - K;
      dp[0] = static_cast<Byte>(RoundedDiv65280(dp[0] * L + sp[0] * K));
      dp[1] = static_cast<Byte>(RoundedDiv65280(dp[1] * L + sp[1] * K));
      dp[2] = static_cast<Byte>(RoundedDiv65280(dp[2] * L + sp[2] * K));
      if constexpr (DB == 4) dp[3] = static_cast<Byte>(RoundedDiv65280(dp[3] * L));
    }
  }
}

using PutFn = void (*)(Transfer, std::uint32_t);

// 24-bit source: [destination is 32-bit][T == 0]
const PutFn kPut24Loops[2][2] = {{&Put24Rows<3, false>, &Put24Rows<3, true>},
                                 {&Put24Rows<4, false>, &Put24Rows<4, true>}};

// 32-bit source: [T == 0][destination is 32-bit][widest blocks]
template <bool AtZero>
constexpr PutFn kPut32Loops[2][3] = {
    {&Put32Rows<3, AtZero, Simd::kBaseline>, &Put32Rows<3, AtZero, Simd::kSsse3>, &Put32Rows<3, AtZero, Simd::kAvx2>},
    {&Put32Rows<4, AtZero, Simd::kBaseline>, &Put32Rows<4, AtZero, Simd::kSsse3>, &Put32Rows<4, AtZero, Simd::kAvx2>},
};

PutFn PutLoop(bool src32, bool dst32, unsigned T) {
  if (!src32) return kPut24Loops[dst32][T == 0];
  const int widest = static_cast<int>(WidestSimd());
  return T == 0 ? kPut32Loops<true>[dst32][widest] : kPut32Loops<false>[dst32][widest];
}

}  // namespace

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
  PutLoop(BytesPerPixel(*Source) == 4, BytesPerPixel(*this) == 4, Transparency)(t, Transparency);
  return ErrorCode;
}
