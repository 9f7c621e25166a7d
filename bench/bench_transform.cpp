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

// What one run of an operation does to the picture: where each pixel comes
// from, and how its channels are rearranged (selector 147 exchanges blue and
// red, 228 reverses the four bytes, anything else keeps them).
struct Motion {
  bool mirrorX;
  bool mirrorY;
  int selector;
};

// Whether the image, after one run, holds the pixels `before` (top-down,
// without padding) moved as `m` says.
bool Moved(const ZEMADisplayFCDIB& img, const std::vector<unsigned char>& before, Extent e, Motion m) {
  const int bpp = BytesPerPixel(img);
  const PixelPlane now = TopDown(img);
  unsigned char want[4];
  for (int y = 0; y < e.height; ++y) {
    for (int x = 0; x < e.width; ++x) {
      const int sx = m.mirrorX ? e.width - 1 - x : x, sy = m.mirrorY ? e.height - 1 - y : y;
      std::memcpy(want, before.data() + (static_cast<std::size_t>(sy) * e.width + sx) * bpp, bpp);
      if (m.selector == 147) std::swap(want[0], want[2]);
      if (m.selector == 228) std::reverse(want, want + bpp);
      if (std::memcmp(want, now.first + y * now.stride + x * bpp, bpp) != 0) return false;
    }
  }
  return true;
}

using Operation = std::function<int(ZEMADisplayFCDIB&)>;

void AddInPlaceRow(const std::string& row, int bpp, double target, Operation op, Motion motion) {
  for (Extent e : StandardSizes()) {
    // In place: every byte is read and written back.
    const std::size_t bytes = StrideOf(e.width, bpp) * e.height;
    AddOurs(
        row, SizeName(e),
        [=](benchmark::State& state) {
          ImagePtr img = MakeImage(e, bpp);
          if (!img) return Fail(state, "the library could not create the image");
          FillRandom(img->Bits, PixelBytes(*img), 51);
          std::vector<unsigned char> before(static_cast<std::size_t>(e.Pixels()) * bpp);
          const PixelPlane plane = TopDown(*img);
          for (int y = 0; y < e.height; ++y)
            std::memcpy(before.data() + static_cast<std::size_t>(y) * e.width * bpp, plane.first + y * plane.stride,
                        static_cast<std::size_t>(e.width) * bpp);
          const int code = op(*img);
          if (code != ERR_NONE || !Moved(*img, before, e, motion))
            return Fail(state, "the operation moved the pixels wrongly (code " + std::to_string(code) + ")");
          TimeCalls(state, "the operation", e.Pixels(), [&] { return op(*img); });
        },
        Traffic{bytes, bytes, 0});
    AddPeer(row, "memcpy", SizeName(e), target,
            [=](benchmark::State& state) { MemcpyLoop(state, StrideOf(e.width, bpp) * e.height, e.Pixels()); });
  }
}

void Register() {
  for (int bpp : {4, 3}) {
    const std::string depth = std::to_string(bpp * 8);
    AddInPlaceRow(
        "TurnImageUD_" + depth, bpp, 0.5, [](ZEMADisplayFCDIB& img) { return img.TurnImageUD(1); },
        Motion{false, true, 27});
    AddInPlaceRow(
        "TurnImageLR_" + depth, bpp, 0.7, [](ZEMADisplayFCDIB& img) { return img.TurnImageLR(1); },
        Motion{true, false, 27});
    AddInPlaceRow(
        "TurnImageUDLR_" + depth, bpp, 0.25, [](ZEMADisplayFCDIB& img) { return img.TurnImageUDLR(1); },
        Motion{true, true, 27});
  }
  for (int selector : {147, 228}) {
    AddInPlaceRow(
        "ChangeChannels_" + std::to_string(selector) + "_32", 4, 0.4,
        [selector](ZEMADisplayFCDIB& img) { return img.ChangeChannels(selector, 1); }, Motion{false, false, selector});
  }
  AddInPlaceRow(
      "ChangeChannels_147_24", 3, 0.4, [](ZEMADisplayFCDIB& img) { return img.ChangeChannels(147, 1); },
      Motion{false, false, 147});
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
