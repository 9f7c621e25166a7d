// The channel-masked copy (CopyImage).
//
// Every pixel loop here is specialised for one source depth, one destination
// depth and one mask; the specialisation is picked once per call, so the
// loops themselves carry no format tests.
#include "blocks.h"
#include "cpu_features.h"
#include "internal.h"
#include "pixel_rows.h"
#include "transfer.h"
#include "vector_ops.h"

#include <array>
#include <cstring>
#include <utility>

using namespace pixolan;

namespace {

// A 32-bit word whose bytes (in memory order blue, green, red, alpha) are
// 0xFF where `keep` names the channel.
inline std::uint32_t KeptBytes(unsigned keep) {
  const Byte bytes[4] = {static_cast<Byte>(keep & KEEP_BLUE ? 0xFF : 0),
                         static_cast<Byte>(keep & KEEP_GREEN ? 0xFF : 0), static_cast<Byte>(keep & KEEP_RED ? 0xFF : 0),
                         static_cast<Byte>(keep & KEEP_ALPHA ? 0xFF : 0)};
  return Load32(bytes);
}

// One row of the masked copy from SB- to DB-byte pixels. A 24-bit source
// gives the alpha value 255; a 24-bit destination has no alpha to write.
// Kept channels are merged back through a byte mask, four or sixteen pixels
// at a time where the processor has 16-byte registers.
template <int SB, int DB, unsigned Keep>
void CopyRow(const Byte* s, Byte* d, long n) {
  long i = 0;
  if constexpr (SB == DB && Keep == 0) {
    std::memmove(d, s, static_cast<std::size_t>(n) * SB);  // source and destination may share an image
    return;
  } else if constexpr (SB == 3 && DB == 4 && Keep == 0) {
    Convert24To32Row(s, d, n, 0xFF);
  } else if constexpr (SB == 4 && DB == 3 && (Keep & 7) == 0) {
    Convert32To24Row(s, d, n);  // the alpha bit of the mask has nothing to keep
  } else if constexpr (DB == 4) {
    const std::uint32_t kept = KeptBytes(Keep);
#if defined(PIXOLAN_VECTOR_LOOPS)
    const __m128i keptV = _mm_set1_epi32(static_cast<int>(kept));
    // A 24-bit source's lanes get alpha 255, unless the destination keeps its own.
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const auto put = [&](Byte* to, __m128i from) {
      if constexpr (SB == 3 && !(Keep & KEEP_ALPHA)) from = _mm_or_si128(from, alpha);
      if constexpr (Keep != 0) from = _mm_or_si128(_mm_and_si128(Load16(to), keptV), _mm_andnot_si128(keptV, from));
      Store16(to, from);
    };
    if constexpr (SB == 3) {
      // Sixteen 24-bit pixels are three whole registers.
      for (; i + 16 <= n; i += 16, s += 48, d += 64) Spread16x3(s, d, put);
    }
    for (; i + 4 <= n; i += 4, s += 4 * SB, d += 16) {
      if constexpr (SB == 4)
        put(d, Load16(s));
      else
        put(d, Load3x4(s));
    }
#endif
    for (; i < n; ++i, s += SB, d += 4) {
      std::uint32_t from;
      if constexpr (SB == 4) {
        from = Load32(s);
      } else {
        const Byte px[4] = {s[0], s[1], s[2], 0xFF};
        from = Load32(px);
      }
      Store32(d, (Load32(d) & kept) | (from & ~kept));
    }
  } else {
    if constexpr ((Keep & 7) == 7) return;  // no channel of a 24-bit pixel is written
#if defined(PIXOLAN_VECTOR_LOOPS)
    // Kept bytes of 24-bit pixels repeat every three bytes, so a run of 48
    // bytes (three registers) meets each byte position with one mask.
    const auto keptRun = [](int offset) {
      Byte bytes[16];
      for (int b = 0; b < 16; ++b) bytes[b] = (Keep >> ((offset + b) % 3)) & 1 ? 0xFF : 0;
      return Load16(bytes);
    };
    const __m128i k0 = keptRun(0), k1 = keptRun(16), k2 = keptRun(32);
    const auto merge = [](__m128i from, __m128i to, __m128i keep) {
      return Keep == 0 ? from : _mm_or_si128(_mm_and_si128(to, keep), _mm_andnot_si128(keep, from));
    };
    if constexpr (SB == 3) {
      for (; i + 16 <= n; i += 16, s += 48, d += 48) {
        const __m128i d0 = Load16(d), d1 = Load16(d + 16), d2 = Load16(d + 32);
        Store16(d, merge(Load16(s), d0, k0));
        Store16(d + 16, merge(Load16(s + 16), d1, k1));
        Store16(d + 32, merge(Load16(s + 32), d2, k2));
      }
    } else {
      for (; i + 4 <= n; i += 4, s += 16, d += 12) Store12(d, merge(Pack4x3(Load16(s)), Load12(d), k0));
    }
#endif
    for (; i < n; ++i, s += SB, d += 3) {
      if constexpr (!(Keep & KEEP_BLUE)) d[0] = s[0];
      if constexpr (!(Keep & KEEP_GREEN)) d[1] = s[1];
      if constexpr (!(Keep & KEEP_RED)) d[2] = s[2];
    }
  }
}

template <int SB, int DB, unsigned Keep>
void CopyRows(Transfer t) {
  const Byte* s = t.src;
  Byte* d = t.dst;
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) CopyRow<SB, DB, Keep>(s, d, t.cols);
}

