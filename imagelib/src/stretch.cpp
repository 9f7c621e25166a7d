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

// Source bytes per stretch of a row (see StretchArea).
constexpr std::size_t kStretchBytes = 2048;

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
  const std::size_t pixels = RunPixels(dW, lanes);
  std::fill(first, first + pixels, 0u);
  std::fill(w, w + pixels * pairs, 0u);
  auto walk = WalkRuns(dW, [&](long d, std::uint32_t column, std::size_t tap, Entry e) {
    const std::size_t pixel = static_cast<std::size_t>(d), l = static_cast<std::size_t>(lanes);
    if (tap == 0) first[pixel] = column;
    // By register (pixels r * lanes + k in its lanes k), then by tap pair,
    // then by lane.
    w[(pixel / l * pairs + tap / 2) * l + pixel % l] |= std::uint32_t{e} << (16 * (tap % 2));
  });
  for (long i = 0; i < dW + sW; ++i) walk(X[i]);
}

int LayWindows(const std::uint32_t* first, const std::uint32_t* w, long dW, int lanes, std::size_t pairs, int sb,
               int windowWords, std::uint32_t* window, std::uint16_t* starts) {
  const std::size_t l = static_cast<std::size_t>(lanes), registers = RunPixels(dW, lanes) / l;
  std::size_t widest = 0;
  for (std::size_t r = 0; r < registers; ++r) {
    const std::size_t pixel0 = r * l;
    window[r] = pixel0 < static_cast<std::size_t>(dW) ? first[pixel0] : 0;
    for (std::size_t k = 0; k < l; ++k) {
      // Lanes of padding pixels have no taps; the first column of one that
      // lies before the window is never read either.
      const std::size_t lead = first[pixel0 + k] >= window[r] ? first[pixel0 + k] - window[r] : 0;
      for (std::size_t j = 0; j < pairs; ++j)
        for (int h = 0; h < 2; ++h) {
          if ((w[(r * pairs + j) * l + k] >> (16 * h) & 0xFFFF) == 0) continue;
          widest = std::max(widest, (lead + 2 * j + h + 1) * static_cast<std::size_t>(sb));
        }
      if (widest > static_cast<std::size_t>(windowWords)) return 0;
      starts[2 * (pixel0 + k)] = static_cast<std::uint16_t>(lead * static_cast<std::size_t>(sb));
      starts[2 * (pixel0 + k) + 1] = static_cast<std::uint16_t>((lead + 1) * static_cast<std::size_t>(sb));
    }
  }
  return widest <= static_cast<std::size_t>(windowWords) / 2 ? 1 : 2;
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
  const std::ptrdiff_t srcStride = static_cast<std::ptrdiff_t>(Stride(src));
  const std::ptrdiff_t dstStride = static_cast<std::ptrdiff_t>(Stride(dst));
  // Exactly half, the most common reduction, in one pass with no tables:
  // every entry is 128.
  const auto halve = k.halve[sb == 4][db == 4];
  if (from.w == 2 * to.w && from.h == 2 * to.h && halve != nullptr) {
    const unsigned char* top = PixelAddress(src, from.x, from.y);
    unsigned char* out = PixelAddress(dst, to.x, to.y);
    for (long y = 0; y < to.h; ++y, top -= 2 * srcStride, out -= dstStride) halve(top, top - srcStride, out, to.w);
    return;
  }
  const std::size_t sW = static_cast<std::size_t>(from.w), dW = static_cast<std::size_t>(to.w);
  const std::size_t sH = static_cast<std::size_t>(from.h), dH = static_cast<std::size_t>(to.h);
  // Working space behind the tables, each piece on a 64-byte boundary (the
  // kernels load whole registers from it): the runs' first columns and
  // weights, where the kernel gathers the windows and the words it starts
  // from, then one row of band sums with zero columns behind it, as far as
  // the longest runs or a window read.
  const std::size_t pairs = RunPairs(to.w, from.w);
  const std::size_t pixels = RunPixels(to.w, k.lanes), registers = pixels / static_cast<std::size_t>(k.lanes);
  constexpr std::size_t kLine = 32;  // entries
  const auto lines = [](std::size_t entries) { return (entries + kLine - 1) / kLine * kLine; };
  const std::size_t firstEntries = lines(2 * pixels), weightEntries = lines(2 * pixels * pairs);
  const std::size_t windowEntries = k.windowWords > 0 ? lines(2 * registers) + lines(2 * pixels) : 0;
  const long step = 4L * k.lanes;
  const std::size_t stretchColumns = std::max<std::size_t>(kStretchBytes / static_cast<std::size_t>(sb), 2 * pairs);
  const std::size_t stretches = (sW + stretchColumns - 1) / stretchColumns;
  const std::size_t stretchEntries = lines(2 * stretches);
  const std::size_t sumEntries =
      lines((sW + 2 * pairs + 3) * static_cast<std::size_t>(sb) + static_cast<std::size_t>(k.windowWords));
  const std::size_t tableEntries = sW + dW + sH + dH;
  std::unique_ptr<Entry[]> block =
      BuildCoverageTables(dst.ErrorCode, to.w, to.h, from.w, from.h,
                          kLine + firstEntries + weightEntries + windowEntries + stretchEntries + sumEntries);
  if (!block) return;
  const Entry* Y = block.get() + sW + dW;
  Entry* at = block.get() + tableEntries;
  at += (kLine - reinterpret_cast<std::uintptr_t>(at) / sizeof(Entry) % kLine) % kLine;
  std::uint32_t* first = reinterpret_cast<std::uint32_t*>(at);
  std::uint32_t* weights = reinterpret_cast<std::uint32_t*>(at += firstEntries);
  std::uint32_t* window = reinterpret_cast<std::uint32_t*>(at += weightEntries);
  Entry* starts = at + lines(2 * registers);
  std::uint32_t* stretchMade = reinterpret_cast<std::uint32_t*>(at += windowEntries);
  Entry* sums = at + stretchEntries;
  LayRuns(block.get(), to.w, from.w, k.lanes, pairs, first, weights);
  const int windowRegisters =
      k.windowWords > 0 ? LayWindows(first, weights, to.w, k.lanes, pairs, sb, k.windowWords, window, starts) : 0;
  std::memset(sums + sW * sb, 0, (sumEntries - sW * sb) * sizeof(Entry));
  const auto sumRuns = k.sumRuns[sb == 4][db == 4];

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

  // A row is made a stretch of columns at a time: the vertical pass over the
  // stretch, then the horizontal pass for the destination pixels (whole
  // steps of the runs' layout) whose runs end within it. The source rows are
  // thus read all along the row, and memory delivers the next stretch while
  // the processor makes pixels from the last one. Where each stretch ends,
  // and how many destination pixels are made by then, is the same for every
  // row.
  for (std::size_t c = 0, done = 0; c < stretches; ++c) {
    done = std::min(sW, done + stretchColumns);
    long made = c > 0 ? stretchMade[c - 1] : 0;
    while (made < to.w && (done == sW || first[std::min(made + step, to.w) - 1] + 2 * pairs <= done))
      made = std::min(made + step, to.w);
    stretchMade[c] = static_cast<std::uint32_t>(made);
  }
  const auto makeRow = [&](const Band& band, unsigned char* out, int copies) {
    std::size_t done = 0;  // columns summed
    long made = 0;         // destination pixels made
    for (std::size_t c = 0; c < stretches; ++c) {
      const std::size_t until = std::min(sW, done + stretchColumns);
      Band part = band;
      part.first += done * static_cast<std::size_t>(sb);
      part.bytes = (until - done) * static_cast<std::size_t>(sb);
      k.sumBand(part, sums + done * static_cast<std::size_t>(sb));
      done = until;
      const long end = static_cast<long>(stretchMade[c]);
      if (end == made) continue;
      const Runs some{first + made,
                      weights + static_cast<std::size_t>(made) * pairs,
                      pairs,
                      end - made,
                      window + made / k.lanes,
                      starts + 2 * static_cast<std::size_t>(made),
                      windowRegisters};
      sumRuns(sums, some, out + static_cast<std::size_t>(made) * static_cast<std::size_t>(db), -dstStride, copies);
      made = end;
    }
  };

  // When enlarging, neighbouring rows often take the same band with the same
  // weights: the pixels made for the first are stored into all of them.
  unsigned char* dstRow = PixelAddress(dst, to.x, to.y);
  RowBand row = bandAt(0, PixelAddress(src, from.x, from.y));
  for (long dy = 0; dy < to.h;) {
    long copies = 1;
    RowBand next = row;
    while (dy + copies < to.h) {
      next = bandAt(next.end, next.next);
      if (!sameBand(next.band, row.band)) break;
      ++copies;
    }
    makeRow(row.band, dstRow, static_cast<int>(copies));
    dy += copies;
    dstRow -= copies * dstStride;
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
