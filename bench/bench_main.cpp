// The benchmark program: main, registration and the shared helpers.
//
//   horlin_bench [--smoke] [benchmark flags...]
//
// --smoke (or HORLIN_BENCH_SMOKE=1 in the environment) registers only 16 x 16
// inputs and runs each benchmark once, so a build can be checked in seconds.
// The exit code is non-zero when any benchmark failed (a library call that
// reported an error, a peer call that failed, or outputs of ours and a peer
// that disagree); speed never fails the program.
#include "bench_common.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace bench {
namespace {

bool gSmoke = false;
bool gFailed = false;
std::string gScratch;

std::vector<AreaRegistrar>& Areas() {
  static std::vector<AreaRegistrar> areas;
  return areas;
}

benchmark::internal::Benchmark* Add(const std::string& name, Body body) {
  auto* b = benchmark::RegisterBenchmark(name.c_str(), [body](benchmark::State& state) { body(state); });
  if (gSmoke) b->Iterations(1);
  return b;
}

}  // namespace

std::string SizeName(Extent e) { return std::to_string(e.width) + "x" + std::to_string(e.height); }

bool SmokeMode() { return gSmoke; }

std::vector<Extent> StandardSizes() {
  if (gSmoke) return {{16, 16}};
  return {{1920, 1080}, {256, 256}};
}

const std::string& ScratchDir() {
  if (gScratch.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "horlin_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("horlin_bench: cannot make a scratch folder");
      std::exit(2);
    }
    gScratch = pattern;
  }
  return gScratch;
}

bool AddArea(AreaRegistrar registrar) {
  Areas().push_back(registrar);
  return true;
}

benchmark::internal::Benchmark* AddOurs(const std::string& row, const std::string& size, Body body) {
  return Add(row + "/ours/" + size, std::move(body));
}

benchmark::internal::Benchmark* AddOurs(const std::string& row, const std::string& size, Body body, Traffic traffic) {
  static std::set<std::size_t> memoryBound;
  const std::size_t bytes = traffic.MemcpyBytes();
  if (memoryBound.insert(bytes).second)
    Add("MemoryBound/memcpy/" + std::to_string(bytes),
        [bytes](benchmark::State& state) { MemcpyLoop(state, bytes, static_cast<long long>(bytes)); });
  return Add(row + "/ours/" + size, [bytes, body](benchmark::State& state) {
    body(state);
    state.counters["memcpy_bytes"] = static_cast<double>(bytes);
  });
}

benchmark::internal::Benchmark* AddPeer(const std::string& row, const std::string& impl, const std::string& size,
                                        double target, Body body) {
  return Add(row + "/" + impl + "/" + size, [target, body](benchmark::State& state) {
    body(state);
    state.counters["target"] = target;
  });
}

void Fail(benchmark::State& state, const std::string& why) {
  gFailed = true;
  state.SkipWithError(why.c_str());
}

bool AnyFailed() { return gFailed; }

ImagePtr MakeImage(Extent e, int bytesPerPixel) {
  ImagePtr img(new ZEMADisplayFCDIB(LibraryVersion, nullptr, nullptr, static_cast<unsigned>(e.width),
                                    static_cast<unsigned>(e.height), bytesPerPixel == 4 ? 4 : 3, 0, 0,
                                    LANGUAGE_ENGLISH));
  if (img->ErrorCode != ERR_NONE || img->Bits == nullptr) return nullptr;
  return img;
}

void FillRandom(unsigned char* bytes, std::size_t count, std::uint32_t seed) {
  std::uint64_t s = seed * 0x9E3779B97F4A7C15ull + 1;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    std::memcpy(bytes + i, &s, 8);
  }
  for (; i < count; ++i) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    bytes[i] = static_cast<unsigned char>(s >> 32);
  }
}

