// Compositing and fill: PutImage against the other library's OVER operator,
// CopyImage, BltImage and EraseImage against plain memory copies.
//
// The library's alpha byte is a transparency (0 opaque) on straight colours;
// the other library wants opacity on premultiplied colours. Its buffers hold
// the same pictures in its convention, so both produce the same result
// (checked once before the peer is timed) from the same input.
#include "bench_common.h"

#include <pixman.h>

#include <cstring>
#include <string>
#include <vector>

namespace bench {
namespace {

constexpr int kBlendTolerance = 2;  // rounding of premultiplication and of the 50 % mask

// A pixman image over its own copy of a picture.
class PeerImage {
 public:
  PeerImage(pixman_format_code_t format, Extent e, std::size_t stride)
      : words_(stride / 4 * static_cast<std::size_t>(e.height)),
        image_(pixman_image_create_bits(format, e.width, e.height, words_.data(), static_cast<int>(stride))) {}
  ~PeerImage() {
    if (image_) pixman_image_unref(image_);
  }
  PeerImage(const PeerImage&) = delete;
  PeerImage& operator=(const PeerImage&) = delete;

  pixman_image_t* get() const { return image_; }
  unsigned char* bytes() { return reinterpret_cast<unsigned char*>(words_.data()); }

 private:
  std::vector<std::uint32_t> words_;
  pixman_image_t* image_;
};

// Our image's pixels in the peer's convention, same memory order. A 32-bit
// pixel's transparency t becomes opacity 255 - t, and its colours are
// premultiplied by that opacity when `premultiply` is set.
void ToPeer(const ZEMADisplayFCDIB& from, unsigned char* to, bool premultiply) {
  const std::size_t bytes = PixelBytes(from);
  std::memcpy(to, from.Bits, bytes);
  if (BytesPerPixel(from) != 4) return;
  for (std::size_t i = 0; i < bytes; i += 4) {
    const unsigned opacity = 255u - to[i + 3];
    if (premultiply) {
      for (int c = 0; c < 3; ++c) to[i + c] = static_cast<unsigned char>((to[i + c] * opacity + 127) / 255);
    }
    to[i + 3] = static_cast<unsigned char>(opacity);
  }
}

pixman_format_code_t PeerFormat(int bytesPerPixel) { return bytesPerPixel == 4 ? PIXMAN_a8r8g8b8 : PIXMAN_r8g8b8; }

// One PutImage row: source and destination of both sides, same pixels.
struct BlendInputs {
  Extent size;
  unsigned short transparency;
  ImagePtr src, dst;
  std::unique_ptr<PeerImage> peerSrc, peerDst;
  pixman_image_t* peerMask = nullptr;  // the solid 50 % mask for a global transparency
  std::string error;

  // `invisible`: every source pixel gets alpha 255 (wholly transparent).
  BlendInputs(Extent e, int srcBpp, int dstBpp, unsigned short t, bool invisible = false) : size(e), transparency(t) {
    src = MakeImage(e, srcBpp);
    dst = MakeImage(e, dstBpp);
    if (!src || !dst) {
      error = "the library could not create the images";
      return;
    }
    FillRandom(src->Bits, PixelBytes(*src), 11);
    FillRandom(dst->Bits, PixelBytes(*dst), 12);
    if (invisible)
      for (std::size_t i = 3; i < PixelBytes(*src); i += 4) src->Bits[i] = 255;
    peerSrc = std::make_unique<PeerImage>(PeerFormat(srcBpp), e, Stride(*src));
    peerDst = std::make_unique<PeerImage>(PeerFormat(dstBpp), e, Stride(*dst));
    if (!peerSrc->get() || !peerDst->get()) {
      error = "pixman_image_create_bits failed";
      return;
    }
    ToPeer(*src, peerSrc->bytes(), true);
    ToPeer(*dst, peerDst->bytes(), false);
    if (t != 0) {
      // The source's share (256 - T)/256 as a mask value in 1/255, rounded.
      const std::uint16_t keep = static_cast<std::uint16_t>(((256 - t) * 255 + 128) / 256 * 257);
      const pixman_color_t mask = {0, 0, 0, keep};
      peerMask = pixman_image_create_solid_fill(&mask);
      if (!peerMask) error = "pixman_image_create_solid_fill failed";
    }
  }
  ~BlendInputs() {
    if (peerMask) pixman_image_unref(peerMask);
  }

