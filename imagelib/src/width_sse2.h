// The 16-byte register width of every x86 processor (SSE2), the operations
// the kernels ask of a width (kernels.h explains the layout), and those that
// SSE2 lacks made of what it has. Included by kernels_sse2.cpp and, as the
// base of the SSSE3 width, by kernels_ssse3.cpp inside its instruction-set
// region; everything here has internal linkage, so no function built for one
// instruction set can stand in for another's at link time.
#pragma once

#include "kernels.h"
#include "target_region.h"

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace pixolan {
namespace {

// A width is made once per kernel call: it holds the constant registers its
// operations use, so that a loop finds them in registers (or spilled beside
// it) instead of building them again on every pass.
struct Sse2 {
  using R = __m128i;
  static constexpr int kBytes = 16;
  static constexpr int kLanes = 1;
  static constexpr bool kShuffles = false;         // no byte shuffles: no packed-lane arithmetic
  static constexpr int kWindowWords = 0;           // no word permute across registers
  static constexpr bool kQuad24Registers = false;  // no two-register permutes

  // Written out so that its constants are made for this instruction set.
  PIXOLAN_ALWAYS_INLINE Sse2() {}  // NOLINT(modernize-use-equals-default)

  // A value the compiler must keep as it is, not make again where it is used.
  static R Kept(R v) {
    __asm__("" : "+x"(v));
    return v;
  }
  R alphaMask = Kept(Fill32(0xFF000000u)), colourMask = Kept(Fill32(0x00FFFFFFu));
  R firstOfPair = Kept(_mm_set1_epi64x(0xFFFFFF)), secondOfPair = Kept(_mm_set1_epi64x(0xFFFFFF000000));
  R lowHalf = Kept(_mm_set_epi32(0, 0, -1, -1)), lowBytes = Kept(Fill16(0xFF));
  R firstTwelve = Kept(_mm_set_epi32(0, -1, -1, -1));

  // ---- memory ----
  static R Load(const void* p) { return _mm_loadu_si128(static_cast<const R*>(p)); }
  static void Store(void* p, R v) { _mm_storeu_si128(static_cast<R*>(p), v); }
  static void StoreAligned(void* p, R v) { _mm_store_si128(static_cast<R*>(p), v); }
  // The first n < kBytes bytes; the rest of the register is 0.
  static R LoadPart(const void* p, std::size_t n) {
    alignas(16) Byte b[16] = {};
    std::memcpy(b, p, n);
    return _mm_load_si128(reinterpret_cast<const R*>(b));
  }
  static void StorePart(void* p, R v, std::size_t n) {
    alignas(16) Byte b[16];
    _mm_store_si128(reinterpret_cast<R*>(b), v);
    std::memcpy(p, b, n);
  }
  // Exactly the 3 * kBytes / 4 bytes of a block of 24-bit pixels.
  static R LoadRgb(const Byte* p) {
    std::uint32_t last;
    std::memcpy(&last, p + 8, 4);
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const R*>(p)),
                              _mm_cvtsi32_si128(static_cast<int>(last)));
  }
  static void StoreRgb(Byte* p, R v) {
    _mm_storel_epi64(reinterpret_cast<R*>(p), v);
    const std::uint32_t last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
    std::memcpy(p + 8, &last, 4);
  }
  // Lane k: 16 bytes from sums + first[k] * sb + at.
  static R LoadLanes(const std::uint16_t* sums, const std::uint32_t* first, int sb, std::size_t at) {
    return Load(sums + std::size_t{first[0]} * sb + at);
  }

  // ---- constants ----
  static R Zero() { return _mm_setzero_si128(); }
  static R Fill8(int v) { return _mm_set1_epi8(static_cast<char>(v)); }
  static R Fill16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static R Fill32(std::uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
  // A 16-byte pattern in every lane.
  static R Lanes(const Byte* pattern) { return Load(pattern); }

  // ---- bits ----
  static R And(R a, R b) { return _mm_and_si128(a, b); }
  static R Or(R a, R b) { return _mm_or_si128(a, b); }
  static R Xor(R a, R b) { return _mm_xor_si128(a, b); }
  static R AndNot(R a, R b) { return _mm_andnot_si128(a, b); }  // ~a & b
  // Bytes of a where `mask` is set, of b elsewhere.
  static R Select(R mask, R a, R b) { return Or(And(mask, a), AndNot(mask, b)); }

  // ---- lanes of 16 and 32 bits ----
  static R Add16(R a, R b) { return _mm_add_epi16(a, b); }
  static R Add32(R a, R b) { return _mm_add_epi32(a, b); }
  static R Sub32(R a, R b) { return _mm_sub_epi32(a, b); }
  template <int k>
  static R Srl16(R a) {
    return _mm_srli_epi16(a, k);
  }
  template <int k>
  static R Srl32(R a) {
    return _mm_srli_epi32(a, k);
  }
  template <int k>
  static R Sll32(R a) {
    return _mm_slli_epi32(a, k);
  }
  template <int bytes>
  static R BytesDown(R a) {  // within each lane, toward byte 0
    return _mm_srli_si128(a, bytes);
  }
  static R MulLo16(R a, R b) { return _mm_mullo_epi16(a, b); }
  static R MulHiU16(R a, R b) { return _mm_mulhi_epu16(a, b); }
  static R Madd16(R a, R b) { return _mm_madd_epi16(a, b); }
  // Unsigned bytes of a times signed bytes of b, neighbours summed into 16
  // bits (with signed saturation, which no kernel reaches).
  static R MaddUbs(R a, R b) {
    const R evenA = And(a, Fill16(0xFF)), oddA = Srl16<8>(a);
    const R evenB = _mm_srai_epi16(_mm_slli_epi16(b, 8), 8), oddB = _mm_srai_epi16(b, 8);
    return _mm_adds_epi16(MulLo16(evenA, evenB), MulLo16(oddA, oddB));
  }
  // (a + 128) >> 8 on signed 16-bit lanes, for |a| <= 32768 - 128.
  static R RoundShift8(R a) { return _mm_srai_epi16(Add16(a, Fill16(128)), 8); }

  // ---- rearranging, within each lane ----
  static R UnpackLo8(R a, R b) { return _mm_unpacklo_epi8(a, b); }
  static R UnpackHi8(R a, R b) { return _mm_unpackhi_epi8(a, b); }
  static R UnpackLo16(R a, R b) { return _mm_unpacklo_epi16(a, b); }
  static R PackUs16(R a, R b) { return _mm_packus_epi16(a, b); }
  static R PackS32(R a, R b) { return _mm_packs_epi32(a, b); }
  // Reorders 64-bit blocks so that UnpackLo8 and UnpackHi8 of two registers
  // give the first and the second half of their bytes in memory order.
  R InMemoryOrder(R a) const { return a; }
  // The inverse: the first halves of the lanes, then their second halves.
  R HalvesInOrder(R a) const { return a; }
  // Lane k: the weight word p[k] in all four of its 32-bit lanes.
  R SpreadWeights(const std::uint32_t* p) const { return Fill32(*p); }
  // From dword (lane k, slot q) to dword q * kLanes + k.
  R LaneMajor(R a) const { return a; }

  // ---- pixels ----
  // Four 24-bit pixels (bytes 0..11) as 32-bit lanes with fourth byte 0.
  R Spread24(R v) const {
    const R lo = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
    const R hi = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
    return And(_mm_unpacklo_epi64(lo, hi), colourMask);
  }
  // The low three bytes of four 32-bit lanes, packed into bytes 0..11.
  R Pack24(R v) const {
    // Each 64-bit half packs its two pixels into its low six bytes...
    const R x = Or(And(v, firstOfPair), And(_mm_srli_epi64(v, 8), secondOfPair));
    // ...and the upper half's six bytes move down to follow the lower half's.
    return Or(And(x, lowHalf), _mm_srli_si128(AndNot(lowHalf, x), 2));
  }
  // Four blocks of packed 24-bit pixels (three whole registers) as four
  // registers with four pixels in the first 12 bytes of each lane ("packed
  // lanes"), and back. The reversed load gives each block's lanes in reverse
  // order (here one lane: the same).
  void LoadPackedQuad(const Byte* p, R (&v)[4]) const {
    const R a = Load(p), b = Load(p + 16), c = Load(p + 32);
    v[0] = a;
    v[1] = Or(_mm_srli_si128(a, 12), _mm_slli_si128(b, 4));
    v[2] = Or(_mm_srli_si128(b, 8), _mm_slli_si128(c, 8));
    v[3] = _mm_srli_si128(c, 4);
  }
  void LoadPackedQuadReversed(const Byte* p, R (&v)[4]) const { LoadPackedQuad(p, v); }
  // The bytes behind each lane's 12 may hold anything.
  void StorePackedQuad(Byte* p, const R (&v)[4]) const {
    const R v1 = And(v[1], firstTwelve), v2 = And(v[2], firstTwelve);
    Store(p, Or(And(v[0], firstTwelve), _mm_slli_si128(v1, 12)));
    Store(p + 16, Or(_mm_srli_si128(v1, 4), _mm_slli_si128(v2, 8)));
    Store(p + 32, Or(_mm_srli_si128(v2, 8), _mm_slli_si128(v[3], 4)));
  }
  // Packed lanes to 32-bit lanes (fourth byte 0) and back, and the four
  // pixels of each packed lane in reverse order.
  R SpreadLanes(R v) const { return Spread24(v); }
  R PackLanes(R v) const { return Pack24(v); }
  R ReverseLanes(R v) const { return Pack24(Reverse32(Spread24(v))); }
  // The pixels of a register in reverse order.
  R Reverse32(R v) const { return _mm_shuffle_epi32(v, 0x1B); }
  R ReverseRgb(R v) const { return Pack24(Reverse32(Spread24(v))); }
  // Whether every 32-bit pixel has alpha 255, or every one alpha 0.
  static bool AllAlphaFull(R v) {
    return (_mm_movemask_epi8(_mm_cmpeq_epi8(v, Fill32(0xFFFFFFFFu))) & 0x8888) == 0x8888;
  }
  static bool AllAlphaZero(R v) { return (_mm_movemask_epi8(_mm_cmpeq_epi8(v, Zero())) & 0x8888) == 0x8888; }
  // False only where some alpha lies strictly between 0 and 255 (never
  // here: the test would cost as much as the two it would spare).
  static bool MayAllBeAtEnds(R) { return true; }
  // Per 32-bit pixel bytes [Ll, Lh, Kl, Kh] (weights L and K): for the
  // channel lanes of UnpackLo8/UnpackHi8 of two pixel registers, the 16-bit
  // pairs Lh | Kh << 8 (high) and Ll | Kl << 8 (low) of each channel's pixel;
  // and the pairs (sa, 255 - sa) from the source pixels. 32-bit pixels only.
  template <bool Packed>
  void WeightPairs(R w, R& highLo, R& highHi, R& lowLo, R& lowHi) const {
    static_assert(!Packed, "packed lanes need byte shuffles");
    Spread(_mm_packus_epi16(Srl16<8>(w), Srl16<8>(w)), highLo, highHi);
    Spread(_mm_packus_epi16(And(w, lowBytes), And(w, lowBytes)), lowLo, lowHi);
  }
  template <bool Packed>
  void AlphaPairs(R s, R& lo, R& hi) const {
    static_assert(!Packed, "packed lanes need byte shuffles");
    const R sa = Srl32<24>(s);
    const R pairs = Or(sa, Sll32<16>(Xor(sa, Fill32(0xFF))));  // words sa and 255 - sa
    Spread(_mm_packus_epi16(pairs, pairs), lo, hi);
  }

 private:
  // Words p0 p1 p2 p3 (twice) as p0 x4, p1 x4 and p2 x4, p3 x4.
  static void Spread(R words, R& first, R& second) {
    const R twice = _mm_unpacklo_epi16(words, words);
    first = _mm_unpacklo_epi32(twice, twice);
    second = _mm_unpackhi_epi32(twice, twice);
  }
};

}  // namespace
}  // namespace pixolan
