// The 32-byte register width (AVX2): two 16-byte lanes, so the in-lane
// operations are those of SSSE3 on both lanes at once; the few that cross
// lanes are 32-bit permutes. Included by kernels_avx2.cpp only, inside its
// instruction-set region (see width_sse2.h).
#pragma once

#include "target_region.h"
#include "width_shuffles.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

namespace pixolan {
namespace {

struct Avx2Lanes {
  using R = __m256i;
  static constexpr int kBytes = 32;
  static constexpr int kLanes = 2;
  static constexpr int kWindowWords = 0;
  static constexpr bool kQuad24Registers = false;  // no two-register permutes

  // Made once per kernel call (see width_sse2.h).
  // Written out so that its constants are made for this instruction set.
  PIXOLAN_ALWAYS_INLINE Avx2Lanes() {}  // NOLINT(modernize-use-equals-default)

  static R Kept(R v) {
    __asm__("" : "+x"(v));
    return v;
  }
  R alphaMask = Kept(Fill32(0xFF000000u)), c128 = Kept(Fill16(128));
  R group = Kept(_mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0)),
    groupReversed = Kept(_mm256_setr_epi32(3, 4, 5, 0, 0, 1, 2, 0));
  R ungroup = Kept(_mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0)),
    reversed = Kept(_mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
  R laneMajor = Kept(_mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
  R laneWeights = Kept(_mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1));
  R groupLast = Kept(_mm256_setr_epi32(2, 3, 4, 0, 5, 6, 7, 0));
  R groupReversedLast = Kept(_mm256_setr_epi32(5, 6, 7, 0, 2, 3, 4, 0));
  R join[4] = {Kept(_mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0)), Kept(_mm256_setr_epi32(2, 4, 5, 6, 0, 0, 0, 1)),
               Kept(_mm256_setr_epi32(5, 6, 0, 0, 0, 1, 2, 4)), Kept(_mm256_setr_epi32(0, 0, 0, 1, 2, 4, 5, 6))};

