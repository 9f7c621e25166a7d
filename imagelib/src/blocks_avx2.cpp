// The blocks for processors with 32-byte registers (see blocks.h).
#include "blocks.h"
#include "vector_ops.h"

#if defined(PIXOLAN_SHUFFLE_LOOPS)

namespace pixolan {

namespace {

PIXOLAN_TARGET_AVX2 inline __m256i Load32B(const Byte* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
PIXOLAN_TARGET_AVX2 inline void Store32B(Byte* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

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

// Blend16 (vector_ops.h) on sixteen 16-bit lanes.
struct WideWeights {
  __m256i kh, kl, lh, ll;
};
PIXOLAN_TARGET_AVX2 inline __m256i Blend16Wide(__m256i s, __m256i d, const WideWeights& w) {
  const __m256i a = _mm256_add_epi16(_mm256_mullo_epi16(d, w.lh), _mm256_mullo_epi16(s, w.kh));
  const __m256i b = _mm256_add_epi16(_mm256_mullo_epi16(d, w.ll), _mm256_mullo_epi16(s, w.kl));
  const __m256i y =
      _mm256_add_epi16(a, _mm256_srli_epi16(_mm256_add_epi16(_mm256_srli_epi16(b, 1), _mm256_set1_epi16(16320)), 7));
  return _mm256_mulhi_epu16(_mm256_add_epi16(y, _mm256_set1_epi16(1)), _mm256_set1_epi16(257));
}

// BlendPixels4 (vector_ops.h) on eight pixels. Unpacking works within each
// 16-byte half, and packing undoes it there.
PIXOLAN_TARGET_AVX2 inline __m256i BlendPixels8(__m256i sv, __m256i dv, __m256i U) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alpha = _mm256_srli_epi32(sv, 24);
  const __m256i pairs = _mm256_or_si256(alpha, _mm256_slli_epi32(alpha, 16));
  const __m256i k = _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_set1_epi16(255), pairs), U);
  const __m256i l = _mm256_sub_epi16(_mm256_set1_epi16(static_cast<short>(0xFF00)), k);
  const __m256i low = _mm256_set1_epi16(0xFF);
  const __m256i kh = _mm256_srli_epi16(k, 8), kl = _mm256_and_si256(k, low);
  const __m256i lh = _mm256_srli_epi16(l, 8), ll = _mm256_and_si256(l, low);
  const WideWeights first = {_mm256_unpacklo_epi32(kh, kh), _mm256_unpacklo_epi32(kl, kl),
                             _mm256_unpacklo_epi32(lh, lh), _mm256_unpacklo_epi32(ll, ll)};
  const WideWeights second = {_mm256_unpackhi_epi32(kh, kh), _mm256_unpackhi_epi32(kl, kl),
                              _mm256_unpackhi_epi32(lh, lh), _mm256_unpackhi_epi32(ll, ll)};
  const __m256i s = _mm256_and_si256(sv, _mm256_set1_epi32(0x00FFFFFF));
  const __m256i lo = Blend16Wide(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(dv, zero), first);
  const __m256i hi = Blend16Wide(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(dv, zero), second);
  return _mm256_packus_epi16(lo, hi);
}

// Eight 24-bit pixels, bytes 0..23 of `v` after the dword permute `order`,
// as eight 32-bit lanes with 0 in the fourth bytes.
PIXOLAN_TARGET_AVX2 inline __m256i Spread8(__m256i v, __m256i order, __m256i spread) {
  return _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, order), spread);
}

}  // namespace

