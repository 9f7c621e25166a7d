// Blocks of the blend and copy loops for processors with byte shuffles
// (SSSE3, 16 bytes; blocks_ssse3.cpp) or 32-byte registers (AVX2;
// blocks_avx2.cpp). Each function takes the row from pixel i on, handles
// whole blocks and leaves sp, dp and i at the first pixel it did not handle;
// the caller's narrower loops finish the row. Nothing is read or written
// beyond the row's own pixels.
#pragma once

#include "cpu_features.h"
#include "transfer.h"

#if defined(PIXOLAN_SHUFFLE_LOOPS)

namespace pixolan {

// Shuffle patterns that widen bytes to 16-bit lanes (index 0x80 gives 0).
// Sixteen pixels blend as 48 channel bytes in six groups of eight; group k
// is channels 8k..8k+7 of the packed 24-bit row. Groups 0 and 3 come from
// source pixels 0..3 of their half, groups 1 and 4 from pixels 2..5, groups
// 2 and 5 from pixels 4..7; each pattern picks the colour bytes of its
// group, or each channel's pixel alpha.
constexpr char kZ = -128;
alignas(16) inline constexpr char kGroupColour[3][16] = {
    {0, kZ, 1, kZ, 2, kZ, 4, kZ, 5, kZ, 6, kZ, 8, kZ, 9, kZ},     // b0 g0 r0 b1 g1 r1 b2 g2
    {2, kZ, 4, kZ, 5, kZ, 6, kZ, 8, kZ, 9, kZ, 10, kZ, 12, kZ},   // r2 b3 g3 r3 b4 g4 r4 b5
    {5, kZ, 6, kZ, 8, kZ, 9, kZ, 10, kZ, 12, kZ, 13, kZ, 14, kZ}  // g5 r5 b6 g6 r6 b7 g7 r7
};
alignas(16) inline constexpr char kGroupAlpha[3][16] = {{3, kZ, 3, kZ, 3, kZ, 7, kZ, 7, kZ, 7, kZ, 11, kZ, 11, kZ},
                                                        {3, kZ, 7, kZ, 7, kZ, 7, kZ, 11, kZ, 11, kZ, 11, kZ, 15, kZ},
                                                        {7, kZ, 7, kZ, 11, kZ, 11, kZ, 11, kZ, 15, kZ, 15, kZ, 15, kZ}};

// Four 32-bit pixels as 16-bit lanes: colours of the first two (or last two)
// with 0 in the alpha lanes, and each pixel's alpha in all four of its lanes.
alignas(16) inline constexpr char kPixelColour[2][16] = {
    {0, kZ, 1, kZ, 2, kZ, kZ, kZ, 4, kZ, 5, kZ, 6, kZ, kZ, kZ},
    {8, kZ, 9, kZ, 10, kZ, kZ, kZ, 12, kZ, 13, kZ, 14, kZ, kZ, kZ}};
alignas(16) inline constexpr char kPixelAlpha[2][16] = {
    {3, kZ, 3, kZ, 3, kZ, 3, kZ, 7, kZ, 7, kZ, 7, kZ, 7, kZ},
    {11, kZ, 11, kZ, 11, kZ, 11, kZ, 15, kZ, 15, kZ, 15, kZ, 15, kZ}};

// Four 24-bit pixels (the low 12 bytes) spread to four 32-bit lanes with 0
// in the fourth bytes, from the first or the last 12 bytes of a register;
// and the reverse, four 32-bit lanes packed into the low 12 bytes.
alignas(16) inline constexpr char kSpread24[2][16] = {{0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ},
                                                      {4, 5, 6, kZ, 7, 8, 9, kZ, 10, 11, 12, kZ, 13, 14, 15, kZ}};
alignas(16) inline constexpr char kPack24[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, kZ, kZ, kZ, kZ};

inline __m128i Pattern(const char (&bytes)[16]) { return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes)); }

// 32-bit source over the destination at T = 0.
PIXOLAN_TARGET_SSSE3 void OverShuffled32On24(const Byte*& sp, Byte*& dp, long& i, long cols);
PIXOLAN_TARGET_SSSE3 void OverShuffled32On32(const Byte*& sp, Byte*& dp, long& i, long cols);
PIXOLAN_TARGET_AVX2 void OverWide32On24(const Byte*& sp, Byte*& dp, long& i, long cols);
PIXOLAN_TARGET_AVX2 void OverWide32On32(const Byte*& sp, Byte*& dp, long& i, long cols);

// 32-bit source over the destination at 0 < T < 256 (U = 256 - T).
PIXOLAN_TARGET_AVX2 void BlendWide32On24(const Byte*& sp, Byte*& dp, long& i, long cols, unsigned U);
PIXOLAN_TARGET_AVX2 void BlendWide32On32(const Byte*& sp, Byte*& dp, long& i, long cols, unsigned U);

// 24-bit source into 32 bits keeping the destination's alpha bytes.
PIXOLAN_TARGET_SSSE3 void CopyShuffled24To32KeepingAlpha(const Byte*& sp, Byte*& dp, long& i, long cols);

// Whole-pixel conversions: 24 into 32 bits with a given fourth byte, and 32
// into 24 bits.
PIXOLAN_TARGET_SSSE3 void ConvertShuffled24To32(const Byte*& sp, Byte*& dp, long& i, long cols, Byte alpha);
PIXOLAN_TARGET_AVX2 void ConvertWide24To32(const Byte*& sp, Byte*& dp, long& i, long cols, Byte alpha);
PIXOLAN_TARGET_SSSE3 void ConvertShuffled32To24(const Byte*& sp, Byte*& dp, long& i, long cols);
PIXOLAN_TARGET_AVX2 void ConvertWide32To24(const Byte*& sp, Byte*& dp, long& i, long cols);

// Copies n >= 32 bytes between two separate memories, 128 at a time into
// 32-byte aligned destination addresses (memcpy's own choice for large blocks
// is slow when the two are not aligned alike).
PIXOLAN_TARGET_AVX2 void CopyWide(const Byte* s, Byte* d, std::size_t n);

}  // namespace pixolan

#endif