  // ---- memory ----
  static R Load(const void* p) { return _mm256_loadu_si256(static_cast<const R*>(p)); }
  static void Store(void* p, R v) { _mm256_storeu_si256(static_cast<R*>(p), v); }
  static void StoreAligned(void* p, R v) { _mm256_store_si256(static_cast<R*>(p), v); }
  static R LoadPart(const void* p, std::size_t n) {
    alignas(32) Byte b[32] = {};
    std::memcpy(b, p, n);
    return _mm256_load_si256(reinterpret_cast<const R*>(b));
  }
  static void StorePart(void* p, R v, std::size_t n) {
    alignas(32) Byte b[32];
    _mm256_store_si256(reinterpret_cast<R*>(b), v);
    std::memcpy(p, b, n);
  }
  static R LoadRgb(const Byte* p) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 16)), 1);
  }
  static void StoreRgb(Byte* p, R v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm256_extracti128_si256(v, 1));
  }
  static R LoadLanes(const std::uint16_t* sums, const std::uint32_t* first, int sb, std::size_t at) {
    const std::uint16_t* p0 = sums + std::size_t{first[0]} * sb + at;
    const std::uint16_t* p1 = sums + std::size_t{first[1]} * sb + at;
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p0))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1)), 1);
  }

  // ---- constants ----
  static R Zero() { return _mm256_setzero_si256(); }
  static R Fill8(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
  static R Fill16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static R Fill32(std::uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
  static R Lanes(const Byte* pattern) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern)));
  }

  // ---- bits ----
  static R And(R a, R b) { return _mm256_and_si256(a, b); }
  static R Or(R a, R b) { return _mm256_or_si256(a, b); }
  static R Xor(R a, R b) { return _mm256_xor_si256(a, b); }
  static R AndNot(R a, R b) { return _mm256_andnot_si256(a, b); }
  static R Select(R mask, R a, R b) { return _mm256_blendv_epi8(b, a, mask); }

  // ---- lanes of 16 and 32 bits ----
  static R Add16(R a, R b) { return _mm256_add_epi16(a, b); }
  static R Add32(R a, R b) { return _mm256_add_epi32(a, b); }
  static R Sub32(R a, R b) { return _mm256_sub_epi32(a, b); }
  template <int k>
  static R Srl16(R a) {
    return _mm256_srli_epi16(a, k);
  }
  template <int k>
  static R Srl32(R a) {
    return _mm256_srli_epi32(a, k);
  }
  template <int k>
  static R Sll32(R a) {
    return _mm256_slli_epi32(a, k);
  }
  template <int bytes>
  static R BytesDown(R a) {
    return _mm256_srli_si256(a, bytes);
  }
  static R MulLo16(R a, R b) { return _mm256_mullo_epi16(a, b); }
  static R MulHiU16(R a, R b) { return _mm256_mulhi_epu16(a, b); }
  static R Madd16(R a, R b) { return _mm256_madd_epi16(a, b); }
  static R MaddUbs(R a, R b) { return _mm256_maddubs_epi16(a, b); }
  R RoundShift8(R a) const { return _mm256_mulhrs_epi16(a, c128); }

  // ---- rearranging ----
  static R Shuffle8(R v, R pattern) { return _mm256_shuffle_epi8(v, pattern); }
  static R UnpackLo8(R a, R b) { return _mm256_unpacklo_epi8(a, b); }
  static R UnpackHi8(R a, R b) { return _mm256_unpackhi_epi8(a, b); }
  static R UnpackLo16(R a, R b) { return _mm256_unpacklo_epi16(a, b); }
  static R PackUs16(R a, R b) { return _mm256_packus_epi16(a, b); }
  static R PackS32(R a, R b) { return _mm256_packs_epi32(a, b); }
  R SpreadWeights(const std::uint32_t* p) const {
    return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))),
                                       laneWeights);
  }
  R LaneMajor(R a) const { return _mm256_permutevar8x32_epi32(a, laneMajor); }
  R InMemoryOrder(R a) const { return _mm256_permute4x64_epi64(a, 0xD8); }
  R HalvesInOrder(R a) const { return InMemoryOrder(a); }  // the order is its own inverse
  // Lane k gets group k of four 24-bit pixels (bytes 12k..12k+11) in its
  // bytes 0..11, or group 1 - k; and back.
  R Group24(R v) const { return _mm256_permutevar8x32_epi32(v, group); }
  R GroupReversed24(R v) const { return _mm256_permutevar8x32_epi32(v, groupReversed); }
  R Ungroup24(R v) const { return _mm256_permutevar8x32_epi32(v, ungroup); }

  // ---- pixels ----
  R Reverse32(R v) const { return _mm256_permutevar8x32_epi32(v, reversed); }
  // Four blocks of packed 24-bit pixels (three whole registers) as four
  // registers of packed lanes (see width_sse2.h), and back; the loads read 32
  // bytes from 24-byte steps, the last one from 8 bytes before its block.
  void LoadPackedQuad(const Byte* p, R (&v)[4]) const {
    v[0] = _mm256_permutevar8x32_epi32(Load(p), group);
    v[1] = _mm256_permutevar8x32_epi32(Load(p + 24), group);
    v[2] = _mm256_permutevar8x32_epi32(Load(p + 48), group);
    v[3] = _mm256_permutevar8x32_epi32(Load(p + 64), groupLast);
  }
  void LoadPackedQuadReversed(const Byte* p, R (&v)[4]) const {
    v[0] = _mm256_permutevar8x32_epi32(Load(p), groupReversed);
    v[1] = _mm256_permutevar8x32_epi32(Load(p + 24), groupReversed);
    v[2] = _mm256_permutevar8x32_epi32(Load(p + 48), groupReversed);
    v[3] = _mm256_permutevar8x32_epi32(Load(p + 64), groupReversedLast);
  }
  // Each block's six dwords (dwords 0, 1, 2, 4, 5, 6 of its lanes) are moved
  // to where they belong in the three stores and blended there.
  void StorePackedQuad(Byte* p, const R (&v)[4]) const {
    const R q0 = _mm256_permutevar8x32_epi32(v[0], join[0]), q1 = _mm256_permutevar8x32_epi32(v[1], join[1]);
    const R q2 = _mm256_permutevar8x32_epi32(v[2], join[2]), q3 = _mm256_permutevar8x32_epi32(v[3], join[3]);
    Store(p, _mm256_blend_epi32(q0, q1, 0xC0));
    Store(p + 32, _mm256_blend_epi32(q1, q2, 0xF0));
    Store(p + 64, _mm256_blend_epi32(q2, q3, 0xFC));
  }
  bool AllAlphaFull(R v) const { return _mm256_testc_si256(v, alphaMask) != 0; }
  // False only where some alpha lies strictly between 0 and 255; here the
  // two tests above are as cheap as that one, so it never answers false.
  static bool MayAllBeAtEnds(R) { return true; }
  bool AllAlphaZero(R v) const { return _mm256_testz_si256(v, alphaMask) != 0; }
};

using Avx2 = WithShuffles<Avx2Lanes>;

}  // namespace
}  // namespace pixolan
