// Mirroring in place: left-right, upside-down and both (a half turn).
#include "clip.h"
#include "cpu_features.h"

#include <cstring>
#include <type_traits>

using namespace pixolan;

namespace {

// Pixels move as units of BPP bytes; a 32-bit pixel (alpha included) as one word.
template <int BPP>
inline void SwapPixels(unsigned char* a, unsigned char* b) {
  unsigned char ta[BPP], tb[BPP];
  std::memcpy(ta, a, BPP);
  std::memcpy(tb, b, BPP);
  std::memcpy(a, tb, BPP);
  std::memcpy(b, ta, BPP);
}

#if defined(PIXOLAN_SHUFFLE_LOOPS)
// The first part of a run of exchanges, 4 pixels of 32 bits at a time:
// each block of 16 bytes is reversed pixel by pixel and put in the other's
// place. Leaves front, back and pairs at what is left to do.
// The loops work on copies of front, back and pairs: the pixel stores could
// otherwise change them, as far as the compiler knows, and each step would
// reload them from memory.
PIXOLAN_TARGET_SSSE3 void SwapBlocks(unsigned char*& frontRef, unsigned char*& backRef, std::size_t& pairsRef,
                                     std::integral_constant<int, 4>) {
  unsigned char* front = frontRef;
  unsigned char* back = backRef;
  std::size_t pairs = pairsRef;
  for (; pairs >= 4; pairs -= 4, front += 16, back -= 16) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(front));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(back - 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(front), _mm_shuffle_epi32(b, 0x1B));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(back - 12), _mm_shuffle_epi32(f, 0x1B));
  }
  frontRef = front;
  backRef = back;
  pairsRef = pairs;
}

// The same 8 pixels at a time.
PIXOLAN_TARGET_AVX2 void SwapWideBlocks(unsigned char*& frontRef, unsigned char*& backRef, std::size_t& pairsRef) {
  const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
  unsigned char* front = frontRef;
  unsigned char* back = backRef;
  std::size_t pairs = pairsRef;
  for (; pairs >= 8; pairs -= 8, front += 32, back -= 32) {
    const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(front));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(back - 28));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(front), _mm256_permutevar8x32_epi32(b, reverse));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(back - 28), _mm256_permutevar8x32_epi32(f, reverse));
  }
  frontRef = front;
  backRef = back;
  pairsRef = pairs;
}

// Shuffle patterns that reverse the order of sixteen 24-bit pixels held in
// three registers: output register k is the OR of pattern [k][r] applied to
// input register r (0x80 where r holds none of its bytes).
struct Reverse16x3 {
  unsigned char m[3][3][16];
};
constexpr Reverse16x3 MakeReverse16x3() {
  Reverse16x3 r{};
  for (int k = 0; k < 3; ++k)
    for (int b = 0; b < 16; ++b) {
      const int j = 16 * k + b, from = 3 * (15 - j / 3) + j % 3;
      for (int reg = 0; reg < 3; ++reg)
        r.m[k][reg][b] = static_cast<unsigned char>(from / 16 == reg ? from % 16 : 0x80);
    }
  return r;
}
alignas(16) constexpr Reverse16x3 kReverse16x3 = MakeReverse16x3();

// Sixteen 24-bit pixels (48 bytes) from three registers, in reverse order:
// the first 16 bytes come from input bytes 30..47, the last from 0..17.
// Written out register by register (no loop, no array), so that every value
// stays in a register.
struct Reverse24 {
  __m128i m01, m02, m10, m11, m12, m20, m21;
};
PIXOLAN_TARGET_SSSE3 inline __m128i Mask16(int k, int reg) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kReverse16x3.m[k][reg]));
}
PIXOLAN_TARGET_SSSE3 inline Reverse24 Reverse24Masks() {
  return {Mask16(0, 1), Mask16(0, 2), Mask16(1, 0), Mask16(1, 1), Mask16(1, 2), Mask16(2, 0), Mask16(2, 1)};
}
PIXOLAN_TARGET_SSSE3 inline void Reverse16(const Reverse24& m, const unsigned char* p, __m128i& out0, __m128i& out1,
                                           __m128i& out2) {
  const __m128i in0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i in1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  const __m128i in2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  out0 = _mm_or_si128(_mm_shuffle_epi8(in1, m.m01), _mm_shuffle_epi8(in2, m.m02));
  out1 = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(in0, m.m10), _mm_shuffle_epi8(in1, m.m11)),
                      _mm_shuffle_epi8(in2, m.m12));
  out2 = _mm_or_si128(_mm_shuffle_epi8(in0, m.m20), _mm_shuffle_epi8(in1, m.m21));
}
PIXOLAN_TARGET_SSSE3 inline void Store48(unsigned char* p, __m128i v0, __m128i v1, __m128i v2) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), v1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), v2);
}

