// Row conversions between the 24- and 32-bit layouts: the widest blocks the
// processor has, then 16 and 4 pixels at a time, then pixel by pixel.
#include "pixel_rows.h"

#include "blocks.h"
#include "cpu_features.h"
#include "vector_ops.h"

namespace pixolan {

void Convert24To32Row(const Byte* s, Byte* d, long n, Byte alpha) {
  long i = 0;
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  const Simd simd = WidestSimd();
  if (simd == Simd::kAvx2) ConvertWide24To32(s, d, i, n, alpha);
  if (simd != Simd::kBaseline) ConvertShuffled24To32(s, d, i, n, alpha);
#endif
#if defined(PIXOLAN_VECTOR_LOOPS)
  const __m128i fourth = _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(alpha) << 24));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const auto put = [&](Byte* to, __m128i from) { Store16(to, _mm_or_si128(_mm_and_si128(from, colour), fourth)); };
  for (; n - i >= 16; i += 16, s += 48, d += 64) Spread16x3(s, d, put);
  for (; n - i >= 4; i += 4, s += 12, d += 16) put(d, Load3x4(s));
#endif
  for (; i < n; ++i, s += 3, d += 4) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
    d[3] = alpha;
  }
}

void Convert32To24Row(const Byte* s, Byte* d, long n) {
  long i = 0;
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  const Simd simd = WidestSimd();
  if (simd == Simd::kAvx2) ConvertWide32To24(s, d, i, n);
  if (simd != Simd::kBaseline) ConvertShuffled32To24(s, d, i, n);
#endif
#if defined(PIXOLAN_VECTOR_LOOPS)
  for (; n - i >= 16; i += 16, s += 64, d += 48) {
    const __m128i px[4] = {Load16(s), Load16(s + 16), Load16(s + 32), Load16(s + 48)};
    __m128i r0, r1, r2;
    Pack16x3(px, r0, r1, r2);
    Store16(d, r0);
    Store16(d + 16, r1);
    Store16(d + 32, r2);
  }
  for (; n - i >= 4; i += 4, s += 16, d += 12) Store12(d, Pack4x3(Load16(s)));
#endif
  for (; i < n; ++i, s += 4, d += 3) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  }
}

}  // namespace pixolan
