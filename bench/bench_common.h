// Shared pieces of the benchmark program: the sizes of the run, registration
// of a library operation beside its peer, test images and a few checks.
//
// Every benchmark is named ROW/IMPL/SIZE. IMPL is "ours" for the library's
// operation; any other IMPL is a peer that does comparable work on the same
// input and carries the counter "target": the smallest ratio ours/peer (in
// pixels per second) the row aims for. Clock benchmarks carry "limit_us"
// instead. scripts/bench.sh turns these names and counters into its table.
#pragma once

#include <benchmark/benchmark.h>

#include "pixolan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bench {

struct Extent {
  int width;
  int height;
  long long Pixels() const { return static_cast<long long>(width) * height; }
};

// "1920x1080"
std::string SizeName(Extent e);

// Set by main before any area registers: only 16 x 16 inputs, each run once.
bool SmokeMode();
// The standard inputs: 1920 x 1080 and 256 x 256 (cache-resident), or 16 x 16
// in smoke mode.
std::vector<Extent> StandardSizes();

// A scratch folder for files the benchmarks read, removed when the program ends.
const std::string& ScratchDir();

// Each bench_*.cpp adds its registration function through a static
// initialiser; main calls them once the mode is known.
using AreaRegistrar = void (*)();
bool AddArea(AreaRegistrar registrar);

using Body = std::function<void(benchmark::State&)>;
// Registers ROW/ours/SIZE.
benchmark::internal::Benchmark* AddOurs(const std::string& row, const std::string& size, Body body);

// The bytes an operation moves between the processor and memory: those it
// reads, those it writes, and of those the ones it has not read before (a
// cache line is read before it is written, as memcpy's destination is).
struct Traffic {
  std::size_t read;
  std::size_t written;
  std::size_t writtenUnread;
  // The memcpy with the same traffic: memcpy of N bytes moves 3N.
  std::size_t MemcpyBytes() const { return (read + written + writtenUnread) / 3; }
};
// Registers ROW/ours/SIZE and, once per size, MemoryBound/memcpy/BYTES with
// the same traffic: the table shows the share of that memory-bound rate that
// ours reaches.
benchmark::internal::Benchmark* AddOurs(const std::string& row, const std::string& size, Body body, Traffic traffic);
// Registers ROW/IMPL/SIZE as the peer of ROW/ours/SIZE with its target ratio.
benchmark::internal::Benchmark* AddPeer(const std::string& row, const std::string& impl, const std::string& size,
                                        double target, Body body);

// Marks the benchmark failed: it shows in the output and makes the program's
// exit code non-zero. Call before or instead of the timing loop.
void Fail(benchmark::State& state, const std::string& why);
bool AnyFailed();

using ImagePtr = std::unique_ptr<ZEMADisplayFCDIB>;

// A blank image of 3 or 4 bytes per pixel; null if the library refused it.
ImagePtr MakeImage(Extent e, int bytesPerPixel);
inline int BytesPerPixel(const ZEMADisplayFCDIB& img) { return img.BitmapInfo.bmiHeader.biBitCount / 8; }
inline std::size_t StrideOf(long width, int bytesPerPixel) {
  return pixolan::PixelRows::Stride(static_cast<std::size_t>(width), static_cast<std::size_t>(bytesPerPixel));
}
inline std::size_t Stride(const ZEMADisplayFCDIB& img) { return pixolan::PixelRows::Of(img).stride; }
// The rows of the image (the spare row not included).
inline std::size_t PixelBytes(const ZEMADisplayFCDIB& img) {
  return Stride(img) * static_cast<std::size_t>(img.BitmapInfo.bmiHeader.biHeight);
}

// Reproducible pseudo-random bytes.
void FillRandom(unsigned char* bytes, std::size_t count, std::uint32_t seed);
// A smooth pattern with a little noise, for scalers whose kernels differ:
// their outputs stay close on it, while a broken call stands out.
void FillSmooth(unsigned char* bytes, Extent e, std::size_t stride, int bytesPerPixel, std::uint32_t seed);

// Pixels of one picture in memory: the first pixel of its first row, the step
// from a row to the next (negative for bottom-up storage) and bytes per pixel.
struct PixelPlane {
  const unsigned char* first;
  std::ptrdiff_t stride;
  int bytesPerPixel;
};
// The image's pixels in memory order (its bottom row first).
PixelPlane MemoryOrder(const ZEMADisplayFCDIB& img);
// The image's pixels from the top row down.
PixelPlane TopDown(const ZEMADisplayFCDIB& img);

// How to read picture b when comparing it with a: channel c of a is byte
// order[c] of b's pixel, and where invert[c] is set b holds 255 minus it.
struct ChannelMap {
  int order[4];
  bool invert[4];
};
constexpr ChannelMap kSameChannels{{0, 1, 2, 3}, {false, false, false, false}};

struct Difference {
  int largest = 0;                // the largest channel difference
  double mean = 0;                // the mean channel difference
  int x = 0, y = 0, channel = 0;  // where the largest one lies
};
// Compares the first `channels` channels of every pixel of two pictures.
Difference Compare(PixelPlane a, PixelPlane b, Extent e, int channels, const ChannelMap& map = kSameChannels);
std::string Describe(const Difference& d);

// Copies `bytes` bytes from one buffer to another once per iteration: the
// memcpy peer of operations that touch that many bytes.
void MemcpyLoop(benchmark::State& state, std::size_t bytes, long long pixels);

// Counts `pixels` per iteration in the rate the report shows.
inline void CountPixels(benchmark::State& state, long long pixels) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * pixels);
}

// The timing loop of a library call that returns an error code: `call` runs
// for as long as the benchmark measures, and any code but ERR_NONE ends the
// run as a failure naming `what`. Counts `pixels` per call.
template <class Call>
void TimeCalls(benchmark::State& state, const std::string& what, long long pixels, Call call) {
  for (auto _ : state) {
    const int code = call();
    benchmark::DoNotOptimize(code);
    benchmark::ClobberMemory();
    if (code != ERR_NONE) return Fail(state, what + " returned " + std::to_string(code));
  }
  CountPixels(state, pixels);
}

}  // namespace bench