// Helpers of the loop below, written out register by register: the compiler
// keeps every value in a register only when no loop or array stands between.
PIXOLAN_TARGET_AVX2 inline __m256i Mask24(int k, int reg) {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kReverse16x3.m[k][reg])));
}
PIXOLAN_TARGET_AVX2 inline __m256i Load2(const unsigned char* lo, const unsigned char* hi) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lo))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi)), 1);
}
PIXOLAN_TARGET_AVX2 inline void Store2(unsigned char* lo, unsigned char* hi, __m256i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lo), _mm256_castsi256_si128(v));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(hi), _mm256_extracti128_si256(v, 1));
}

// The 16-pixel reversal of both runs at once: the front block in the low
// lanes, the back block in the high lanes of three 32-byte registers, so one
// set of byte shuffles serves both.
PIXOLAN_TARGET_AVX2 void SwapWideBlocks24(unsigned char*& frontRef, unsigned char*& backRef, std::size_t& pairsRef) {
  const __m256i m01 = Mask24(0, 1), m02 = Mask24(0, 2), m10 = Mask24(1, 0), m11 = Mask24(1, 1), m12 = Mask24(1, 2),
                m20 = Mask24(2, 0), m21 = Mask24(2, 1);
  unsigned char* front = frontRef;
  unsigned char* back = backRef - 45;  // the first byte of the back block
  std::size_t pairs = pairsRef;
  for (; pairs >= 16; pairs -= 16, front += 48, back -= 48) {
    const __m256i in0 = Load2(front, back), in1 = Load2(front + 16, back + 16), in2 = Load2(front + 32, back + 32);
    const __m256i out0 = _mm256_or_si256(_mm256_shuffle_epi8(in1, m01), _mm256_shuffle_epi8(in2, m02));
    const __m256i out1 = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(in0, m10), _mm256_shuffle_epi8(in1, m11)),
                                         _mm256_shuffle_epi8(in2, m12));
    const __m256i out2 = _mm256_or_si256(_mm256_shuffle_epi8(in0, m20), _mm256_shuffle_epi8(in1, m21));
    // The low lanes (the front block reversed) go to the back, the high ones to the front.
    Store2(back, front, out0);
    Store2(back + 16, front + 16, out1);
    Store2(back + 32, front + 32, out2);
  }
  frontRef = front;
  backRef = back + 45;
  pairsRef = pairs;
}

// The same for 24-bit pixels: 16 at a time in three registers while the two
// runs of 16 do not meet, then 5 at a time in 16-byte windows: the front
// window holds pixels f..f+4 and the first byte of f+5, the back window the
// last byte of b-5 and pixels b-4..b. That extra byte stays as it is, and it
// lies inside the run as long as 6 pairs are left. Consecutive windows on
// each side share that byte, so the next ones are read before these are
// written back.
PIXOLAN_TARGET_SSSE3 void SwapBlocks(unsigned char*& front, unsigned char*& back, std::size_t& pairs,
                                     std::integral_constant<int, 3>) {
  if (pairs >= 16) {
    const Reverse24 m = Reverse24Masks();
    unsigned char* f = front;
    unsigned char* b = back - 45;  // the first byte of the back block
    std::size_t n = pairs;
    for (; n >= 16; n -= 16, f += 48, b -= 48) {
      __m128i toBack0, toBack1, toBack2, toFront0, toFront1, toFront2;
      Reverse16(m, f, toBack0, toBack1, toBack2);
      Reverse16(m, b, toFront0, toFront1, toFront2);
      Store48(f, toFront0, toFront1, toFront2);
      Store48(b, toBack0, toBack1, toBack2);
    }
    front = f;
    back = b + 45;
    pairs = n;
  }
  if (pairs < 6) return;
  // Pixel i of one window takes pixel 4 - i of the other; 0x80 gives zero,
  // where the window's own extra byte goes.
  alignas(16) static constexpr unsigned char toFront[16] = {13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, 0x80};
  alignas(16) static constexpr unsigned char toBack[16] = {0x80, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2};
  alignas(16) static constexpr unsigned char keepLast[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
  alignas(16) static constexpr unsigned char keepFirst[16] = {0xFF};
  const __m128i mFront = _mm_load_si128(reinterpret_cast<const __m128i*>(toFront));
  const __m128i mBack = _mm_load_si128(reinterpret_cast<const __m128i*>(toBack));
  const __m128i kLast = _mm_load_si128(reinterpret_cast<const __m128i*>(keepLast));
  const __m128i kFirst = _mm_load_si128(reinterpret_cast<const __m128i*>(keepFirst));
  __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(front));
  __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(back - 13));
  for (;;) {
    const __m128i newFront = _mm_or_si128(_mm_shuffle_epi8(b, mFront), _mm_and_si128(f, kLast));
    const __m128i newBack = _mm_or_si128(_mm_shuffle_epi8(f, mBack), _mm_and_si128(b, kFirst));
    pairs -= 5;
    const bool more = pairs >= 6;
    if (more) {
      f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(front + 15));
      b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(back - 28));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(front), newFront);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(back - 13), newBack);
    front += 15;
    back -= 15;
    if (!more) break;
  }
}
#endif

