// Channel remapping: every selector on both depths against the mapping it
// encodes, and the ten exported primitives.
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

using namespace testing_support;  // the suites' shared helpers
using Bytes = std::vector<unsigned char>;

namespace {

// The pixel memory after applying `selector` to the rectangle (x0, y0, w, h):
// channel X takes the old value of channel src(X). A 24-bit pixel has no
// alpha, so a colour whose field names alpha keeps its own value.
Bytes Remapped(const Bytes& before, const Geo& g, long x0, long y0, long w, long h, int selector) {
  Bytes out = before;
  int src[4] = {(selector >> 6) & 3, (selector >> 4) & 3, (selector >> 2) & 3, selector & 3};
  for (int c = 0; c < g.bpp; ++c)
    if (src[c] >= g.bpp) src[c] = c;
  for (long y = y0; y < y0 + h; ++y)
    for (long x = x0; x < x0 + w; ++x) {
      const std::size_t at = Offset(g, x, y);
      for (int c = 0; c < g.bpp; ++c) out[at + c] = before[at + src[c]];
    }
  return out;
}

TEST(ChangeChannels, WorkedExamples) {
  struct Case {
    int selector;
    Bytes in, out;
  };
  for (const Case& c : std::vector<Case>{{147, {10, 20, 30, 40}, {30, 20, 10, 40}},
                                         {147, {10, 20, 30}, {30, 20, 10}},
                                         {228, {10, 20, 30, 40}, {40, 30, 20, 10}},
                                         {228, {10, 20, 30}, {10, 30, 20}},
                                         {1, {10, 20, 30, 40}, {10, 10, 10, 20}},
                                         {192, {10, 20, 30}, {10, 10, 10}},
                                         {27, {10, 20, 30, 40}, {10, 20, 30, 40}}}) {
    ImagePtr img = MakeImage(1, 1, static_cast<int>(c.in.size()) * 8);
    for (std::size_t k = 0; k < c.in.size(); ++k) img->Bits[k] = c.in[k];
    ASSERT_EQ(img->ChangeChannels(c.selector, 1), ERR_NONE);
    EXPECT_EQ(PixelAt(*img, 0, 0), c.out) << c.selector << " at " << c.in.size() * 8 << " bits";
  }
}

// Every selector on both depths, on the whole image and on views of odd and
// even widths up to 40, past the widest blocks (16 pixels): the pixels inside
// change as the mapping says, no other byte (padding, pixels outside the
// view, the spare row) changes at all.
TEST(ChangeChannels, EverySelectorOnBothDepthsMatchesItsMapping) {
  Rng rng(9);
  for (int bpp : {24, 32}) {
    for (int selector = 0; selector < 256; ++selector) {
      for (int whole : {1, 0}) {
        ImagePtr img = MakeImage(1 + rng.Below(40), 1 + rng.Below(6), bpp);
        FillRandom(*img, rng.Next());
        const Geo g = GeoOf(*img);
        img->SetViewOrigin(POINT{static_cast<LONG>(rng.Below(g.w)), static_cast<LONG>(rng.Below(g.h))});
        img->SetViewSize(SIZE{1 + rng.Below(g.w), 1 + rng.Below(g.h)});
        const Bytes expected = whole ? Remapped(PixelMemory(*img), g, 0, 0, g.w, g.h, selector)
                                     : Remapped(PixelMemory(*img), g, img->ViewOrigin.x, img->ViewOrigin.y,
                                                img->ViewSize.cx, img->ViewSize.cy, selector);
        ASSERT_EQ(img->ChangeChannels(selector, whole), ERR_NONE);
        ASSERT_EQ(PixelMemory(*img), expected) << "selector " << selector << ", " << bpp << " bits, whole " << whole;
      }
    }
  }
}

// Each primitive's steps on one pixel (10, 20, 30, 40), one after the other
// as given (a copy reads what an earlier copy wrote), copies first where a
// primitive also exchanges or rotates.
TEST(ChannelPrimitives, EachPerformsItsSteps) {
  using Primitive = void (ZEMADisplayFCDIB::*)(unsigned char*, long, long, unsigned char*);
  struct Case {
    Primitive primitive;
    std::array<unsigned char, 6> params;
    Bytes out;
  };
  for (const Case& c : std::vector<Case>{{&ZEMADisplayFCDIB::ChangeChannelsC, {1, 0}, {10, 10, 30, 40}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsCC, {2, 3, 0, 2}, {10, 20, 10, 10}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsCCC, {2, 3, 1, 1, 2, 0}, {10, 10, 20, 20}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsS, {0, 3}, {40, 20, 30, 10}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsSC, {0, 1, 3, 0}, {20, 10, 30, 10}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsSCC, {0, 1, 2, 3, 0, 2}, {20, 10, 10, 10}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsSS, {0, 1, 3, 2}, {40, 30, 20, 10}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsR, {0, 1, 2}, {20, 30, 10, 40}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsRC, {0, 1, 2, 3, 0}, {20, 30, 10, 10}},
                                         {&ZEMADisplayFCDIB::ChangeChannelsA, {0, 1, 2, 3}, {20, 30, 40, 10}}}) {
    ImagePtr img = MakeImage(1, 1, 32);
    const unsigned char in[4] = {10, 20, 30, 40};
    std::copy(in, in + 4, img->Bits);
    std::array<unsigned char, 6> params = c.params;
    (img.get()->*c.primitive)(img->Bits, 1, 1, params.data());
    EXPECT_EQ(PixelAt(*img, 0, 0), c.out);
  }
}

TEST(ChangeChannels, RefusalsAndFailedImages) {
  ImagePtr img = MakeImage(5, 3, 32);
  FillRandom(*img, 10);
  const Bytes before = PixelMemory(*img);
  for (int selector : {256, -1, 1000, -2147483647 - 1}) {
    ImagePtr other = MakeImage(5, 3, 24);
    EXPECT_EQ(other->ChangeChannels(selector, 1), ERR_UNSUPPORTED_COMMAND) << selector;
  }
  EXPECT_EQ(img->ChangeChannels(256, 1), ERR_UNSUPPORTED_COMMAND);
  EXPECT_EQ(PixelMemory(*img), before);
  // The code sticks: later valid selectors change nothing either.
  EXPECT_EQ(img->ChangeChannels(147, 1), ERR_UNSUPPORTED_COMMAND);
  EXPECT_EQ(PixelMemory(*img), before);
}

TEST(ChangeChannels, PartOfAViewOutsideTheImageIsLeftAlone) {
  ImagePtr img = MakeImage(6, 5, 24);
  FillRandom(*img, 11);
  const Bytes before = PixelMemory(*img);
  img->ViewOrigin = POINT{-2, 3};
  img->ViewSize = SIZE{4, 7};
  ASSERT_EQ(img->ChangeChannels(147, 0), ERR_NONE);
  EXPECT_EQ(PixelMemory(*img), Remapped(before, GeoOf(*img), 0, 3, 2, 2, 147));
}

// The primitives work on any rectangle given by its top-left pixel; an
// extent of 0 or below does nothing.
TEST(ChannelPrimitives, WorkOnTheGivenRectangleOnly) {
  for (int bpp : {24, 32}) {
    ImagePtr img = MakeImage(7, 6, bpp);
    FillRandom(*img, 12);
    const Geo g = GeoOf(*img);
    Bytes before = PixelMemory(*img);
    unsigned char reverse[6] = {0, 1, 2, 1, 0, 0};  // R: blue takes green, green red, red blue
    img->ChangeChannelsR(img->Bits + Offset(g, 2, 1), 3, 4, reverse);
    EXPECT_EQ(PixelMemory(*img), Remapped(before, g, 2, 1, 3, 4, 0x63));

    before = PixelMemory(*img);
    unsigned char swap[6] = {0, 2, 0, 0, 0, 0};
    for (auto [w, h] : std::vector<std::pair<long, long>>{{0, 3}, {3, 0}, {-1, 2}, {2, -5}}) {
      img->ChangeChannelsS(img->Bits + Offset(g, 1, 1), w, h, swap);
      img->ChangeChannelsSS(img->Bits + Offset(g, 1, 1), w, h, swap);
      img->ChangeChannelsA(img->Bits + Offset(g, 1, 1), w, h, swap);
    }
    EXPECT_EQ(PixelMemory(*img), before);
  }
}

}  // namespace
