// The blocks for processors with 16-byte byte shuffles (see blocks.h).
#include "blocks.h"
#include "vector_ops.h"

#if defined(PIXOLAN_SHUFFLE_LOOPS)

namespace pixolan {

// 32-bit source onto 24 bits at T = 0, 16 pixels at a time.
PIXOLAN_TARGET_SSSE3 void OverShuffled32On24(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c0 = Pattern(kGroupColour[0]), c1 = Pattern(kGroupColour[1]), c2 = Pattern(kGroupColour[2]);
  const __m128i a0 = Pattern(kGroupAlpha[0]), a1 = Pattern(kGroupAlpha[1]), a2 = Pattern(kGroupAlpha[2]);
  const Byte* sp = spRef;  // local copies: stores could alias the references
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 64, dp += 48) {
    const __m128i s0 = Load16(sp), s1 = Load16(sp + 16), s2 = Load16(sp + 32), s3 = Load16(sp + 48);
    const Block kind = Classify(_mm_and_si128(_mm_and_si128(s0, s1), _mm_and_si128(s2, s3)),
                                _mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3)));
    if (kind == Block::kInvisible) continue;
    // Pixels 2..5 of each half, for the groups that straddle two registers.
    const __m128i m0 = _mm_alignr_epi8(s1, s0, 8), m1 = _mm_alignr_epi8(s3, s2, 8);
    const __m128i g0 = _mm_shuffle_epi8(s0, c0), g1 = _mm_shuffle_epi8(m0, c1), g2 = _mm_shuffle_epi8(s1, c2);
    const __m128i g3 = _mm_shuffle_epi8(s2, c0), g4 = _mm_shuffle_epi8(m1, c1), g5 = _mm_shuffle_epi8(s3, c2);
    if (kind == Block::kOpaque) {
      Store16(dp, _mm_packus_epi16(g0, g1));
      Store16(dp + 16, _mm_packus_epi16(g2, g3));
      Store16(dp + 32, _mm_packus_epi16(g4, g5));
      continue;
    }
    const __m128i d0 = Load16(dp), d1 = Load16(dp + 16), d2 = Load16(dp + 32);
    const __m128i o0 = Over16(g0, _mm_unpacklo_epi8(d0, zero), _mm_shuffle_epi8(s0, a0));
    const __m128i o1 = Over16(g1, _mm_unpackhi_epi8(d0, zero), _mm_shuffle_epi8(m0, a1));
    const __m128i o2 = Over16(g2, _mm_unpacklo_epi8(d1, zero), _mm_shuffle_epi8(s1, a2));
    const __m128i o3 = Over16(g3, _mm_unpackhi_epi8(d1, zero), _mm_shuffle_epi8(s2, a0));
    const __m128i o4 = Over16(g4, _mm_unpacklo_epi8(d2, zero), _mm_shuffle_epi8(m1, a1));
    const __m128i o5 = Over16(g5, _mm_unpackhi_epi8(d2, zero), _mm_shuffle_epi8(s3, a2));
    Store16(dp, _mm_packus_epi16(o0, o1));
    Store16(dp + 16, _mm_packus_epi16(o2, o3));
    Store16(dp + 32, _mm_packus_epi16(o4, o5));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
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

// 32-bit source onto 32 bits at T = 0, 8 pixels at a time in two registers.
PIXOLAN_TARGET_SSSE3 void OverShuffled32On32(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m128i aLo = Pattern(kPixelAlphaBytes[0]), aHi = Pattern(kPixelAlphaBytes[1]);
  // Local copies: pixel stores could alias the references, which would make
  // the compiler reload them after every store.
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 8; i += 8, sp += 32, dp += 32) {
    const __m128i s0 = Load16(sp), s1 = Load16(sp + 16);
    const Block kind = Classify(_mm_and_si128(s0, s1), _mm_or_si128(s0, s1));
    if (kind == Block::kInvisible) continue;
    if (kind == Block::kOpaque) {
      Store16(dp, s0);
      Store16(dp + 16, s1);
      continue;
    }
    Store16(dp, OverShuffled4(s0, Load16(dp), aLo, aHi));
    Store16(dp + 16, OverShuffled4(s1, Load16(dp + 16), aLo, aHi));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 24-bit source into 32 bits keeping the destination's alpha bytes, 16
// pixels (three whole source registers) at a time: each run of four source
// pixels is shuffled into the colour bytes of four lanes, with 0 in the alpha
// bytes, and merged with the destination's alpha.
inline void StoreKeepingAlpha(Byte* to, __m128i colours, __m128i alpha) {
  Store16(to, _mm_or_si128(_mm_and_si128(Load16(to), alpha), colours));
}

PIXOLAN_TARGET_SSSE3 void CopyShuffled24To32KeepingAlpha(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m128i first = Pattern(kSpread24[0]), last = Pattern(kSpread24[1]);
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const Byte* sp = spRef;  // local copies, as above
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 48, dp += 64) {
    const __m128i v0 = Load16(sp), v1 = Load16(sp + 16), v2 = Load16(sp + 32);
    StoreKeepingAlpha(dp, _mm_shuffle_epi8(v0, first), alpha);                                // bytes 0..11
    StoreKeepingAlpha(dp + 16, _mm_shuffle_epi8(_mm_alignr_epi8(v1, v0, 12), first), alpha);  // 12..23
    StoreKeepingAlpha(dp + 32, _mm_shuffle_epi8(_mm_alignr_epi8(v2, v1, 8), first), alpha);   // 24..35
    StoreKeepingAlpha(dp + 48, _mm_shuffle_epi8(v2, last), alpha);                            // 36..47
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// The same shuffles with a fixed fourth byte.
PIXOLAN_TARGET_SSSE3 void ConvertShuffled24To32(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols, Byte alpha) {
  const __m128i first = Pattern(kSpread24[0]), last = Pattern(kSpread24[1]);
  const __m128i fourth = _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(alpha) << 24));
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 48, dp += 64) {
    const __m128i v0 = Load16(sp), v1 = Load16(sp + 16), v2 = Load16(sp + 32);
    Store16(dp, _mm_or_si128(_mm_shuffle_epi8(v0, first), fourth));
    Store16(dp + 16, _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(v1, v0, 12), first), fourth));
    Store16(dp + 32, _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(v2, v1, 8), first), fourth));
    Store16(dp + 48, _mm_or_si128(_mm_shuffle_epi8(v2, last), fourth));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

// 32 into 24 bits, 16 pixels into three whole registers: each register of
// four pixels is packed into 12 bytes and the four runs are joined.
PIXOLAN_TARGET_SSSE3 void ConvertShuffled32To24(const Byte*& spRef, Byte*& dpRef, long& iRef, long cols) {
  const __m128i pack = Pattern(kPack24);
  const Byte* sp = spRef;
  Byte* dp = dpRef;
  long i = iRef;
  for (; cols - i >= 16; i += 16, sp += 64, dp += 48) {
    const __m128i c0 = _mm_shuffle_epi8(Load16(sp), pack), c1 = _mm_shuffle_epi8(Load16(sp + 16), pack);
    const __m128i c2 = _mm_shuffle_epi8(Load16(sp + 32), pack), c3 = _mm_shuffle_epi8(Load16(sp + 48), pack);
    Store16(dp, _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
    Store16(dp + 16, _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
    Store16(dp + 32, _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
  }
  spRef = sp;
  dpRef = dp;
  iRef = i;
}

}  // namespace pixolan

#endif
