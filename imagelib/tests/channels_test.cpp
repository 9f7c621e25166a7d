// Channel remapping: the channel map's records, and every selector on both
// depths against the mapping it encodes.
#include "../src/channels.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using testing_support::FillRandom;
using testing_support::ImagePtr;
using testing_support::MakeImage;
using testing_support::PixelAt;
using testing_support::PixelMemory;
using testing_support::Rng;
using Bytes = std::vector<unsigned char>;

namespace {

using testing_support::Geo;
using testing_support::GeoOf;
using testing_support::Offset;

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

TEST(ChannelMap, TellingRecords) {
  using Record = pixolan::ChannelRecord;
  const std::vector<std::pair<int, Record>> expected = {
      {27, {0x0a, 0x1b, 0, 0, 0, 0, 0, 0}},  {0, {0x03, 0x03, 1, 2, 3, 0, 0, 0}},
      {1, {0x03, 0x03, 2, 3, 1, 0, 1, 0}},   {12, {0x03, 0x0b, 1, 2, 3, 0, 3, 0}},
      {11, {0x00, 0x0b, 1, 0, 0, 0, 0, 0}},  {14, {0x04, 0x0b, 2, 3, 1, 0, 0, 0}},
      {147, {0x02, 0x93, 0, 2, 0, 0, 0, 0}}, {228, {0x07, 0x27, 0, 1, 3, 2, 0, 0}},
      {99, {0x05, 0x63, 0, 1, 2, 0, 0, 0}},  {96, {0x08, 0x63, 0, 1, 2, 3, 0, 0}},
      {108, {0x09, 0x6b, 0, 1, 2, 3, 0, 0}}, {64, {0x06, 0x43, 0, 1, 2, 3, 0, 0}},
      {255, {0x03, 0x1b, 0, 1, 2, 3, 3, 3}},
  };
  for (const auto& [selector, record] : expected) EXPECT_EQ(pixolan::ChannelMapTable[selector], record) << selector;
}

TEST(ChannelMap, RecordsPerPrimitiveAndUnusedParameters) {
  const int records[11] = {12, 48, 6, 64, 36, 8, 48, 3, 24, 6, 1};
  const int parameters[11] = {2, 4, 2, 6, 4, 3, 6, 4, 5, 4, 0};
  int counted[11] = {};
  for (int s = 0; s < 256; ++s) {
    const pixolan::ChannelRecord& r = pixolan::ChannelMapTable[s];
    ASSERT_LT(r[0], 11) << s;
    ++counted[r[0]];
    for (int b = 2 + parameters[r[0]]; b < 8; ++b) EXPECT_EQ(r[b], 0) << s << " byte " << b;
    // The 24-bit selector keeps alpha and leads to records that never name it.
    const pixolan::ChannelRecord& narrow = pixolan::ChannelMapTable[r[1]];
    EXPECT_EQ(r[1] & 3, 3) << s;
    for (int b = 2; b < 2 + parameters[narrow[0]]; ++b) EXPECT_LT(narrow[b], 3) << s;
  }
  for (int op = 0; op < 11; ++op) EXPECT_EQ(counted[op], records[op]) << "op " << op;
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

// The same through the primitive and parameters of each record, as
// ChangeChannels uses them where it does not shuffle whole pixels.
TEST(ChannelPrimitives, EveryRecordPerformsItsMapping) {
  using Primitive = void (ZEMADisplayFCDIB::*)(unsigned char*, long, long, unsigned char*);
  const Primitive byOp[10] = {&ZEMADisplayFCDIB::ChangeChannelsC,   &ZEMADisplayFCDIB::ChangeChannelsCC,
                              &ZEMADisplayFCDIB::ChangeChannelsS,   &ZEMADisplayFCDIB::ChangeChannelsCCC,
                              &ZEMADisplayFCDIB::ChangeChannelsSC,  &ZEMADisplayFCDIB::ChangeChannelsR,
                              &ZEMADisplayFCDIB::ChangeChannelsSCC, &ZEMADisplayFCDIB::ChangeChannelsSS,
                              &ZEMADisplayFCDIB::ChangeChannelsRC,  &ZEMADisplayFCDIB::ChangeChannelsA};
  Rng rng(13);
  for (int bpp : {24, 32}) {
    for (int selector = 0; selector < 256; ++selector) {
      ImagePtr img = MakeImage(1 + rng.Below(9), 1 + rng.Below(5), bpp);
      FillRandom(*img, rng.Next());
      const Geo g = GeoOf(*img);
      const long x0 = rng.Below(g.w), y0 = rng.Below(g.h);
      const long w = 1 + rng.Below(g.w - x0), h = 1 + rng.Below(g.h - y0);
      const Bytes expected = Remapped(PixelMemory(*img), g, x0, y0, w, h, selector);
      pixolan::ChannelRecord record =
          pixolan::ChannelMapTable[bpp == 24 ? pixolan::ChannelMapTable[selector][1] : selector];
      if (record[0] != pixolan::kOpNone)
        (img.get()->*byOp[record[0]])(img->Bits + Offset(g, x0, y0), w, h, record.data() + 2);
      ASSERT_EQ(PixelMemory(*img), expected) << "selector " << selector << ", " << bpp << " bits";
    }
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
