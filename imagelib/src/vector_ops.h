// The 16-byte operations the pixel loops share: moving pixels between the
// 24- and 32-bit layouts, the blend arithmetic on 16-bit lanes and the
// whole-block tests on source alphas. SSE2 only, so every x86 build has them;
// the SSSE3 and AVX2 blocks (blocks.h) build on them as well.
#pragma once

#include "cpu_features.h"
#include "transfer.h"

#if defined(PIXOLAN_VECTOR_LOOPS)

namespace pixolan {

// Twelve bytes into the low bytes of a register, and back.
inline __m128i Load12(const Byte* p) {
  return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                            _mm_cvtsi32_si128(static_cast<int>(Load32(p + 8))));
}
inline void Store12(Byte* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  Store32(p + 8, static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8))));
}

inline __m128i Load16(const Byte* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store16(Byte* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Four 24-bit pixels in the low 12 bytes of `v` as four 32-bit lanes; the
// fourth byte of each lane is the next pixel's blue.
inline __m128i Expand4x3(__m128i v) {
  const __m128i lo = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
  const __m128i hi = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
  return _mm_unpacklo_epi64(lo, hi);
}
// The same from memory (12 bytes, nothing read beyond).
inline __m128i Load3x4(const Byte* p) { return Expand4x3(Load12(p)); }

// Sixteen 24-bit pixels (three whole registers) as four registers of 32-bit
// lanes, as Expand4x3 gives them.
inline void Expand16x3(__m128i v0, __m128i v1, __m128i v2, __m128i (&out)[4]) {
  out[0] = Expand4x3(v0);
  out[1] = Expand4x3(_mm_or_si128(_mm_srli_si128(v0, 12), _mm_slli_si128(v1, 4)));
  out[2] = Expand4x3(_mm_or_si128(_mm_srli_si128(v1, 8), _mm_slli_si128(v2, 8)));
  out[3] = Expand4x3(_mm_srli_si128(v2, 4));
}

// Sixteen 24-bit pixels read from `s` (48 bytes), handed four at a time as
// 32-bit lanes to put(to, lanes) for the four 16-byte runs of `d`.
template <class Put>
inline void Spread16x3(const Byte* s, Byte* d, Put&& put) {
  __m128i px[4];
  Expand16x3(Load16(s), Load16(s + 16), Load16(s + 32), px);
  for (int k = 0; k < 4; ++k) put(d + 16 * k, px[k]);
}

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

// Sixteen pixels of 32-bit lanes packed as 48 bytes of 24-bit pixels.
inline void Pack16x3(const __m128i (&v)[4], __m128i& r0, __m128i& r1, __m128i& r2) {
  const __m128i c0 = Pack4x3(v[0]), c1 = Pack4x3(v[1]), c2 = Pack4x3(v[2]), c3 = Pack4x3(v[3]);
  r0 = _mm_or_si128(c0, _mm_slli_si128(c1, 12));
  r1 = _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8));
  r2 = _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4));
}

// ---- 24-bit source: (s * U + d * T + 128) >> 8 --------------------------------

// The mix on sixteen bytes; fits 16 bits since U + T = 256.
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

// ---- 32-bit source at T = 0: R(256 * (d * sa + s * (255 - sa))) ---------------

// Eight channels of two pixels. `s` carries 0 in its alpha lanes, so a
// destination alpha becomes R(256 * a * sa).
inline __m128i Over16(__m128i s, __m128i d, __m128i sa) {
  const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128), c257 = _mm_set1_epi16(257);
  __m128i w = _mm_add_epi16(_mm_mullo_epi16(d, sa), _mm_mullo_epi16(s, _mm_sub_epi16(c255, sa)));
  return _mm_mulhi_epu16(_mm_add_epi16(w, c128), c257);
}

// Sixteen channel bytes: source bytes `s` (0 where a destination alpha is
// blended), destination bytes `d`, and the alphas of the source pixels the
// bytes belong to as 16-bit lanes, first and second eight.
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

