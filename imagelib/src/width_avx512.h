// The 64-byte register width (AVX-512 F and BW): four 16-byte lanes; the
// in-lane operations are those of SSSE3 on all four, the lane-crossing ones
// 32- and 64-bit permutes, and partial loads and stores are masked, so they
// touch exactly the bytes asked for. Included by kernels_avx512.cpp only,
// inside its instruction-set region (see width_sse2.h).
#pragma once

#include "target_region.h"
#include "width_shuffles.h"

#include <immintrin.h>

#include <cstdint>

namespace pixolan {
namespace {

// For register k of the three that hold a quad's sixty-four pixels as
// packed 24-bit ones: each of its colour bytes after unpacking (the 16-bit
// lanes of bytes 0..7, then 8..15, of every 16-byte lane) wants its pixel's
// alpha. The quad's blocks k and k + 1 hold all of its pixels; packed with
// their alphas (kPackWithAlpha), the alphas of pixels 4g .. 4g + 3 are one
// dword (group g). A dword permute of the two blocks gathers to each lane
// the groups from its first pixel's on, then a byte shuffle spreads them.
constexpr int FirstGroup(int k, int lane) { return (64 * k + 16 * lane) / 3 / 4; }
struct QuadDwords {
  std::uint32_t d[16];
};
constexpr QuadDwords QuadAlphaGroups(int k) {
  QuadDwords p{};
  for (int j = 0; j < 16; ++j) {
    int g = FirstGroup(k, j / 4) + j % 4;
    if (g > 4 * k + 7) g = 4 * k + 7;  // past the lane's last pixel: any group of the two blocks
    p.d[j] = static_cast<std::uint32_t>(16 * (g / 4 - k) + 4 * (g % 4) + 3);
  }
  return p;
}
struct QuadBytes {
  Byte b[64];
};
constexpr QuadBytes QuadAlphaPairs(int k, int half) {
  QuadBytes p{};
  for (int j = 0; j < 64; ++j) {
    const int lane = j / 16, pixel = (64 * k + 16 * lane + 8 * half + j % 16 / 2) / 3;
    p.b[j] = static_cast<Byte>(16 * lane + pixel - 4 * FirstGroup(k, lane));
  }
  return p;
}
alignas(64) constexpr QuadDwords kQuadAlphaGroups[3] = {QuadAlphaGroups(0), QuadAlphaGroups(1), QuadAlphaGroups(2)};
alignas(64) constexpr QuadBytes kQuadAlphaPairs[3][2] = {{QuadAlphaPairs(0, 0), QuadAlphaPairs(0, 1)},
                                                         {QuadAlphaPairs(1, 0), QuadAlphaPairs(1, 1)},
                                                         {QuadAlphaPairs(2, 0), QuadAlphaPairs(2, 1)}};

struct Avx512Lanes {
  using R = __m512i;
  static constexpr int kBytes = 64;
  static constexpr int kLanes = 4;
  static constexpr int kWindowWords = 64;         // the words of two registers that Gather16 picks from
  static constexpr bool kQuad24Registers = true;  // see Quad24AlphaPairs

  // Made once per kernel call (see width_sse2.h).
  // Written out so that its constants are made for this instruction set.
  PIXOLAN_ALWAYS_INLINE Avx512Lanes() {}  // NOLINT(modernize-use-equals-default)