void FillSmooth(unsigned char* bytes, Extent e, std::size_t stride, int bytesPerPixel, std::uint32_t seed) {
  // A product of a wave across and a wave down, a different one per channel,
  // plus noise of -4..3.
  std::vector<double> across(static_cast<std::size_t>(e.width) * bytesPerPixel);
  std::vector<double> down(static_cast<std::size_t>(e.height) * bytesPerPixel);
  for (int c = 0; c < bytesPerPixel; ++c) {
    for (int x = 0; x < e.width; ++x) across[x * bytesPerPixel + c] = 100 * std::sin(x / (23.0 + 9 * c));
    for (int y = 0; y < e.height; ++y) down[y * bytesPerPixel + c] = std::cos(y / (31.0 + 7 * c));
  }
  for (int y = 0; y < e.height; ++y) {
    unsigned char* p = bytes + static_cast<std::size_t>(y) * stride;
    const std::size_t n = static_cast<std::size_t>(e.width) * bytesPerPixel;
    FillRandom(p, n, seed + static_cast<std::uint32_t>(y));
    for (std::size_t i = 0; i < n; ++i) {
      const int v = 128 + static_cast<int>(across[i] * down[y * bytesPerPixel + i % bytesPerPixel]) + (p[i] & 7) - 4;
      p[i] = static_cast<unsigned char>(std::clamp(v, 0, 255));
    }
  }
}

PixelPlane MemoryOrder(const ZEMADisplayFCDIB& img) {
  return PixelPlane{img.Bits, static_cast<std::ptrdiff_t>(Stride(img)), BytesPerPixel(img)};
}

PixelPlane TopDown(const ZEMADisplayFCDIB& img) {
  const pixolan::PixelRows rows = pixolan::PixelRows::Of(img);
  return PixelPlane{rows.Row(0), -static_cast<std::ptrdiff_t>(rows.stride), BytesPerPixel(img)};
}

Difference Compare(PixelPlane a, PixelPlane b, Extent e, int channels, const ChannelMap& map) {
  Difference d;
  double sum = 0;
  for (int y = 0; y < e.height; ++y) {
    const unsigned char* pa = a.first + y * a.stride;
    const unsigned char* pb = b.first + y * b.stride;
    for (int x = 0; x < e.width; ++x, pa += a.bytesPerPixel, pb += b.bytesPerPixel) {
      for (int c = 0; c < channels; ++c) {
        int vb = pb[map.order[c]];
        if (map.invert[c]) vb = 255 - vb;
        const int diff = std::abs(pa[c] - vb);
        sum += diff;
        if (diff > d.largest) d = Difference{diff, 0, x, y, c};
      }
    }
  }
  d.mean = sum / (static_cast<double>(e.Pixels()) * channels);
  return d;
}

std::string Describe(const Difference& d) {
  char text[160];
  std::snprintf(text, sizeof text, "largest difference %d (pixel %d,%d channel %d), mean %.3f", d.largest, d.x, d.y,
                d.channel, d.mean);
  return text;
}

void MemcpyLoop(benchmark::State& state, std::size_t bytes, long long pixels) {
  std::vector<unsigned char> from(bytes), to(bytes);
  FillRandom(from.data(), bytes, 7);
  std::memcpy(to.data(), from.data(), bytes);  // touch every page before timing
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  CountPixels(state, pixels);
}

}  // namespace bench

int main(int argc, char** argv) {
  const char* env = std::getenv("HORLIN_BENCH_SMOKE");
  bench::gSmoke = env != nullptr && *env != '\0' && std::strcmp(env, "0") != 0;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--smoke") == 0) {
      bench::gSmoke = true;
      continue;
    }
    args.push_back(argv[i]);
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

  for (bench::AreaRegistrar registrar : bench::Areas()) registrar();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (!bench::gScratch.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(bench::gScratch, ignored);
  }
  if (bench::AnyFailed()) {
    std::fprintf(stderr, "horlin_bench: some benchmarks failed (see ERROR OCCURRED above)\n");
    return 1;
  }
  return 0;
}
