// Scaling by area averaging: StretchImage and the driver behind it.
//
// Every destination pixel is the sum, over the source pixels it covers, of
// channel value times horizontal entry times vertical entry, rounded as
// (sum + 32768) >> 16: the entries of one pixel multiply to 65536 in all, so
// a sum stays below 2^24. Integer sums do not depend on their order, which
// lets each destination row be made in two passes:
//
//  1. vertical: the band of source rows that the row covers is summed with
//     the vertical entries into one row of per-channel sums (at most
//     256 * 255, so 16 bits hold them);
//  2. horizontal: each destination pixel sums its run of columns of that row
//     with the horizontal entries.
//
// The horizontal runs are prepared once per call, as the first column and
// the weights of each destination pixel, padded with zero weights to the
// longest run so that the inner loop has a fixed length and no branches.
#include "stretch.h"
#include "clip.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
#include <emmintrin.h>
#endif

using namespace pixolan;

namespace {

using Entry = std::uint16_t;

// The longest run of one axis: the most entries a destination pixel takes,
// not counting leading zero shares (those add nothing and are skipped).
std::size_t LongestRun(long dN, long sN) {
  std::size_t longest = 0, run = 0;
  unsigned filled = 0;
  WalkCoverage(static_cast<std::uint64_t>(dN), static_cast<std::uint64_t>(sN), [&](Entry e) {
    if (run != 0 || e != 0) ++run;
    filled += e;
    if (filled == 256) {
      longest = std::max(longest, run);
      run = 0;
      filled = 0;
    }
  });
  return longest;
}

// Turns the horizontal table into runs of `width` entries each: the run's
// first column as two 16-bit halves, then its weights, zero-padded.
//
// An entry that completes its destination pixel is followed by another one
// for the same source column (a source pixel can give to several destination
// pixels); any other entry is the last of its column.
void BuildRuns(const Entry* X, long dW, std::size_t width, Entry* runs) {
  const std::size_t stride = width + 2;
  std::memset(runs, 0, static_cast<std::size_t>(dW) * stride * sizeof(Entry));
  long col = 0;
  unsigned filled = 0;
  std::size_t n = 0;
  Entry* run = runs;
  for (long d = 0; d < dW;) {
    const Entry e = *X++;
    if (n != 0 || e != 0) {
      if (n == 0) {
        run[0] = static_cast<Entry>(col & 0xFFFF);
        run[1] = static_cast<Entry>(static_cast<unsigned long>(col) >> 16);
      }
      run[2 + n++] = e;
    }
    filled += e;
    if (filled == 256) {
      ++d;
      run += stride;
      n = 0;
      filled = 0;
    } else {
      ++col;
    }
  }
}

// Pass 1: the weighted sums of the band's rows, byte by byte over `bytes`
// bytes. `w` holds the band's vertical entries, `rows` of them (the first
// non-zero); the first row is `band`, the next ones one stride lower each.
// Blocks of 16 let the compiler use vector instructions.
void SumBand(const unsigned char* band, std::ptrdiff_t stride, const Entry* w, long rows, std::size_t bytes,
             Entry* __restrict sums) {
  const unsigned char* __restrict a = band;
  std::size_t i = 0;
  if (rows == 1) {  // its entry is the whole 256
    for (; i + 16 <= bytes; i += 16)
      for (int j = 0; j < 16; ++j) sums[i + j] = static_cast<Entry>(a[i + j] << 8);
    for (; i < bytes; ++i) sums[i] = static_cast<Entry>(a[i] << 8);
    return;
  }
  const unsigned char* __restrict b = band - stride;
  const Entry wa = w[0], wb = w[1];
  for (; i + 16 <= bytes; i += 16)
    for (int j = 0; j < 16; ++j) sums[i + j] = static_cast<Entry>(wa * a[i + j] + wb * b[i + j]);
  for (; i < bytes; ++i) sums[i] = static_cast<Entry>(wa * a[i] + wb * b[i]);
  for (long r = 2; r < rows; ++r) {
    const unsigned char* __restrict c = band - r * stride;
    const Entry wc = w[r];
    i = 0;
    for (; i + 16 <= bytes; i += 16)
      for (int j = 0; j < 16; ++j) sums[i + j] = static_cast<Entry>(sums[i + j] + wc * c[i + j]);
    for (; i < bytes; ++i) sums[i] = static_cast<Entry>(sums[i] + wc * c[i]);
  }
}

// Pass 2 for one destination row. SB and DB are the source and destination
// bytes per pixel, K the run length (0: given at run time as `width`).
template <int SB, int DB, int K>
void SumRuns(const Entry* sums, const Entry* runs, std::size_t width, long dW, unsigned char* out) {
  constexpr int NC = (SB == 4 && DB == 4) ? 4 : 3;  // alpha is averaged only from 32 to 32 bits
  const std::size_t n = K != 0 ? static_cast<std::size_t>(K) : width;
  const std::size_t stride = n + 2;
  for (long d = 0; d < dW; ++d, runs += stride, out += DB) {
    const std::size_t first = runs[0] | static_cast<std::size_t>(runs[1]) << 16;
    const Entry* v = sums + first * SB;
    const Entry* w = runs + 2;
    std::uint32_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
#pragma GCC unroll 4
    for (std::size_t j = 0; j < n; ++j, v += SB) {
      const std::uint32_t wj = w[j];
      s0 += wj * v[0];
      s1 += wj * v[1];
      s2 += wj * v[2];
      if (NC == 4) s3 += wj * v[3];
    }
    out[0] = static_cast<unsigned char>((s0 + 32768) >> 16);
    out[1] = static_cast<unsigned char>((s1 + 32768) >> 16);
    out[2] = static_cast<unsigned char>((s2 + 32768) >> 16);
    if (DB == 4) out[3] = NC == 4 ? static_cast<unsigned char>((s3 + 32768) >> 16) : 255;
  }
}

#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
// Runs are taken two columns at a time, so they are padded to even length.
constexpr bool kPairedRuns = true;

// Pass 2 with SSE2: the channels of two neighbouring columns are interleaved
// and multiplied by the pair of weights with one multiply-add, which takes
// signed 16-bit values. The sums are therefore offset by -32768 first; as
// the weights of every run add up to 256, that takes exactly 256 * 32768 off
// each total, which the rounding constant puts back.
template <int SB, int DB, int P>
void SumRunsPaired(const Entry* sums, const Entry* runs, std::size_t width, long dW, unsigned char* out) {
  const std::size_t pairs = P != 0 ? static_cast<std::size_t>(P) : width / 2;
  const std::size_t stride = 2 * pairs + 2;
  const __m128i offset = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i rounding = _mm_set1_epi32((256 << 15) + 32768);
  for (long d = 0; d < dW; ++d, runs += stride, out += DB) {
    const std::size_t first = runs[0] | static_cast<std::size_t>(runs[1]) << 16;
    const Entry* v = sums + first * SB;
    __m128i total = rounding;
#pragma GCC unroll 2
    for (std::size_t j = 0; j < pairs; ++j, v += 2 * SB) {
      // Lanes: c0 c1 c2 [c3] of one column, then of the next.
      const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)), offset);
      const __m128i interleaved = _mm_unpacklo_epi16(x, _mm_srli_si128(x, 2 * SB));
      std::uint32_t w;
      std::memcpy(&w, runs + 2 + 2 * j, sizeof w);
      total = _mm_add_epi32(total, _mm_madd_epi16(interleaved, _mm_set1_epi32(static_cast<int>(w))));
    }
    total = _mm_srli_epi32(total, 16);
    total = _mm_packs_epi32(total, total);
    total = _mm_packus_epi16(total, total);
    std::uint32_t pixel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(total));
    if (DB == 4 && SB == 3) pixel = (pixel & 0x00FFFFFFu) | 0xFF000000u;
    std::memcpy(out, &pixel, DB);
  }
}
#else
constexpr bool kPairedRuns = false;
#endif