// Exchanges `pairs` pixels walking `front` to the right and `back` to the
// left. The two runs may lie in one row (they then meet in the middle) or in
// two rows.
template <int BPP>
inline void SwapRun(unsigned char* front, unsigned char* back, std::size_t pairs) {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  const Simd simd = WidestSimd();
  if (simd == Simd::kAvx2) {
    if constexpr (BPP == 4)
      SwapWideBlocks(front, back, pairs);
    else
      SwapWideBlocks24(front, back, pairs);
  }
  if (simd != Simd::kBaseline) SwapBlocks(front, back, pairs, std::integral_constant<int, BPP>());
#endif
  for (; pairs != 0; --pairs, front += BPP, back -= BPP) SwapPixels<BPP>(front, back);
}

template <int BPP>
void MirrorRows(const Region& r, std::ptrdiff_t stride) {
  const std::size_t cols = static_cast<std::size_t>(r.cols);
  unsigned char* row = r.first;
  for (std::size_t y = static_cast<std::size_t>(r.rows); y != 0; --y, row -= stride)
    SwapRun<BPP>(row, row + (cols - 1) * BPP, cols >> 1);
}

template <int BPP>
void HalfTurn(const Region& r, std::ptrdiff_t stride) {
  const std::size_t cols = static_cast<std::size_t>(r.cols);
  const std::size_t rows = static_cast<std::size_t>(r.rows);
  unsigned char* front = r.first;
  unsigned char* back = r.first + (cols - 1) * BPP - static_cast<std::ptrdiff_t>(rows - 1) * stride;
  for (std::size_t y = rows >> 1; y != 0; --y, front -= stride, back += stride) SwapRun<BPP>(front, back, cols);
  if (rows & 1) SwapRun<BPP>(front, back, cols >> 1);  // the middle row mirrors onto itself
}

// The region of a healthy image (the part of the view inside the bitmap),
// or false when there is nothing to do.
bool Workable(const ZEMADisplayFCDIB& img, int wholeImage, Region& r) {
  return img.ErrorCode == ERR_NONE && ClippedRegion(img, wholeImage, r);
}

}  // namespace

int ZEMADisplayFCDIB::TurnImage(int Direction, int WholeImage) {
  switch (Direction & 3) {
    case 1:
      return TurnImageLR(WholeImage);
    case 2:
      return TurnImageUD(WholeImage);
    case 3:
      return TurnImageUDLR(WholeImage);
    default:
      return ErrorCode;
  }
}

int ZEMADisplayFCDIB::TurnImageLR(int WholeImage) {
  Region r;
  if (!Workable(*this, WholeImage, r)) return ErrorCode;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  if (BytesPerPixel(*this) == 3)
    MirrorRows<3>(r, stride);
  else
    MirrorRows<4>(r, stride);
  return ErrorCode;
}

int ZEMADisplayFCDIB::TurnImageUD(int WholeImage) {
  Region r;
  if (!Workable(*this, WholeImage, r)) return ErrorCode;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  const std::size_t length = static_cast<std::size_t>(r.cols) * static_cast<std::size_t>(BytesPerPixel(*this));
  // Rows are exchanged through the spare row behind the top row, so nothing
  // is allocated; only the region's own columns are copied.
  unsigned char* spare = Bits + static_cast<std::ptrdiff_t>(pixolan::Height(*this)) * stride;
  unsigned char* top = r.first;
  unsigned char* bottom = r.first - static_cast<std::ptrdiff_t>(r.rows - 1) * stride;
  for (std::size_t n = static_cast<std::size_t>(r.rows) >> 1; n != 0; --n, top -= stride, bottom += stride) {
    std::memcpy(spare, top, length);
    std::memcpy(top, bottom, length);
    std::memcpy(bottom, spare, length);
  }
  return ErrorCode;
}

int ZEMADisplayFCDIB::TurnImageUDLR(int WholeImage) {
  Region r;
  if (!Workable(*this, WholeImage, r)) return ErrorCode;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  if (BytesPerPixel(*this) == 3)
    HalfTurn<3>(r, stride);
  else
    HalfTurn<4>(r, stride);
  return ErrorCode;
}