// 32-bit source onto 32 bits at T = 0, 8 pixels at a time. The source's
// alpha lanes are 0, so the destination alpha a becomes R(256 * a * sa).
PIXOLAN_TARGET_AVX2 void OverWide32On32(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i cLo = Patterns(kPixelColour[0], kPixelColour[0]), cHi = Patterns(kPixelColour[1], kPixelColour[1]);
  const __m256i aLo = Patterns(kPixelAlpha[0], kPixelAlpha[0]), aHi = Patterns(kPixelAlpha[1], kPixelAlpha[1]);
  const Byte* sp = spRef;  // local copies: stores could alias the references
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 8; i += 8, sp += 32, dp += 32) {
    const __m256i s = Load32B(sp);
    const Block kind = Classify(s, s);
    if (kind == Block::kInvisible) continue;
    if (kind == Block::kOpaque) {
      Store32B(dp, s);
      continue;
    }
    const __m256i d = Load32B(dp);
    const __m256i lo =
        Over16Wide(_mm256_shuffle_epi8(s, cLo), _mm256_unpacklo_epi8(d, zero), _mm256_shuffle_epi8(s, aLo));
    const __m256i hi =
        Over16Wide(_mm256_shuffle_epi8(s, cHi), _mm256_unpackhi_epi8(d, zero), _mm256_shuffle_epi8(s, aHi));
    Store32B(dp, _mm256_packus_epi16(lo, hi));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 32-bit source onto 24 bits at T = 0, 16 pixels at a time: the six groups
// of eight channels go two to a register, so the source pixels are first
// arranged so that each half holds the four its group needs.
PIXOLAN_TARGET_AVX2 void OverWide32On24(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m256i c01 = Patterns(kGroupColour[0], kGroupColour[1]), a01 = Patterns(kGroupAlpha[0], kGroupAlpha[1]);
  const __m256i c23 = Patterns(kGroupColour[2], kGroupColour[0]), a23 = Patterns(kGroupAlpha[2], kGroupAlpha[0]);
  const __m256i c45 = Patterns(kGroupColour[1], kGroupColour[2]), a45 = Patterns(kGroupAlpha[1], kGroupAlpha[2]);
  const __m256i first = _mm256_setr_epi32(0, 1, 2, 3, 2, 3, 4, 5), last = _mm256_setr_epi32(2, 3, 4, 5, 4, 5, 6, 7);
  const Byte* sp = spRef;  // local copies: stores could alias the references
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 64, dp += 48) {
    const __m256i s0 = Load32B(sp), s1 = Load32B(sp + 32);
    const Block kind = Classify(_mm256_and_si256(s0, s1), _mm256_or_si256(s0, s1));
    if (kind == Block::kInvisible) continue;
    const __m256i x01 = _mm256_permutevar8x32_epi32(s0, first);   // pixels 0..3 | 2..5
    const __m256i x23 = _mm256_permute2x128_si256(s0, s1, 0x21);  // pixels 4..7 | 8..11
    const __m256i x45 = _mm256_permutevar8x32_epi32(s1, last);    // pixels 10..13 | 12..15
    const __m256i g01 = _mm256_shuffle_epi8(x01, c01), g23 = _mm256_shuffle_epi8(x23, c23);
    const __m256i g45 = _mm256_shuffle_epi8(x45, c45);
    __m256i o01 = g01, o23 = g23, o45 = g45;
    if (kind != Block::kOpaque) {
      const __m256i d01 = _mm256_cvtepu8_epi16(Load16(dp));
      const __m256i d23 = _mm256_cvtepu8_epi16(Load16(dp + 16));
      const __m256i d45 = _mm256_cvtepu8_epi16(Load16(dp + 32));
      o01 = Over16Wide(g01, d01, _mm256_shuffle_epi8(x01, a01));
      o23 = Over16Wide(g23, d23, _mm256_shuffle_epi8(x23, a23));
      o45 = Over16Wide(g45, d45, _mm256_shuffle_epi8(x45, a45));
    }
    // Packing pairs the halves of two registers; the 64-bit permute puts
    // groups 0..3 back in order.
    Store32B(dp, _mm256_permute4x64_epi64(_mm256_packus_epi16(o01, o23), 0xD8));
    Store16(dp + 32, _mm_packus_epi16(_mm256_castsi256_si128(o45), _mm256_extracti128_si256(o45, 1)));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 32-bit source onto 32 bits at 0 < T < 256, 8 pixels at a time; a block of
// invisible pixels is skipped.
PIXOLAN_TARGET_AVX2 void BlendWide32On32(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols, unsigned U) {
  const __m256i vU = _mm256_set1_epi16(static_cast<short>(U));
  const Byte* sp = spRef;  // local copies: stores could alias the references
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 8; i += 8, sp += 32, dp += 32) {
    const __m256i s = Load32B(sp);
    if (Classify(s, s) == Block::kInvisible) continue;
    Store32B(dp, BlendPixels8(s, Load32B(dp), vU));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 32-bit source onto 24 bits at 0 < T < 256, 16 pixels at a time: the 48
// destination bytes are spread to two registers of 32-bit lanes, blended as
// 32-bit pixels and packed back into three whole stores' worth.
PIXOLAN_TARGET_AVX2 void BlendWide32On24(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols, unsigned U) {
  const __m256i vU = _mm256_set1_epi16(static_cast<short>(U));
  const __m256i spread = Patterns(kSpread24[0], kSpread24[0]), pack = Patterns(kPack24, kPack24);
  // Bytes 0..23 of a load at dp, and bytes 24..47 of a load at dp + 16, in
  // the two halves as 12 + 12 bytes.
  const __m256i low = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0), high = _mm256_setr_epi32(2, 3, 4, 0, 5, 6, 7, 0);
  // After packing, each half holds its four pixels in its first 12 bytes.
  const __m256i join0 = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0), join1 = _mm256_setr_epi32(2, 4, 5, 6, 0, 0, 0, 1);
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 64, dp += 48) {
    const __m256i s0 = Load32B(sp), s1 = Load32B(sp + 32);
    if (Classify(_mm256_and_si256(s0, s1), _mm256_or_si256(s0, s1)) == Block::kInvisible) continue;
    const __m256i d0 = Spread8(Load32B(dp), low, spread), d1 = Spread8(Load32B(dp + 16), high, spread);
    const __m256i o0 = _mm256_shuffle_epi8(BlendPixels8(s0, d0, vU), pack);
    const __m256i o1 = _mm256_shuffle_epi8(BlendPixels8(s1, d1, vU), pack);
    const __m256i q0 = _mm256_permutevar8x32_epi32(o0, join0);  // pixel bytes 0..23 in dwords 0..5
    const __m256i q1 = _mm256_permutevar8x32_epi32(o1, join1);  // 32..47 in dwords 0..3, 24..31 in 6..7
    Store32B(dp, _mm256_blend_epi32(q0, q1, 0xC0));
    Store16(dp + 32, _mm256_castsi256_si128(q1));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 24 into 32 bits with a fixed fourth byte, 32 pixels (three whole source
// registers) at a time.
PIXOLAN_TARGET_AVX2 void ConvertWide24To32(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols, Byte alpha) {
  const __m256i spread = Patterns(kSpread24[0], kSpread24[0]);
  const __m256i fourth = _mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(alpha) << 24));
  const __m256i low = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0), high = _mm256_setr_epi32(2, 3, 4, 0, 5, 6, 7, 0);
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 32; i += 32, sp += 96, dp += 128) {
    Store32B(dp, _mm256_or_si256(Spread8(Load32B(sp), low, spread), fourth));
    Store32B(dp + 32, _mm256_or_si256(Spread8(Load32B(sp + 24), low, spread), fourth));
    Store32B(dp + 64, _mm256_or_si256(Spread8(Load32B(sp + 48), low, spread), fourth));
    Store32B(dp + 96, _mm256_or_si256(Spread8(Load32B(sp + 64), high, spread), fourth));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 32 into 24 bits, 32 pixels into three whole 32-byte stores: each register
// of eight pixels packs into 24 bytes (12 per half), and dword permutes and
// blends join the four runs.
PIXOLAN_TARGET_AVX2 void ConvertWide32To24(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m256i pack = Patterns(kPack24, kPack24);
  // Each run's six dwords are, in its halves, dwords 0, 1, 2, 4, 5, 6.
  const __m256i p0 = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0), p1 = _mm256_setr_epi32(2, 4, 5, 6, 0, 0, 0, 1);
  const __m256i p2 = _mm256_setr_epi32(5, 6, 0, 0, 0, 1, 2, 4), p3 = _mm256_setr_epi32(0, 0, 0, 1, 2, 4, 5, 6);
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 32; i += 32, sp += 128, dp += 96) {
    const __m256i q0 = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Load32B(sp), pack), p0);
    const __m256i q1 = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Load32B(sp + 32), pack), p1);
    const __m256i q2 = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Load32B(sp + 64), pack), p2);
    const __m256i q3 = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Load32B(sp + 96), pack), p3);
    Store32B(dp, _mm256_blend_epi32(q0, q1, 0xC0));
    Store32B(dp + 32, _mm256_blend_epi32(q1, q2, 0xF0));
    Store32B(dp + 64, _mm256_blend_epi32(q2, q3, 0xFC));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

PIXOLAN_TARGET_AVX2 void CopyWide(const Byte* s, Byte* d, std::size_t n) {
  const Byte* const lastSrc = s + n - 32;
  Byte* const lastDst = d + n - 32;
  // The first 32 bytes unaligned, then on from the next aligned address.
  const std::size_t head = (32 - (reinterpret_cast<std::uintptr_t>(d) & 31)) & 31;
  Store32B(d, Load32B(s));
  s += head;
  d += head;
  n -= head;
  for (; n >= 128; n -= 128, s += 128, d += 128) {
    const __m256i a = Load32B(s), b = Load32B(s + 32), c = Load32B(s + 64), e = Load32B(s + 96);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d), a);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 32), b);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 64), c);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d + 96), e);
  }
  for (; n >= 32; n -= 32, s += 32, d += 32) Store32B(d, Load32B(s));
  Store32B(lastDst, Load32B(lastSrc));  // the last 32 bytes, overlapping what came before
}

}  // namespace pixolan

#endif
