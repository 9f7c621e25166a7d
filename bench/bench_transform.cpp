// Orientation and channel remapping, in place on the whole image, against a
// memcpy of the image's bytes (the least any pass over them costs).
#include "bench_common.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace bench {
namespace {

using Operation = std::function<int(ZEMADisplayFCDIB&)>;

// The first pixel of the image (top-left) after one run of the operation,
// given the pixels before it (top-down) and the image's width and height.
using FirstPixel = std::function<std::vector<unsigned char>(const std::vector<unsigned char>& topDown, Extent e,
                                                            int bpp)>;

std::vector<unsigned char> PixelOf(const std::vector<unsigned char>& topDown, Extent e, int bpp, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * e.width + x) * bpp;
  return std::vector<unsigned char>(topDown.begin() + at, topDown.begin() + at + bpp);
}

void AddInPlaceRow(const std::string& row, int bpp, double target, Operation op, FirstPixel expect) {
  for (Extent e : StandardSizes()) {
    AddOurs(row, SizeName(e), [=](benchmark::State& state) {
      ImagePtr img = MakeImage(e, bpp);
      if (!img) return Fail(state, "the library could not create the image");
      FillRandom(img->Bits, PixelBytes(*img), 51);
      // The operation must really move pixels: check the top-left one.
      std::vector<unsigned char> before(static_cast<std::size_t>(e.Pixels()) * bpp);
      const PixelPlane plane = TopDown(*img);
      for (int y = 0; y < e.height; ++y)
        std::memcpy(before.data() + static_cast<std::size_t>(y) * e.width * bpp, plane.first + y * plane.stride,
                    static_cast<std::size_t>(e.width) * bpp);
      const int code = op(*img);
      const std::vector<unsigned char> want = expect(before, e, bpp);
      if (code != ERR_NONE || std::memcmp(want.data(), plane.first, bpp) != 0)
        return Fail(state, "the operation gave a wrong top-left pixel (code " + std::to_string(code) + ")");
      for (auto _ : state) {
        const int r = op(*img);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
      }
      CountPixels(state, e.Pixels());
    });
    AddPeer(row, "memcpy", SizeName(e), target, [=](benchmark::State& state) {
      MemcpyLoop(state, StrideOf(e.width, bpp) * e.height, e.Pixels());
    });
  }
}

// Selector 147 exchanges blue and red; 228 reverses the four bytes.
std::vector<unsigned char> Remapped(std::vector<unsigned char> pixel, int selector) {
  if (selector == 147) std::swap(pixel[0], pixel[2]);
  if (selector == 228) std::reverse(pixel.begin(), pixel.end());
  return pixel;
}

void Register() {
  for (int bpp : {4, 3}) {
    const std::string depth = std::to_string(bpp * 8);
    AddInPlaceRow("TurnImageUD_" + depth, bpp, 0.5, [](ZEMADisplayFCDIB& img) { return img.TurnImageUD(1); },
                  [](const std::vector<unsigned char>& p, Extent e, int b) { return PixelOf(p, e, b, 0, e.height - 1); });
    AddInPlaceRow("TurnImageLR_" + depth, bpp, 0.25, [](ZEMADisplayFCDIB& img) { return img.TurnImageLR(1); },
                  [](const std::vector<unsigned char>& p, Extent e, int b) { return PixelOf(p, e, b, e.width - 1, 0); });
    AddInPlaceRow("TurnImageUDLR_" + depth, bpp, 0.25, [](ZEMADisplayFCDIB& img) { return img.TurnImageUDLR(1); },
                  [](const std::vector<unsigned char>& p, Extent e, int b) {
                    return PixelOf(p, e, b, e.width - 1, e.height - 1);
                  });
  }
  for (int selector : {147, 228}) {
    AddInPlaceRow("ChangeChannels_" + std::to_string(selector) + "_32", 4, 0.4,
                  [selector](ZEMADisplayFCDIB& img) { return img.ChangeChannels(selector, 1); },
                  [selector](const std::vector<unsigned char>& p, Extent e, int b) {
                    return Remapped(PixelOf(p, e, b, 0, 0), selector);
                  });
  }
  AddInPlaceRow("ChangeChannels_147_24", 3, 0.4, [](ZEMADisplayFCDIB& img) { return img.ChangeChannels(147, 1); },
                [](const std::vector<unsigned char>& p, Extent e, int b) { return Remapped(PixelOf(p, e, b, 0, 0), 147); });
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
