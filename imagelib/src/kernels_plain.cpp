// The plain pixel loops: the reference that every vector kernel matches bit
// for bit, and the whole library where no vector code is built. They follow
// the arithmetic of rounding.h and stretch.h as it is written down.
#include "kernels.h"
#include "rounding.h"

#include <array>
#include <cstring>
#include <utility>

namespace pixolan {
namespace {

// ---- PutImage ---------------------------------------------------------------

// 24-bit source at 0 < T < 256: (s U + d T + 128) >> 8, alpha (a T + 128) >> 8.
template <int DB>
void Put24(Transfer t, unsigned T) {
  const unsigned U = 256 - T;
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride) {
    const Byte* s = t.src;
    Byte* d = t.dst;
    for (long i = 0; i < t.cols; ++i, s += 3, d += DB) {
      for (int c = 0; c < 3; ++c) d[c] = static_cast<Byte>((s[c] * U + d[c] * T + 128) >> 8);
      if constexpr (DB == 4) d[3] = static_cast<Byte>((d[3] * T + 128) >> 8);
    }
  }
}

// 32-bit source: colours R(d L + s K), alpha R(a L). An invisible source
// pixel (K = 0) leaves the destination as it is; an opaque one at T = 0
// (L = 0) is a copy with alpha 0.
template <int DB, bool AtZero>
void Put32(Transfer t, unsigned U) {
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride) {
    const Byte* s = t.src;
    Byte* d = t.dst;
    for (long i = 0; i < t.cols; ++i, s += 4, d += DB) {
      const std::uint32_t sa = s[3];
      if (sa == 255) continue;
      if (AtZero && sa == 0) {
        std::memcpy(d, s, 3);
        if constexpr (DB == 4) d[3] = 0;
        continue;
      }
      const std::uint32_t K = (255 - sa) * U, L = 65280 - K;
      for (int c = 0; c < 3; ++c) d[c] = static_cast<Byte>(RoundedDiv65280(d[c] * L + s[c] * K));
      if constexpr (DB == 4) d[3] = static_cast<Byte>(RoundedDiv65280(d[3] * L));
    }
  }
}

// ---- CopyImage and the row conversions ----------------------------------------

void Widen(const Byte* s, Byte* d, long n, Byte fourth) {
  for (long i = 0; i < n; ++i, s += 3, d += 4) {
    std::memcpy(d, s, 3);
    d[3] = fourth;
  }
}

void Narrow(const Byte* s, Byte* d, long n) {
  for (long i = 0; i < n; ++i, s += 4, d += 3) std::memcpy(d, s, 3);
}

void CopyBytes(const Byte* s, Byte* d, std::size_t n) { std::memcpy(d, s, n); }

// One loop per mask, so that no pixel tests a channel: a 24-bit source gives
// alpha 255, a 24-bit destination has none to write.
template <int SB, int DB, unsigned Keep>
void CopyKeepingMask(Transfer t) {
  for (long j = 0; j < t.rows; ++j, t.src -= t.srcStride, t.dst -= t.dstStride) {
    const Byte* s = t.src;
    Byte* d = t.dst;
    for (long i = 0; i < t.cols; ++i, s += SB, d += DB) {
      if constexpr (!(Keep & 1)) d[0] = s[0];
      if constexpr (!(Keep & 2)) d[1] = s[1];
      if constexpr (!(Keep & 4)) d[2] = s[2];
      if constexpr (DB == 4 && !(Keep & 8)) d[3] = SB == 4 ? s[3] : 0xFF;
    }
  }
}

template <int SB, int DB, std::size_t... Mask>
constexpr std::array<void (*)(Transfer), 16> CopyKeepingTable(std::index_sequence<Mask...>) {
  return {{&CopyKeepingMask<SB, DB, static_cast<unsigned>(Mask)>...}};
}

template <int SB, int DB>
void CopyKeeping(Transfer t, unsigned keep) {
  static constexpr std::array<void (*)(Transfer), 16> kLoops = CopyKeepingTable<SB, DB>(std::make_index_sequence<16>());
  kLoops[keep & 15](t);
}

// ---- mirrors and channels ----------------------------------------------------------

template <int BPP>
void SwapRun(Byte* front, Byte* back, std::size_t pairs) {
  for (; pairs != 0; --pairs, front += BPP, back -= BPP) {
    Byte t[BPP];
    std::memcpy(t, front, BPP);
    std::memcpy(front, back, BPP);
    std::memcpy(back, t, BPP);
  }
}

template <int BPP>
void Remap(Byte* first, long cols, long rows, std::ptrdiff_t stride, const Byte* map) {
  for (long y = 0; y < rows; ++y, first -= stride) {
    Byte* p = first;
    for (long x = 0; x < cols; ++x, p += BPP) {
      Byte old[BPP];
      std::memcpy(old, p, BPP);
      for (int k = 0; k < BPP; ++k) p[k] = old[map[k]];
    }
  }
}

// ---- area averaging ------------------------------------------------------------------

// Sums less 32768: the entries of a band add up to 256.
void SumBand(const Band& b, std::uint16_t* sums) {
  for (std::size_t i = 0; i < b.bytes; ++i) {
    const Byte* p = b.first + i;
    std::uint32_t sum = 0;
    for (long r = 0; r < b.rows; ++r, p -= b.stride) sum += b.w[r] * std::uint32_t{*p};
    sums[i] = static_cast<std::uint16_t>(sum - 32768);
  }
}

// Each pixel's pairs of weights lie at w[pixel * pairs + j], as LayRuns lays
// them for one lane.
template <int SB, int DB>
void SumRuns(const std::uint16_t* sums, const Runs& r, Byte* out, std::ptrdiff_t next, int copies) {
  constexpr int kChannels = SB == 4 && DB == 4 ? 4 : 3;
  for (long d = 0; d < r.count; ++d, out += DB) {
    const std::int16_t* v = reinterpret_cast<const std::int16_t*>(sums) + std::size_t{r.first[d]} * SB;
    const std::uint32_t* w = r.w + static_cast<std::size_t>(d) * r.pairs;
    std::int32_t total[4] = {};
    for (std::size_t j = 0; j < r.pairs; ++j, ++w, v += 2 * SB) {
      const std::int32_t w0 = static_cast<std::int32_t>(*w & 0xFFFF), w1 = static_cast<std::int32_t>(*w >> 16);
      for (int c = 0; c < kChannels; ++c) total[c] += w0 * v[c] + w1 * v[SB + c];
    }
    Byte pixel[DB];
    for (int c = 0; c < kChannels; ++c) pixel[c] = static_cast<Byte>((total[c] + (256 << 15) + 32768) >> 16);
    if constexpr (DB == 4 && kChannels == 3) pixel[3] = 255;
    for (int k = 0; k < copies; ++k) std::memcpy(out + k * next, pixel, DB);
  }
}

}  // namespace

const Kernels kPlainKernels = {
    {{&Put32<3, false>, &Put32<3, true>}, {&Put32<4, false>, &Put32<4, true>}},
    {&Put24<3>, &Put24<4>},
    {{&CopyKeeping<3, 3>, &CopyKeeping<3, 4>}, {&CopyKeeping<4, 3>, &CopyKeeping<4, 4>}},
    &Widen,
    &Narrow,
    &CopyBytes,
    {&SwapRun<3>, &SwapRun<4>},
    {&Remap<3>, &Remap<4>},
    &SumBand,
    {{&SumRuns<3, 3>, &SumRuns<3, 4>}, {&SumRuns<4, 3>, &SumRuns<4, 4>}},
    1,
    0,
};

}  // namespace pixolan
