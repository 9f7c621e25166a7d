// Scaling by area averaging: StretchImage and the driver behind it.
//
// Every destination pixel is the sum, over the source pixels it covers, of
// channel value times horizontal entry times vertical entry, rounded as
// (sum + 32768) >> 16: the entries of one pixel multiply to 65536 in all, so
// a sum stays below 2^24. Integer sums do not depend on their order, which
// lets each destination row be made in two passes (kernels.h):
//
//  1. vertical: the band of source rows that the row covers is summed with
//     the vertical entries into one row of per-channel sums (at most
//     256 * 255, kept less 32768 so that 16 signed bits hold them);
//  2. horizontal: each destination pixel sums its run of columns of that row
//     with the horizontal entries.
//
// The horizontal runs are prepared once per call, as the first column and
// the weights of each destination pixel, padded with zero weights to the
// longest run so that the inner loop has a fixed length and no branches.
#include "stretch.h"
#include "clip.h"
#include "kernels.h"

#include <algorithm>
#include <cstring>

using namespace pixolan;

namespace {

using Entry = std::uint16_t;

// Follows the horizontal entries in order and calls take(pixel, column,
// tap, entry) for each that belongs to a destination pixel's run; leading
// zero shares are left out (they add nothing).
//
// An entry that completes its destination pixel is followed by another one
// for the same source column (a source pixel can give to several destination
// pixels); any other entry is the last of its column.
template <class Take>
struct RunWalker {
  Take take;
  long dW;
  long pixel = 0;
  std::uint32_t column = 0;
  unsigned filled = 0;
  std::size_t tap = 0;

  void operator()(Entry e) {
    if (pixel == dW) return;  // the last source pixel's share of nothing
    if (tap != 0 || e != 0) take(pixel, column, tap++, e);
    filled += e;
    if (filled == 256) {
      ++pixel;
      tap = 0;
      filled = 0;
    } else {
      ++column;
    }
  }
};
template <class Take>
RunWalker<Take> WalkRuns(long dW, Take take) {
  return RunWalker<Take>{take, dW};
}

}  // namespace

namespace pixolan {

std::size_t RunPairs(long dW, long sW) {
  std::size_t longest = 1;
  WalkCoverage(
      static_cast<std::uint64_t>(dW), static_cast<std::uint64_t>(sW),
      WalkRuns(dW, [&](long, std::uint32_t, std::size_t tap, Entry) { longest = std::max(longest, tap + 1); }));
  return (longest + 1) / 2;
}

std::size_t RunPixels(long dW, int lanes) {
  const std::size_t step = 4 * static_cast<std::size_t>(lanes);
  return (static_cast<std::size_t>(dW) + step - 1) / step * step;
}

void LayRuns(const Entry* X, long dW, long sW, int lanes, std::size_t pairs, std::uint32_t* first, std::uint32_t* w) {
  const std::size_t pixels = RunPixels(dW, lanes), step = 4 * static_cast<std::size_t>(lanes);
  std::fill(first, first + pixels, 0u);
  std::fill(w, w + pixels * pairs * 4, 0u);
  auto walk = WalkRuns(dW, [&](long d, std::uint32_t column, std::size_t tap, Entry e) {
    const std::size_t pixel = static_cast<std::size_t>(d), at = pixel % step;
    if (tap == 0) first[pixel] = column;
    // By register (pixel q * lanes + k of a step in lane k of its register
    // q), then by tap pair, then by lane.
    const std::size_t q = at / static_cast<std::size_t>(lanes), k = at % static_cast<std::size_t>(lanes);
    std::uint32_t* lane = w + ((pixel / step * 4 + q) * pairs + tap / 2) * 4 * static_cast<std::size_t>(lanes) + k * 4;
    for (int c = 0; c < 4; ++c) lane[c] |= std::uint32_t{e} << (16 * (tap % 2));
  });
  for (long i = 0; i < dW + sW; ++i) walk(X[i]);
}

bool LayWindows(const std::uint32_t* first, const std::uint32_t* w, long dW, int lanes, std::size_t pairs, int sb,
                int windowWords, std::uint32_t* window, std::uint16_t* gather) {
  const std::size_t registers = RunPixels(dW, lanes) / static_cast<std::size_t>(lanes);
  const std::size_t l = static_cast<std::size_t>(lanes);
  for (std::size_t r = 0; r < registers; ++r) {
    const std::size_t pixel0 = r * l;
    window[r] = pixel0 < static_cast<std::size_t>(dW) ? first[pixel0] : 0;
    for (std::size_t j = 0; j < pairs; ++j, w += 4 * l) {
      for (std::size_t k = 0; k < l; ++k)
        for (int c = 0; c < 4; ++c)
          for (int h = 0; h < 2; ++h) {
            std::uint16_t& index = gather[((r * pairs + j) * l + k) * 8 + 2 * static_cast<std::size_t>(c) + h];
            index = 0;  // a tap of weight 0 may read any word
            if ((w[4 * k] >> (16 * h) & 0xFFFF) == 0 || c >= sb) continue;
            const std::size_t word = (first[pixel0 + k] + 2 * j + h - window[r]) * static_cast<std::size_t>(sb) + c;
            if (word >= static_cast<std::size_t>(windowWords)) return false;
            index = static_cast<std::uint16_t>(word);
          }
    }
  }
  return true;
}

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
  const Kernels& k = ActiveKernels();
  const std::size_t sW = static_cast<std::size_t>(from.w), dW = static_cast<std::size_t>(to.w);
  const std::size_t sH = static_cast<std::size_t>(from.h), dH = static_cast<std::size_t>(to.h);
  // Working space behind the tables, in 16-bit entries: the runs (32-bit
  // words, from an even entry on), then one row of band sums with zero
  // columns behind it, as far as the longest runs read (16 bytes from their
  // last pair on).
  const std::size_t pairs = RunPairs(to.w, from.w);
  const std::size_t pixels = RunPixels(to.w, k.lanes), registers = pixels / static_cast<std::size_t>(k.lanes);
  const std::size_t tableEntries = sW + dW + sH + dH, runsAt = (tableEntries + 1) & ~std::size_t{1};
  const std::size_t runEntries = 2 * (pixels + pixels * pairs * 4);
  const std::size_t windowEntries = k.windowWords > 0 ? 2 * registers + registers * pairs * 4 * k.lanes * 2 : 0;
  const std::size_t sumEntries =
      (sW + 2 * pairs + 3) * static_cast<std::size_t>(sb) + static_cast<std::size_t>(k.windowWords);
  std::unique_ptr<Entry[]> block = BuildCoverageTables(dst.ErrorCode, to.w, to.h, from.w, from.h,
                                                       runsAt - tableEntries + runEntries + windowEntries + sumEntries);
  if (!block) return;
  const Entry* Y = block.get() + sW + dW;
  std::uint32_t* first = reinterpret_cast<std::uint32_t*>(block.get() + runsAt);
  std::uint32_t* weights32 = first + pixels;
  std::uint32_t* window = weights32 + pixels * pairs * 4;
  Entry* gather = reinterpret_cast<Entry*>(window + registers);
  Entry* sums = block.get() + runsAt + runEntries + windowEntries;
  LayRuns(block.get(), to.w, from.w, k.lanes, pairs, first, weights32);
  const bool windowed =
      k.windowWords > 0 && LayWindows(first, weights32, to.w, k.lanes, pairs, sb, k.windowWords, window, gather);
  std::memset(sums + sW * sb, 0, (sumEntries - sW * sb) * sizeof(Entry));
  const Runs runs{first, weights32, pairs, to.w, windowed ? window : nullptr, windowed ? gather : nullptr};
  const auto sumRuns = k.sumRuns[sb == 4][db == 4];

