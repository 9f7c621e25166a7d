// Stretching: StretchImage against stb_image_resize's box filter on the same
// pixels. Both average every channel alike (the peer is told there is no
// alpha channel, so it does not premultiply), clamp at the edges and work in
// linear values. Rates count destination pixels.
#include "bench_common.h"

#include <stb/stb_image_resize.h>

#include <string>
#include <vector>

namespace bench {
namespace {

struct Scaling {
  const char* what;  // the ratio, part of the row name
  Extent large, largeTo, small, smallTo, smoke, smokeTo;
  bool wholeRatio;  // a whole-number reduction, where both kernels are the same box
  double target;
};

constexpr Scaling kScalings[] = {
    {"half", {3840, 2160}, {1920, 1080}, {512, 512}, {256, 256}, {32, 32}, {16, 16}, true, 4.0},
    {"two_thirds", {1920, 1080}, {1280, 720}, {384, 384}, {256, 256}, {24, 24}, {16, 16}, false, 3.0},
    {"double", {960, 540}, {1920, 1080}, {128, 128}, {256, 256}, {8, 8}, {16, 16}, false, 3.0},
};

// The kernels differ at fractional ratios (stb's box is a trapezoid there),
// so only a whole-number reduction must agree to rounding; the others must
// stay close on the smooth test picture, which a broken call would not.
constexpr int kExactTolerance = 1;
constexpr int kLooseTolerance = 24;
constexpr double kLooseMean = 2.0;

struct StretchInputs {
  Extent from, to;
  ImagePtr src, dst;
  std::vector<unsigned char> peerOut;
  std::string error;

  StretchInputs(Extent f, Extent t, int bpp) : from(f), to(t) {
    src = MakeImage(f, bpp);
    dst = MakeImage(t, bpp);
    if (!src || !dst) {
      error = "the library could not create the images";
      return;
    }
    FillSmooth(src->Bits, f, Stride(*src), bpp, 31);
    peerOut.assign(PixelBytes(*dst), 0);
  }
  int Ours() { return dst->StretchImage(src.get(), 0); }
  int Peer() {
    // Memory order on both sides: the peer reads our rows as they lie.
    return stbir_resize_uint8_generic(src->Bits, from.width, from.height, static_cast<int>(Stride(*src)),
                                      peerOut.data(), to.width, to.height, static_cast<int>(Stride(*dst)),
                                      BytesPerPixel(*src), STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                      STBIR_FILTER_BOX, STBIR_COLORSPACE_LINEAR, nullptr);
  }
};

void AddScaling(const Scaling& s, int bpp) {
  std::vector<std::pair<Extent, Extent>> cases;
  if (SmokeMode()) {
    cases = {{s.smoke, s.smokeTo}};
  } else {
    cases = {{s.large, s.largeTo}, {s.small, s.smallTo}};
  }
  const bool whole = s.wholeRatio;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Extent from = cases[i].first, to = cases[i].second;
    const std::string row =
        "StretchImage_" + std::to_string(bpp * 8) + "_" + s.what + "_" + SizeName(from) + "_to_" + SizeName(to);
    // Rows of the first case go with the 1920 x 1080 table, of the second
    // with the 256 x 256 one.
    const std::string size = SmokeMode() ? SizeName(to) : i == 0 ? "1920x1080" : "256x256";
    const std::size_t srcBytes = StrideOf(from.width, bpp) * from.height,
                      dstBytes = StrideOf(to.width, bpp) * to.height;
    AddOurs(
        row, size,
        [=](benchmark::State& state) {
          StretchInputs in(from, to, bpp);
          if (!in.error.empty()) return Fail(state, in.error);
          TimeCalls(state, "StretchImage", to.Pixels(), [&] { return in.Ours(); });
        },
        Traffic{srcBytes, dstBytes, dstBytes});
    AddPeer(row, "stbir_box", size, s.target, [=](benchmark::State& state) {
      StretchInputs in(from, to, bpp);
      if (!in.error.empty()) return Fail(state, in.error);
      const int code = in.Ours();
      if (!in.Peer()) return Fail(state, "stbir_resize_uint8_generic failed");
      const Difference d =
          Compare(MemoryOrder(*in.dst),
                  PixelPlane{in.peerOut.data(), static_cast<std::ptrdiff_t>(Stride(*in.dst)), bpp}, to, bpp);
      const bool agree = whole ? d.largest <= kExactTolerance : d.largest <= kLooseTolerance && d.mean <= kLooseMean;
      if (code != ERR_NONE || !agree)
        return Fail(state, "StretchImage (code " + std::to_string(code) + ") and stb disagree: " + Describe(d));
      for (auto _ : state) {
        if (!in.Peer()) return Fail(state, "stbir_resize_uint8_generic failed");
        benchmark::ClobberMemory();
      }
      CountPixels(state, to.Pixels());
    });
  }
}

void Register() {
  for (const Scaling& s : kScalings) {
    AddScaling(s, 3);
    AddScaling(s, 4);
  }
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