using RowMaker = void (*)(const Entry*, const Entry*, std::size_t, long, unsigned char*);

template <int SB, int DB>
RowMaker PickRowMaker(std::size_t width) {
#if defined(__SSE2__) && !defined(PIXOLAN_PORTABLE_LOOPS)
  switch (width) {
    case 2:
      return SumRunsPaired<SB, DB, 1>;
    case 4:
      return SumRunsPaired<SB, DB, 2>;
    default:
      return SumRunsPaired<SB, DB, 0>;
  }
#else
  switch (width) {
    case 1:
      return SumRuns<SB, DB, 1>;
    case 2:
      return SumRuns<SB, DB, 2>;
    case 3:
      return SumRuns<SB, DB, 3>;
    case 4:
      return SumRuns<SB, DB, 4>;
    default:
      return SumRuns<SB, DB, 0>;
  }
#endif
}

RowMaker PickRowMaker(int sb, int db, std::size_t width) {
  if (sb == 3) return db == 3 ? PickRowMaker<3, 3>(width) : PickRowMaker<3, 4>(width);
  return db == 3 ? PickRowMaker<4, 3>(width) : PickRowMaker<4, 4>(width);
}

}  // namespace

namespace pixolan {

std::unique_ptr<std::uint16_t[]> BuildCoverageTables(int& errorCode, long dW, long dH, long sW, long sH,
                                                     std::size_t extra) {
  std::unique_ptr<std::uint16_t[]> tables;
  const int code = Guarded(errorCode, [&] {
    const std::size_t horizontal = static_cast<std::size_t>(sW) + static_cast<std::size_t>(dW);
    const std::size_t vertical = static_cast<std::size_t>(sH) + static_cast<std::size_t>(dH);
    tables.reset(new std::uint16_t[horizontal + vertical + extra]);
    FillCoverageTable(tables.get(), static_cast<std::uint64_t>(dW), static_cast<std::uint64_t>(sW));
    FillCoverageTable(tables.get() + horizontal, static_cast<std::uint64_t>(dH), static_cast<std::uint64_t>(sH));
  });
  if (code != ERR_NONE) tables.reset();
  return tables;
}

void StretchArea(ZEMADisplayFCDIB& dst, const Rect& to, const ZEMADisplayFCDIB& src, const Rect& from) {
  if (!RectInside(dst, to.x, to.y, to.w, to.h) || !RectInside(src, from.x, from.y, from.w, from.h)) {
    dst.ErrorCode = ERR_UNSUPPORTED_COMMAND;
    return;
  }
  const int sb = BytesPerPixel(src), db = BytesPerPixel(dst);
  std::size_t width = LongestRun(to.w, from.w);
  if (kPairedRuns) width += width & 1;
  const std::size_t sW = static_cast<std::size_t>(from.w), dW = static_cast<std::size_t>(to.w);
  // Working space behind the tables: the runs, then one row of band sums
  // with zero columns behind it, as far as the padded runs (and, reading two
  // columns at once, a few lanes more) may reach.
  const std::size_t runEntries = dW * (width + 2);
  const std::size_t padColumns = width + 2;
  const std::size_t sumEntries = (sW + padColumns) * static_cast<std::size_t>(sb);
  std::unique_ptr<Entry[]> block =
      BuildCoverageTables(dst.ErrorCode, to.w, to.h, from.w, from.h, runEntries + sumEntries);
  if (!block) return;
  const Entry* X = block.get();
  const Entry* Y = X + sW + dW;
  Entry* runs = block.get() + sW + dW + static_cast<std::size_t>(from.h) + static_cast<std::size_t>(to.h);
  Entry* sums = runs + runEntries;
  BuildRuns(X, to.w, width, runs);
  std::memset(sums + sW * sb, 0, padColumns * sb * sizeof(Entry));
  const RowMaker makeRow = PickRowMaker(sb, db, width);

  const std::ptrdiff_t srcStride = static_cast<std::ptrdiff_t>(Stride(src));
  const std::ptrdiff_t dstStride = static_cast<std::ptrdiff_t>(Stride(dst));
  const unsigned char* srcRow = PixelAddress(src, from.x, from.y);
  unsigned char* dstRow = PixelAddress(dst, to.x, to.y);
  const unsigned char* lastBand = nullptr;
  const Entry* lastWeights = nullptr;
  long lastRows = 0;
  long yPos = 0;
  for (long dy = 0; dy < to.h; ++dy, dstRow -= dstStride) {
    // This row's vertical entries: up to the one that completes it.
    long yEnd = yPos;
    int room = 256;
    do room -= Y[yEnd++];
    while (room > 0);

    const Entry* weights = Y + yPos;
    const unsigned char* band = srcRow;
    long rows = yEnd - yPos;
    while (*weights == 0) {  // a row whose share is 0 adds nothing
      ++weights;
      --rows;
      band -= srcStride;
    }
    // When enlarging, neighbouring rows often take the same band with the
    // same weights: the row above is then the result already.
    if (band == lastBand && rows == lastRows && std::equal(weights, weights + rows, lastWeights)) {
      std::memcpy(dstRow, dstRow + dstStride, dW * static_cast<std::size_t>(db));
    } else {
      SumBand(band, srcStride, weights, rows, sW * static_cast<std::size_t>(sb), sums);
      makeRow(sums, runs, width, to.w, dstRow);
      lastBand = band;
      lastRows = rows;
      lastWeights = weights;
    }

    // The last row used also begins the next destination row.
    srcRow -= (yEnd - yPos - 1) * srcStride;
    yPos = yEnd;
  }
}

}  // namespace pixolan

int ZEMADisplayFCDIB::StretchImage(ZEMADisplayFCDIB* Source, int IntoView) {
  // The source checks come first, so they replace an earlier code.
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  // A source without pixel memory can only be a failed one whose code a
  // client has cleared; it counts as failed.
  if (Source->ErrorCode != ERR_NONE || Source->Bits == nullptr) return ErrorCode = ERR_EXTERNAL;
  if (ErrorCode != ERR_NONE || Bits == nullptr) return ErrorCode;

  const Rect from{Source->ViewOrigin.x, Source->ViewOrigin.y, Source->ViewSize.cx, Source->ViewSize.cy};
  const Rect to = IntoView ? Rect{ViewOrigin.x, ViewOrigin.y, ViewSize.cx, ViewSize.cy}
                           : Rect{0, 0, pixolan::Width(*this), pixolan::Height(*this)};
  StretchArea(*this, to, *Source, from);
  return ErrorCode;
}