// ---- 32-bit source at any T: R(d * L + s * K) in 16-bit lanes ----------------
//
// With K = 256 * Kh + Kl and L = 256 * Lh + Ll (bytes), Kl + Ll is 0 or 256
// since K + L = 65280, so A = d * Lh + s * Kh <= 65025 and B = d * Ll + s * Kl
// <= 65280 both fit 16 bits, and y = (V + 32640) >> 8 = A + (((B >> 1) +
// 16320) >> 7) exactly. Then R(V) = ((y + 1) * 257) >> 16 for every y a blend
// can give (y <= 65152), which is one high multiply.

// The four weight bytes of each lane's pixel, as 16-bit lanes.
struct Weights {
  __m128i kh, kl, lh, ll;
};

inline __m128i Blend16(__m128i s, __m128i d, const Weights& w) {
  const __m128i a = _mm_add_epi16(_mm_mullo_epi16(d, w.lh), _mm_mullo_epi16(s, w.kh));
  const __m128i b = _mm_add_epi16(_mm_mullo_epi16(d, w.ll), _mm_mullo_epi16(s, w.kl));
  const __m128i y = _mm_add_epi16(a, _mm_srli_epi16(_mm_add_epi16(_mm_srli_epi16(b, 1), _mm_set1_epi16(16320)), 7));
  return _mm_mulhi_epu16(_mm_add_epi16(y, _mm_set1_epi16(1)), _mm_set1_epi16(257));
}

// Four 32-bit source pixels over four destination pixels in the 32-bit
// layout with the source weighing K = (255 - sa) * U: colours R(d * L + s * K),
// the fourth byte R(a * L).
inline __m128i BlendPixels4(__m128i sv, __m128i dv, __m128i U) {
  const __m128i zero = _mm_setzero_si128();
  // K of each pixel in both 16-bit halves of its lane.
  const __m128i k = _mm_mullo_epi16(_mm_sub_epi16(_mm_set1_epi16(255), AlphaPairs(sv)), U);
  const __m128i l = _mm_sub_epi16(_mm_set1_epi16(static_cast<short>(0xFF00)), k);
  const __m128i low = _mm_set1_epi16(0xFF);
  const __m128i kh = _mm_srli_epi16(k, 8), kl = _mm_and_si128(k, low);
  const __m128i lh = _mm_srli_epi16(l, 8), ll = _mm_and_si128(l, low);
  const Weights first = {_mm_unpacklo_epi32(kh, kh), _mm_unpacklo_epi32(kl, kl), _mm_unpacklo_epi32(lh, lh),
                         _mm_unpacklo_epi32(ll, ll)};
  const Weights second = {_mm_unpackhi_epi32(kh, kh), _mm_unpackhi_epi32(kl, kl), _mm_unpackhi_epi32(lh, lh),
                          _mm_unpackhi_epi32(ll, ll)};
  const __m128i s = _mm_and_si128(sv, _mm_set1_epi32(0x00FFFFFF));
  const __m128i lo = Blend16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(dv, zero), first);
  const __m128i hi = Blend16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(dv, zero), second);
  return _mm_packus_epi16(lo, hi);
}

// ---- Whole-block tests on source alphas ---------------------------------------

// What a block of 32-bit source pixels needs: nothing when every pixel is
// invisible (alpha 255), a copy when every pixel is opaque (alpha 0) at
// T = 0, the blend otherwise.
enum class Block { kMixed, kInvisible, kOpaque };

// From the AND (`all`) and the OR (`any`) of the block's registers.
inline Block Classify(__m128i all, __m128i any) {
  constexpr int kAlphaBits = 0x8888;  // the alpha bytes in a byte mask
  if ((_mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_set1_epi32(-1))) & kAlphaBits) == kAlphaBits) return Block::kInvisible;
  if ((_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) & kAlphaBits) == kAlphaBits) return Block::kOpaque;
  return Block::kMixed;
}

#if defined(PIXOLAN_SHUFFLE_LOOPS)
PIXOLAN_TARGET_AVX2 inline Block Classify(__m256i all, __m256i any) {
  const __m256i alphas = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  if (_mm256_testc_si256(all, alphas)) return Block::kInvisible;
  if (_mm256_testz_si256(any, alphas)) return Block::kOpaque;
  return Block::kMixed;
}
#endif

}  // namespace pixolan

#endif