  int Ours() { return dst->PutImage(src.get(), transparency, 1); }
  void Peer() {
    pixman_image_composite32(PIXMAN_OP_OVER, peerSrc->get(), peerMask, peerDst->get(), 0, 0, 0, 0, 0, 0, size.width,
                             size.height);
  }
  // Both destinations after one blend each, in our convention.
  Difference Agreement() const {
    const int bpp = BytesPerPixel(*dst);
    const ChannelMap map = {{0, 1, 2, 3}, {false, false, false, bpp == 4}};
    const PixelPlane peer{peerDst->bytes(), static_cast<std::ptrdiff_t>(Stride(*dst)), bpp};
    return Compare(MemoryOrder(*dst), peer, size, bpp, map);
  }
};

void AddBlendRow(const std::string& row, const std::string& peerName, int srcBpp, int dstBpp, unsigned short t,
                 double target, bool invisible = false) {
  for (Extent e : StandardSizes()) {
    // Both images are read, the destination written.
    const std::size_t srcBytes = StrideOf(e.width, srcBpp) * e.height, dstBytes = StrideOf(e.width, dstBpp) * e.height;
    const Traffic traffic{srcBytes + dstBytes, dstBytes, 0};
    AddOurs(
        row, SizeName(e),
        [=](benchmark::State& state) {
          BlendInputs in(e, srcBpp, dstBpp, t, invisible);
          if (!in.error.empty()) return Fail(state, in.error);
          TimeCalls(state, "PutImage", e.Pixels(), [&] { return in.Ours(); });
        },
        traffic);
    AddPeer(row, peerName, SizeName(e), target, [=](benchmark::State& state) {
      BlendInputs in(e, srcBpp, dstBpp, t, invisible);
      if (!in.error.empty()) return Fail(state, in.error);
      const int code = in.Ours();
      in.Peer();
      const Difference d = in.Agreement();
      if (code != ERR_NONE || d.largest > kBlendTolerance)
        return Fail(state, "PutImage (code " + std::to_string(code) + ") and pixman disagree: " + Describe(d));
      for (auto _ : state) {
        in.Peer();
        benchmark::ClobberMemory();
      }
      CountPixels(state, e.Pixels());
    });
  }
}

// CopyImage or BltImage of a whole image; the peer copies the bytes that the
// copy writes.
void AddCopyRow(const std::string& row, int srcBpp, int dstBpp, bool blt, int keepMask, double target) {
  for (Extent e : StandardSizes()) {
    // A mask that keeps channels reads the destination before it writes it.
    const std::size_t srcBytes = StrideOf(e.width, srcBpp) * e.height, dstBytes = StrideOf(e.width, dstBpp) * e.height;
    const Traffic traffic =
        keepMask != 0 ? Traffic{srcBytes + dstBytes, dstBytes, 0} : Traffic{srcBytes, dstBytes, dstBytes};
    AddOurs(
        row, SizeName(e),
        [=](benchmark::State& state) {
          ImagePtr src = MakeImage(e, srcBpp), dst = MakeImage(e, dstBpp);
          if (!src || !dst) return Fail(state, "the library could not create the images");
          FillRandom(src->Bits, PixelBytes(*src), 21);
          FillRandom(dst->Bits, PixelBytes(*dst), 22);
          const std::vector<unsigned char> before(dst->Bits, dst->Bits + PixelBytes(*dst));
          const int code = blt ? dst->BltImage(src.get(), 0, 0, SRCCOPY) : dst->CopyImage(src.get(), keepMask);
          // The copy must have delivered the source's channels; under mask 8 a
          // 32-bit destination keeps its own alpha bytes.
          const int copied = srcBpp == 4 && dstBpp == 4 && !blt ? 4 : 3;
          Difference d = Compare(TopDown(*src), TopDown(*dst), e, copied);
          if (d.largest == 0 && keepMask == 8) {
            const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*dst));
            d = Compare(PixelPlane{dst->Bits + 3, stride, 4}, PixelPlane{before.data() + 3, stride, 4}, e, 1);
          }
          if (code != ERR_NONE || d.largest != 0)
            return Fail(state, "the copy is wrong (code " + std::to_string(code) + "): " + Describe(d));
          TimeCalls(state, blt ? "BltImage" : "CopyImage", e.Pixels(), [&] {
            return blt ? dst->BltImage(src.get(), 0, 0, SRCCOPY) : dst->CopyImage(src.get(), keepMask);
          });
        },
        traffic);
    AddPeer(row, "memcpy", SizeName(e), target,
            [=](benchmark::State& state) { MemcpyLoop(state, StrideOf(e.width, dstBpp) * e.height, e.Pixels()); });
  }
}

// A fill the plain way: one row of the colour, then copied to every other row.
void FillByRows(unsigned char* bits, Extent e, std::size_t stride, int bpp, const unsigned char* colour) {
  for (int x = 0; x < e.width; ++x) std::memcpy(bits + x * bpp, colour, bpp);
  for (int y = 1; y < e.height; ++y) std::memcpy(bits + y * stride, bits, static_cast<std::size_t>(e.width) * bpp);
}