  const std::ptrdiff_t srcStride = static_cast<std::ptrdiff_t>(Stride(src));
  const std::ptrdiff_t dstStride = static_cast<std::ptrdiff_t>(Stride(dst));
  const std::size_t rowBytes = sW * static_cast<std::size_t>(sb);
  // The band of the destination row whose vertical entries start at yPos,
  // whose first source row is `top`; `end` is where the next row's entries
  // start, `next` its first source row (the last one used here).
  struct RowBand {
    Band band;
    long end;
    const unsigned char* next;
  };
  const auto bandAt = [&](long yPos, const unsigned char* top) {
    long yEnd = yPos;
    int room = 256;
    do room -= Y[yEnd++];
    while (room > 0);
    Band b{top, srcStride, Y + yPos, yEnd - yPos, rowBytes};
    while (*b.w == 0) {  // a row whose share is 0 adds nothing
      ++b.w;
      --b.rows;
      b.first -= srcStride;
    }
    return RowBand{b, yEnd, top - (yEnd - yPos - 1) * srcStride};
  };
  const auto sameBand = [](const Band& a, const Band& b) {
    return a.first == b.first && a.rows == b.rows && std::equal(a.w, a.w + a.rows, b.w);
  };

  unsigned char* dstRow = PixelAddress(dst, to.x, to.y);
  RowBand row = bandAt(0, PixelAddress(src, from.x, from.y));
  Band previous{};
  for (long dy = 0; dy < to.h; ++dy, dstRow -= dstStride) {
    const bool last = dy + 1 == to.h;
    const RowBand next = last ? row : bandAt(row.end, row.next);
    // When enlarging, neighbouring rows often take the same band with the
    // same weights: the row above is then the result already.
    if (dy > 0 && sameBand(row.band, previous)) {
      std::memcpy(dstRow, dstRow + dstStride, dW * static_cast<std::size_t>(db));
    } else {
      k.sumBand(row.band, sums);
      // The next band's rows are asked for while this row is made.
      sumRuns(sums, runs, dstRow, last || sameBand(next.band, row.band) ? nullptr : &next.band);
      previous = row.band;
    }
    row = next;
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
