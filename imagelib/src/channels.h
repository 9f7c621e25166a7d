// The channel map behind ChangeChannels: one 8-byte record per selector,
// built at compile time from the mapping that the selector encodes.
//
// A selector holds four 2-bit fields, blue in bits 7-6, green 5-4, red 3-2,
// alpha 1-0; each names the channel (0 blue, 1 green, 2 red, 3 alpha) whose
// old value that channel receives. A record is
//   byte 0     the primitive that performs the mapping (ChannelOp),
//   byte 1     the selector to use instead on a 24-bit image,
//   bytes 2-7  the primitive's channel parameters, unused ones 0.
#pragma once

#include <array>
#include <cstdint>

namespace pixolan {

enum ChannelOp : std::uint8_t {
  kOpC = 0,     // p0 = p1
  kOpCC = 1,    // p0 = p2; p1 = p3
  kOpS = 2,     // p0 <-> p1
  kOpCCC = 3,   // p0 = p3; p1 = p4; p2 = p5
  kOpSC = 4,    // p2 = p3; then p0 <-> p1
  kOpR = 5,     // p0 takes p1, p1 takes p2, p2 takes the old p0
  kOpSCC = 6,   // p2 = p4; p3 = p5; then p0 <-> p1
  kOpSS = 7,    // p0 <-> p2; p1 <-> p3
  kOpRC = 8,    // p3 = p4; then the rotation of p0, p1, p2
  kOpA = 9,     // the same rotation through p0, p1, p2, p3
  kOpNone = 10  // the mapping changes nothing
};

using ChannelRecord = std::array<std::uint8_t, 8>;

// The record of one selector.
//
// Channels that take themselves stay. Of the others, those on a closed loop
// (X takes from src(X), which takes from ... back to X) are exchanged or
// rotated; the rest are plain copies, which the mixed primitives run first so
// that they read old values. Several copies are ordered so that no copy
// overwrites a channel that a later one still has to read: each pass takes,
// in channel order, every pending copy whose destination no pending copy reads.
constexpr ChannelRecord MakeChannelRecord(unsigned selector) {
  unsigned src[4] = {(selector >> 6) & 3u, (selector >> 4) & 3u, (selector >> 2) & 3u, selector & 3u};
  ChannelRecord rec{};

  // On 24-bit pixels a colour that would take alpha takes itself, and alpha
  // stays, so the records reached from here never name channel 3.
  unsigned narrow = 3;
  for (unsigned c = 0; c < 3; ++c) narrow |= (src[c] == 3 ? c : src[c]) << (6 - 2 * c);
  rec[1] = static_cast<std::uint8_t>(narrow);

  // Loops, each written from its lowest channel a: a takes from src(a), ...
  unsigned loops[2][4] = {};
  unsigned loopLength[2] = {};
  unsigned loopCount = 0;
  bool onLoop[4] = {};
  for (unsigned x = 0; x < 4; ++x) {
    if (src[x] == x || onLoop[x]) continue;
    unsigned y = src[x];
    for (int step = 0; step < 3 && y != x; ++step) y = src[y];
    if (y != x) continue;
    unsigned n = 0;
    y = x;
    do {
      onLoop[y] = true;
      loops[loopCount][n++] = y;
      y = src[y];
    } while (y != x);
    loopLength[loopCount++] = n;
  }

  // Copies in an order that reads every source before it is overwritten.
  unsigned copies[3] = {};
  unsigned copyCount = 0;
  bool pending[4] = {};
  unsigned pendingCount = 0;
  for (unsigned x = 0; x < 4; ++x)
    if (src[x] != x && !onLoop[x]) {
      pending[x] = true;
      ++pendingCount;
    }
  while (copyCount < pendingCount) {
    for (unsigned x = 0; x < 4; ++x) {
      if (!pending[x]) continue;
      bool read = false;
      for (unsigned y = 0; y < 4; ++y) read = read || (pending[y] && y != x && src[y] == x);
      if (read) continue;
      pending[x] = false;
      copies[copyCount++] = x;
    }
  }

  // Copies as parameters: destinations first, then their sources.
  const auto putCopies = [&](unsigned at) {
    for (unsigned i = 0; i < copyCount; ++i) {
      rec[at + i] = static_cast<std::uint8_t>(copies[i]);
      rec[at + copyCount + i] = static_cast<std::uint8_t>(src[copies[i]]);
    }
  };
  const auto putLoop = [&](unsigned at, unsigned which) {
    for (unsigned i = 0; i < loopLength[which]; ++i) rec[at + i] = static_cast<std::uint8_t>(loops[which][i]);
  };

  if (loopCount == 0) {
    const std::uint8_t ops[4] = {kOpNone, kOpC, kOpCC, kOpCCC};
    rec[0] = ops[copyCount];
    putCopies(2);
  } else if (loopCount == 2) {  // two exchanges: first loop in p0, p2, second in p1, p3
    rec[0] = kOpSS;
    rec[2] = static_cast<std::uint8_t>(loops[0][0]);
    rec[4] = static_cast<std::uint8_t>(loops[0][1]);
    rec[3] = static_cast<std::uint8_t>(loops[1][0]);
    rec[5] = static_cast<std::uint8_t>(loops[1][1]);
  } else if (loopLength[0] == 2) {
    const std::uint8_t ops[3] = {kOpS, kOpSC, kOpSCC};
    rec[0] = ops[copyCount];
    putLoop(2, 0);
    putCopies(4);
  } else if (loopLength[0] == 3) {
    rec[0] = copyCount == 0 ? kOpR : kOpRC;
    putLoop(2, 0);
    putCopies(5);
  } else {
    rec[0] = kOpA;
    putLoop(2, 0);
  }
  return rec;
}

constexpr std::array<ChannelRecord, 256> MakeChannelMapTable() {
  std::array<ChannelRecord, 256> table{};
  for (unsigned s = 0; s < 256; ++s) table[s] = MakeChannelRecord(s);
  return table;
}

inline constexpr std::array<ChannelRecord, 256> ChannelMapTable = MakeChannelMapTable();

}  // namespace pixolan