  static R Kept(R v) {
    __asm__("" : "+v"(v));
    return v;
  }
  R alphaMask = Kept(Fill32(0xFF000000u)), c128 = Kept(Fill16(128));
  R alphaOne = Kept(Fill32(0x01000000u)), alphaTwo = Kept(Fill32(0x02000000u));
  R group = Kept(Dwords(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0));
  R groupReversed = Kept(Dwords(9, 10, 11, 0, 6, 7, 8, 0, 3, 4, 5, 0, 0, 1, 2, 0));
  R ungroup = Kept(Dwords(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0));
  R reversed = Kept(Dwords(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0));
  R memoryOrder = Kept(_mm512_setr_epi64(0, 4, 1, 5, 2, 6, 3, 7));
  R halvesOrder = Kept(_mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7));
  R laneMajor = Kept(Dwords(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
  R laneWeights = Kept(Dwords(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3));
  R laneNumbers = Kept(Dwords(0, 0, 0, 0, 0x10001, 0x10001, 0x10001, 0x10001, 0x20002, 0x20002, 0x20002, 0x20002,
                              0x30003, 0x30003, 0x30003, 0x30003));  // every word: its lane's number
  R groupLast = Kept(Dwords(4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0, 13, 14, 15, 0));
  R groupReversedLast = Kept(Dwords(13, 14, 15, 0, 10, 11, 12, 0, 7, 8, 9, 0, 4, 5, 6, 0));
  R quadAlphaGroups[3] = {Kept(Load(kQuadAlphaGroups[0].d)), Kept(Load(kQuadAlphaGroups[1].d)),
                          Kept(Load(kQuadAlphaGroups[2].d))};
  R quadAlphaPairs[3][2] = {{Kept(Load(kQuadAlphaPairs[0][0].b)), Kept(Load(kQuadAlphaPairs[0][1].b))},
                            {Kept(Load(kQuadAlphaPairs[1][0].b)), Kept(Load(kQuadAlphaPairs[1][1].b))},
                            {Kept(Load(kQuadAlphaPairs[2][0].b)), Kept(Load(kQuadAlphaPairs[2][1].b))}};
  R join[3] = {Kept(Dwords(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20)),
               Kept(Dwords(5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25)),
               Kept(Dwords(10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28, 29, 30))};

  // ---- memory ----
  static R Load(const void* p) { return _mm512_loadu_si512(p); }
  static void Store(void* p, R v) { _mm512_storeu_si512(p, v); }
  static void StoreAligned(void* p, R v) { _mm512_store_si512(p, v); }
  static __mmask64 FirstBytes(std::size_t n) {
    return static_cast<__mmask64>(n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1);
  }
  static R LoadPart(const void* p, std::size_t n) { return _mm512_maskz_loadu_epi8(FirstBytes(n), p); }
  static void StorePart(void* p, R v, std::size_t n) { _mm512_mask_storeu_epi8(p, FirstBytes(n), v); }
  // Plain loads and stores: a masked store followed by a load of the next
  // bytes cannot pass its data on, which stalls a loop of blocks.
  static R LoadRgb(const Byte* p) {
    return _mm512_inserti64x4(_mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))),
                              _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))), 1);
  }
  static void StoreRgb(Byte* p, R v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm512_castsi512_si256(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), _mm512_extracti32x4_epi32(v, 2));
  }
  static R LoadLanes(const std::uint16_t* sums, const std::uint32_t* first, int sb, std::size_t at) {
    const std::uint16_t* p0 = sums + std::size_t{first[0]} * sb + at;
    const std::uint16_t* p1 = sums + std::size_t{first[1]} * sb + at;
    const std::uint16_t* p2 = sums + std::size_t{first[2]} * sb + at;
    const std::uint16_t* p3 = sums + std::size_t{first[3]} * sb + at;
    R v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p0)));
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1)), 1);
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p2)), 2);
    return _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p3)), 3);
  }

  // ---- constants ----
  static R Zero() { return _mm512_setzero_si512(); }
  static R Fill8(int v) { return _mm512_set1_epi8(static_cast<char>(v)); }
  static R Fill16(int v) { return _mm512_set1_epi16(static_cast<short>(v)); }
  static R Fill32(std::uint32_t v) { return _mm512_set1_epi32(static_cast<int>(v)); }
  static R Lanes(const Byte* pattern) {
    return _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern)));
  }
  static R Dwords(int a0, int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9, int a10, int a11,
                  int a12, int a13, int a14, int a15) {
    return _mm512_setr_epi32(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15);
  }

  // ---- bits ----
  static R And(R a, R b) { return _mm512_and_si512(a, b); }
  static R Or(R a, R b) { return _mm512_or_si512(a, b); }
  static R Xor(R a, R b) { return _mm512_xor_si512(a, b); }
  static R AndNot(R a, R b) { return _mm512_andnot_si512(a, b); }
  static R Select(R mask, R a, R b) { return _mm512_ternarylogic_epi32(mask, a, b, 0xCA); }

  // ---- lanes of 16 and 32 bits ----
  static R Add16(R a, R b) { return _mm512_add_epi16(a, b); }
  static R Add32(R a, R b) { return _mm512_add_epi32(a, b); }
  static R Sub32(R a, R b) { return _mm512_sub_epi32(a, b); }
  template <int k>
  static R Srl16(R a) {
    return _mm512_srli_epi16(a, k);
  }
  template <int k>
  static R Srl32(R a) {
    return _mm512_srli_epi32(a, k);
  }
  template <int k>
  static R Sll32(R a) {
    return _mm512_slli_epi32(a, k);
  }
  template <int bytes>
  static R BytesDown(R a) {
    return _mm512_bsrli_epi128(a, bytes);
  }
  static R MulLo16(R a, R b) { return _mm512_mullo_epi16(a, b); }
  static R MulHiU16(R a, R b) { return _mm512_mulhi_epu16(a, b); }
  static R Madd16(R a, R b) { return _mm512_madd_epi16(a, b); }
  static R MaddUbs(R a, R b) { return _mm512_maddubs_epi16(a, b); }
  R RoundShift8(R a) const { return _mm512_mulhrs_epi16(a, c128); }

  // ---- rearranging ----
  static R Shuffle8(R v, R pattern) { return _mm512_shuffle_epi8(v, pattern); }
  static R UnpackLo8(R a, R b) { return _mm512_unpacklo_epi8(a, b); }
  static R UnpackHi8(R a, R b) { return _mm512_unpackhi_epi8(a, b); }
  static R UnpackLo16(R a, R b) { return _mm512_unpacklo_epi16(a, b); }
  static R PackUs16(R a, R b) { return _mm512_packus_epi16(a, b); }
  static R PackS32(R a, R b) { return _mm512_packs_epi32(a, b); }
  R SpreadWeights(const std::uint32_t* p) const {
    return _mm512_permutexvar_epi32(laneWeights,
                                    _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
  }
  R LaneMajor(R a) const { return _mm512_permutexvar_epi32(laneMajor, a); }
  // Word i of the result: word index[i] of lo:hi (64 words).
  static R Gather16(R lo, R index, R hi) { return _mm512_permutex2var_epi16(lo, index, hi); }
  // Word i of the result: word index[i] of v (32 words).
  static R Permute16(R v, R index) { return _mm512_permutexvar_epi16(index, v); }
  R InMemoryOrder(R a) const { return _mm512_permutexvar_epi64(memoryOrder, a); }
  R HalvesInOrder(R a) const { return _mm512_permutexvar_epi64(halvesOrder, a); }
  // Lane k gets group k (or 3 - k) of four 24-bit pixels in its bytes 0..11;
  // and back.
  R Group24(R v) const { return _mm512_permutexvar_epi32(group, v); }
  R GroupReversed24(R v) const { return _mm512_permutexvar_epi32(groupReversed, v); }
  R Ungroup24(R v) const { return _mm512_permutexvar_epi32(ungroup, v); }

  // ---- pixels ----
  R Reverse32(R v) const { return _mm512_permutexvar_epi32(reversed, v); }
  // Four blocks of packed 24-bit pixels (three whole registers) as four
  // registers of packed lanes (see width_sse2.h), and back; the loads read 64
  // bytes from 48-byte steps, the last one from 16 bytes before its block,
  // and each store takes its dwords from two blocks.
  void LoadPackedQuad(const Byte* p, R (&v)[4]) const {
    v[0] = _mm512_permutexvar_epi32(group, Load(p));
    v[1] = _mm512_permutexvar_epi32(group, Load(p + 48));
    v[2] = _mm512_permutexvar_epi32(group, Load(p + 96));
    v[3] = _mm512_permutexvar_epi32(groupLast, Load(p + 128));
  }
  void LoadPackedQuadReversed(const Byte* p, R (&v)[4]) const {
    v[0] = _mm512_permutexvar_epi32(groupReversed, Load(p));
    v[1] = _mm512_permutexvar_epi32(groupReversed, Load(p + 48));
    v[2] = _mm512_permutexvar_epi32(groupReversed, Load(p + 96));
    v[3] = _mm512_permutexvar_epi32(groupReversedLast, Load(p + 128));
  }
  void StorePackedQuad(Byte* p, const R (&v)[4]) const {
    Store(p, JoinPacked<0>(v[0], v[1]));
    Store(p + 64, JoinPacked<1>(v[1], v[2]));
    Store(p + 128, JoinPacked<2>(v[2], v[3]));
  }
  // Register k of a quad of 24-bit pixels from its blocks k and k + 1 in
  // packed lanes.
  template <int k>
  R JoinPacked(R v0, R v1) const {
    return _mm512_permutex2var_epi32(v0, join[k], v1);
  }
  // For register k of a quad of 24-bit pixels: (sa, sa) for each colour
  // byte's 16-bit lane after unpacking its low and its high bytes, from the
  // quad's blocks k and k + 1 packed with their alphas.
  template <int k>
  void Quad24AlphaPairs(R v0, R v1, R& lo, R& hi) const {
    const R groups = _mm512_permutex2var_epi32(v0, quadAlphaGroups[k], v1);
    lo = Shuffle8(groups, quadAlphaPairs[k][0]);
    hi = Shuffle8(groups, quadAlphaPairs[k][1]);
  }
  bool AllAlphaFull(R v) const { return _mm512_cmplt_epu32_mask(v, alphaMask) == 0; }
  // False where some alpha lies strictly between 0 and 255: adding 1 to the
  // alpha byte takes 255 to 0 and 0 to 1, and everything else to 2 or more.
  bool MayAllBeAtEnds(R v) const { return _mm512_cmpge_epu32_mask(Add32(v, alphaOne), alphaTwo) == 0; }
  bool AllAlphaZero(R v) const { return _mm512_test_epi32_mask(v, alphaMask) == 0; }
};

using Avx512 = WithShuffles<Avx512Lanes>;

}  // namespace
}  // namespace pixolan