void AddEraseRow(const std::string& row, int bpp, bool withPixmanPeer) {
  const tagB_BGRA colour = {0x12, 0x34, 0x56, 0x78};
  const unsigned char bytes[4] = {colour.Blue, colour.Green, colour.Red, colour.Alpha};
  for (Extent e : StandardSizes()) {
    const std::size_t imageBytes = StrideOf(e.width, bpp) * e.height;
    AddOurs(
        row, SizeName(e),
        [=](benchmark::State& state) {
          ImagePtr img = MakeImage(e, bpp);
          if (!img) return Fail(state, "the library could not create the image");
          img->EraseImage(colour, 1);
          std::vector<unsigned char> expected(PixelBytes(*img));
          FillByRows(expected.data(), e, Stride(*img), bpp, bytes);
          const PixelPlane want{expected.data(), static_cast<std::ptrdiff_t>(Stride(*img)), bpp};
          const Difference d = Compare(MemoryOrder(*img), want, e, bpp);
          if (d.largest != 0) return Fail(state, "EraseImage left other colours: " + Describe(d));
          for (auto _ : state) {
            img->EraseImage(colour, 1);
            benchmark::ClobberMemory();
          }
          CountPixels(state, e.Pixels());
        },
        Traffic{0, imageBytes, imageBytes});
    AddPeer(row, "rowfill", SizeName(e), 0.5, [=](benchmark::State& state) {
      const std::size_t stride = StrideOf(e.width, bpp);
      std::vector<unsigned char> bits(stride * e.height);
      for (auto _ : state) {
        FillByRows(bits.data(), e, stride, bpp, bytes);
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
      }
      CountPixels(state, e.Pixels());
    });
    if (!withPixmanPeer) continue;
    // The other library has no 24-bit fill routine (pixman_fill refuses 24
    // bits per pixel), so its fill is a SRC composite of a solid colour.
    AddPeer(row, "pixman_src_solid", SizeName(e), 5.0, [=](benchmark::State& state) {
      PeerImage dst(PeerFormat(bpp), e, StrideOf(e.width, bpp));
      const pixman_color_t c = {static_cast<std::uint16_t>(colour.Red * 257),
                                static_cast<std::uint16_t>(colour.Green * 257),
                                static_cast<std::uint16_t>(colour.Blue * 257), 0xFFFF};
      pixman_image_t* solid = pixman_image_create_solid_fill(&c);
      if (!dst.get() || !solid) {
        if (solid) pixman_image_unref(solid);
        return Fail(state, "pixman could not create its images");
      }
      auto fill = [&] {
        pixman_image_composite32(PIXMAN_OP_SRC, solid, nullptr, dst.get(), 0, 0, 0, 0, 0, 0, e.width, e.height);
      };
      fill();
      std::vector<unsigned char> expected(StrideOf(e.width, bpp) * e.height);
      FillByRows(expected.data(), e, StrideOf(e.width, bpp), bpp, bytes);
      const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(StrideOf(e.width, bpp));
      const Difference d =
          Compare(PixelPlane{expected.data(), stride, bpp}, PixelPlane{dst.bytes(), stride, bpp}, e, 3);
      if (d.largest != 0) {
        pixman_image_unref(solid);
        return Fail(state, "pixman's fill left other colours: " + Describe(d));
      }
      for (auto _ : state) {
        fill();
        benchmark::ClobberMemory();
      }
      pixman_image_unref(solid);
      CountPixels(state, e.Pixels());
    });
  }
}

void Register() {
  AddBlendRow("PutImage_32on24_alpha_T0", "pixman_over_8888_0888", 4, 3, 0, 3.0);
  AddBlendRow("PutImage_32on32_alpha_T0", "pixman_over_8888_8888", 4, 4, 0, 1.0);
  AddBlendRow("PutImage_24on24_T128", "pixman_over_0888_mask50_0888", 3, 3, 128, 3.0);
  // Every other pair of depths at T = 0 and 128 must be at least as fast as
  // the peer's same operation, as must a wholly invisible 32-bit source.
  AddBlendRow("PutImage_24on24_T0", "pixman_over_0888_0888", 3, 3, 0, 1.0);
  AddBlendRow("PutImage_24on32_T0", "pixman_over_0888_8888", 3, 4, 0, 1.0);
  AddBlendRow("PutImage_24on32_T128", "pixman_over_0888_mask50_8888", 3, 4, 128, 1.0);
  AddBlendRow("PutImage_32on24_alpha_T128", "pixman_over_8888_mask50_0888", 4, 3, 128, 1.0);
  AddBlendRow("PutImage_32on32_alpha_T128", "pixman_over_8888_mask50_8888", 4, 4, 128, 1.0);
  AddBlendRow("PutImage_32on24_invisible_T128", "pixman_over_8888_mask50_0888", 4, 3, 128, 1.0, true);
  AddBlendRow("PutImage_32on32_invisible_T128", "pixman_over_8888_mask50_8888", 4, 4, 128, 1.0, true);
  AddCopyRow("CopyImage_mask0_24to24", 3, 3, false, 0, 0.7);
  AddCopyRow("CopyImage_mask0_32to32", 4, 4, false, 0, 0.7);
  AddCopyRow("BltImage_SRCCOPY_24to24", 3, 3, true, 0, 0.7);
  AddCopyRow("BltImage_SRCCOPY_32to32", 4, 4, true, 0, 0.7);
  AddCopyRow("CopyImage_mask8_24to32", 3, 4, false, 8, 0.3);
  AddCopyRow("CopyImage_mask0_24to32", 3, 4, false, 0, 0.7);
  AddCopyRow("CopyImage_mask0_32to24", 4, 3, false, 0, 0.7);
  AddEraseRow("EraseImage_24", 3, true);
  AddEraseRow("EraseImage_32", 4, false);
}

const bool registered = AddArea(&Register);

}  // namespace
}  // namespace bench