using RowsFn = void (*)(Transfer);

// Loops for every mask 0..15 of one depth pair, indexed by the mask.
template <int SB, int DB, std::size_t... Mask>
constexpr std::array<RowsFn, 16> CopyTable(std::index_sequence<Mask...>) {
  return {{&CopyRows<SB, DB, static_cast<unsigned>(Mask)>...}};
}

// [source is 32-bit][destination is 32-bit][mask]
const std::array<RowsFn, 16> kCopyLoops[2][2] = {
    {CopyTable<3, 3>(std::make_index_sequence<16>()), CopyTable<3, 4>(std::make_index_sequence<16>())},
    {CopyTable<4, 3>(std::make_index_sequence<16>()), CopyTable<4, 4>(std::make_index_sequence<16>())},
};

#if defined(PIXOLAN_SHUFFLE_LOOPS)
// The 24- into 32-bit copy that keeps only the alpha bytes: shuffled blocks
// first, the row loop for the rest.
void CopyShuffled24To32KeepingAlphaRows(Transfer t) {
  const Byte* s = t.src;
  Byte* d = t.dst;
  for (long j = 0; j < t.rows; ++j, s -= t.srcStride, d -= t.dstStride) {
    const Byte* sp = s;
    Byte* dp = d;
    long i = 0;
    CopyShuffled24To32KeepingAlpha(sp, dp, i, t.cols);
    CopyRow<3, 4, KEEP_ALPHA>(sp, dp, t.cols - i);
  }
}
#endif

RowsFn CopyLoop(bool src32, bool dst32, unsigned mask) {
#if defined(PIXOLAN_SHUFFLE_LOOPS)
  if (!src32 && dst32 && mask == KEEP_ALPHA && WidestSimd() != Simd::kBaseline)
    return &CopyShuffled24To32KeepingAlphaRows;
#endif
  return kCopyLoops[src32][dst32][mask];
}

}  // namespace

int ZEMADisplayFCDIB::CopyImage(ZEMADisplayFCDIB* Source, int KeepMask) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  // A source that failed before its pixel memory existed has nothing to read.
  if (!HasPixels(*Source)) return ErrorCode = ERR_EXTERNAL;
  const unsigned mask = static_cast<unsigned>(KeepMask);
  if (mask > 15 || !HasPixels(*this)) return ErrorCode;

  Transfer t;
  if (!PlaceTransfer(*Source, Source->ViewOrigin.x, Source->ViewOrigin.y, Source->ViewSize.cx, Source->ViewSize.cy,
                     *this, ViewOrigin.x, ViewOrigin.y, t))
    return ErrorCode;
  CopyLoop(BytesPerPixel(*Source) == 4, BytesPerPixel(*this) == 4, mask)(t);
  return ErrorCode;
}
