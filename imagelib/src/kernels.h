// The pixel kernels: every loop that touches pixels in bulk, as one table of
// functions per register width, chosen once for the whole library.
//
// The plain loops (kernels_plain.cpp) are the reference; every other width
// (kernels_<width>.cpp) instantiates the templates of kernel_*.h over its
// register type (width_<width>.h) and gives bit for bit the same pixels.
// Where a width gains nothing for an operation, its table points at the
// narrower width's or the plain loop.
//
// The layout all vector kernels share:
//  - a block is one register of 32-bit pixels, N = register bytes / 4 of
//    them; 24-bit pixels are spread to 32-bit lanes (fourth byte 0) as they
//    are loaded and packed again as they are stored, so the arithmetic sees
//    one layout;
//  - wider registers are 16-byte lanes side by side, and the arithmetic and
//    the byte shuffles stay within each lane, which holds 4 whole pixels;
//  - the blends keep a 24-bit destination packed instead: four pixels'
//    bytes to a lane, or at T = 0 on 64-byte registers the three registers
//    of four blocks as they are in memory (kernel_blend.h);
//  - a row is whole blocks from its first pixel, then at most one block per
//    remaining part made with partial loads and stores; nothing outside the
//    row's own bytes is read or written.
//
// The blend arithmetic and its rounding are explained in rounding.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pixolan {

using Byte = unsigned char;

// A rectangle to move from one image to another: the first source and
// destination pixels the loops visit, the distance back to the next rows
// (`s -= srcStride`), width and height. Taken by value, so the compiler knows
// that pixel stores cannot change it.
struct Transfer {
  const Byte* src;
  std::ptrdiff_t srcStride;
  Byte* dst;
  std::ptrdiff_t dstStride;
  long cols;
  long rows;
};

// Area averaging, one destination row at a time (stretch.cpp drives it).
//
// The vertical pass sums the band of source rows that a destination row
// covers, each byte weighted by its row's entry, into one row of 16-bit
// sums: at most 256 * 255, kept less 32768 so that they are signed 16-bit
// values for the horizontal pass's multiply-adds. That pass makes each
// destination pixel from its run of columns of the sums: two columns (a tap
// pair) at a time, each weighted by its entry, four channels in 32-bit lanes.
// The runs are laid out (stretch.h) by register: register r makes pixels
// r * lanes + k in its lanes k (where it gathers from a window, lane c makes
// channel c of those pixels instead); four registers make a step of
// 4 * lanes.
struct Band {
  const Byte* first;       // the band's top row
  std::ptrdiff_t stride;   // from a row to the next one down: first - stride
  const std::uint16_t* w;  // the rows' entries, all but the first below 256
  long rows;               // at least 1
  std::size_t bytes;       // bytes per row
};
struct Runs {
  const std::uint32_t* first;  // per destination pixel: its first column
  const std::uint32_t* w;      // per register and tap pair, per lane: w0 | w1 << 16
  std::size_t pairs;           // tap pairs per pixel
  long count;                  // destination pixels
  // Where the kernel can gather words from a window of one or two registers
  // (windowRegisters, else 0; a width of four lanes): per register the
  // window's first column, and for each of its four pixels the words in that
  // window where its first two columns begin (eight words).
  const std::uint32_t* window;
  const std::uint16_t* starts;
  int windowRegisters;
};

struct Kernels {
  // PutImage of a 32-bit source, [destination is 32-bit][T == 0], U = 256 - T.
  void (*put32[2][2])(Transfer t, unsigned U);
  // PutImage of a 24-bit source at 0 < T < 256, [destination is 32-bit].
  void (*put24[2])(Transfer t, unsigned T);
  // CopyImage with a KeepMask of 1 to 14, [source is 32-bit][destination is 32-bit].
  void (*copyKeeping[2][2])(Transfer t, unsigned keep);
  // Rows of whole pixels: 24 into 32 bits with the given fourth byte, 32 into 24.
  void (*widen)(const Byte* s, Byte* d, long n, Byte fourth);
  void (*narrow)(const Byte* s, Byte* d, long n);
  // n bytes between two separate memories.
  void (*copyBytes)(const Byte* s, Byte* d, std::size_t n);
  // Exchanges `pairs` pixels: `front` walks right from its pixel, `back` left
  // from its; the two runs may lie in one row and meet in the middle.
  // [pixels are 32-bit]
  void (*swapRun[2])(Byte* front, Byte* back, std::size_t pairs);
  // out[k] = old[map[k]] for the channels of every pixel of a rectangle whose
  // top-left pixel is `first`; the next row down is one stride lower.
  // [pixels are 32-bit]
  void (*remap[2])(Byte* first, long cols, long rows, std::ptrdiff_t stride, const Byte* map);
  // Area averaging: the vertical pass, and the horizontal pass
  // [source is 32-bit][destination is 32-bit].
  void (*sumBand)(const Band& band, std::uint16_t* sums);
  // The horizontal pass stores its pixels into `copies` rows, `out` and each
  // one `next` bytes after the one before.
  void (*sumRuns[2][2])(const std::uint16_t* sums, const Runs& runs, Byte* out, std::ptrdiff_t next, int copies);
  int lanes;        // destination pixels per register of the horizontal pass
  int windowWords;  // words of the window it gathers from, or 0
  // Area averaging to exactly half in both directions: n pixels of `out`,
  // each channel (a + b + c + d + 2) >> 2 of the two pixels above it in `top`
  // and the two in `below`, the row under it (what the two passes give when
  // every entry is 128; a 24-bit source gives alpha 255). Null where a width
  // does not pay; [source is 32-bit][destination is 32-bit].
  void (*halve[2][2])(const Byte* top, const Byte* below, Byte* out, long n) = {{nullptr, nullptr}, {nullptr, nullptr}};
};

// The register widths, narrowest first.
enum class KernelWidth { kPlain, kSse2, kSsse3, kAvx2, kAvx512 };

// The kernels of the widest width that this processor and its operating
// system run, narrowed by the environment variable PIXOLAN_SIMD: "baseline"
// (SSE2), "ssse3" or "avx2". Decided once.
const Kernels& ActiveKernels();

// `detected` narrowed by a PIXOLAN_SIMD value (null: not set): never wider,
// so no choice runs an instruction the processor lacks; a value it does not
// know leaves `detected`.
inline KernelWidth NarrowedWidth(KernelWidth detected, const char* choice) {
  KernelWidth limit = detected;
  if (choice != nullptr && std::strcmp(choice, "baseline") == 0) limit = KernelWidth::kSse2;
  if (choice != nullptr && std::strcmp(choice, "ssse3") == 0) limit = KernelWidth::kSsse3;
  if (choice != nullptr && std::strcmp(choice, "avx2") == 0) limit = KernelWidth::kAvx2;
  return limit < detected ? limit : detected;
}

extern const Kernels kPlainKernels;
#if defined(PIXOLAN_VECTOR_KERNELS)
extern const Kernels kSse2Kernels;
extern const Kernels kSsse3Kernels;
extern const Kernels kAvx2Kernels;
extern const Kernels kAvx512Kernels;
#endif

}  // namespace pixolan
