// Area-averaging resampler shared by StretchImage and the resized copy.
//
// Each axis gets a coverage table: for every source pixel, the parts of its
// extent that fall into consecutive destination pixels, in 1/256 of a
// destination pixel. The entries of one destination pixel add up to exactly
// 256; the last entry of each source pixel is what it gives to the next,
// still open destination pixel (possibly 0). A table for destination extent
// dN and source extent sN has exactly sN + dN entries.
#pragma once

#include "internal.h"

#include <cstdint>
#include <memory>

namespace pixolan {

// A rectangle inside one image, counted from its top-left pixel.
struct Rect {
  long x, y, w, h;
};

// Produces the coverage entries of one axis in order, calling emit(entry)
// for each; there are exactly sN + dN of them. Both extents are at least 1.
// The remainder of dN * 256 / sN is spread over the source pixels like a
// line-drawing error term, starting half-way, so the coverages add up to
// exactly dN * 256.
template <class Emit>
inline void WalkCoverage(std::uint64_t dN, std::uint64_t sN, Emit&& emit) {
  const std::uint64_t q = dN * 256 / sN;
  const std::uint64_t r = dN * 256 - q * sN;
  std::uint64_t err = sN / 2;
  std::uint64_t room = 256;  // what the open destination pixel still lacks
  for (std::uint64_t i = 0; i < sN; ++i) {
    std::uint64_t c = q;
    err += r;
    if (err >= sN) {
      err -= sN;
      ++c;
    }
    while (room <= c) {  // completes one (or, when enlarging, several) destination pixels
      emit(static_cast<std::uint16_t>(room));
      c -= room;
      room = 256;
    }
    emit(static_cast<std::uint16_t>(c));  // the share of the next, still open one
    room -= c;
  }
}

// Writes the coverage table of one axis to `table`, which has room for
// sN + dN entries; returns the number written.
inline std::size_t FillCoverageTable(std::uint16_t* table, std::uint64_t dN, std::uint64_t sN) {
  std::size_t n = 0;
  WalkCoverage(dN, sN, [&](std::uint16_t e) { table[n++] = e; });
  return n;
}

// Both tables of one call in one allocation: the horizontal table (dW, sW)
// first, the vertical table (dH, sH) from entry sW + dW on, then `extra`
// entries of working space for the caller. On failure the code is recorded
// in `errorCode` (ERR_MEMORY when the allocation fails) and the result is
// empty.
std::unique_ptr<std::uint16_t[]> BuildCoverageTables(int& errorCode, long dW, long dH, long sW, long sH,
                                                     std::size_t extra = 0);

// The horizontal runs of the kernels (kernels.h): how many tap pairs the
// longest run of dW destination pixels from sW source pixels needs, for how
// many destination pixels (a whole number of steps of 4 * lanes) they are
// laid, and the laying from the horizontal table X into `first` (RunPixels
// words) and `w` (RunPixels * pairs words).
std::size_t RunPairs(long dW, long sW);
std::size_t RunPixels(long dW, int lanes);
void LayRuns(const std::uint16_t* X, long dW, long sW, int lanes, std::size_t pairs, std::uint32_t* first,
             std::uint32_t* w);
// For a kernel that gathers from a window of windowWords words (two
// registers): each register's first column into `window` (RunPixels / lanes
// words), and for each pixel the words in it where its first two columns
// begin into `starts` (2 * RunPixels words). Returns how many registers of
// window every register needs, 1 or 2, or 0 when some register's columns do
// not fit one window.
int LayWindows(const std::uint32_t* first, const std::uint32_t* w, long dW, int lanes, std::size_t pairs, int sb,
               int windowWords, std::uint32_t* window, std::uint16_t* starts);

// Scales rectangle `from` of `src` into rectangle `to` of `dst`, every
// destination pixel the rounded, area-weighted mean of the source pixels it
// covers. Failures are recorded in dst.ErrorCode and then nothing is written;
// a rectangle with an extent of 0 or below is refused as
// ERR_UNSUPPORTED_COMMAND.
void StretchArea(ZEMADisplayFCDIB& dst, const Rect& to, const ZEMADisplayFCDIB& src, const Rect& from);

}  // namespace pixolan
