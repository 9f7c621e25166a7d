// Channel remapping: ChangeChannels and the per-pixel primitives it picks
// from the channel map.
#include "channels.h"
#include "internal.h"

#include <cstring>

using namespace pixolan;

namespace {

// Runs `op` on every pixel of a rectangle whose top-left pixel is `first`;
// the next row down lies one stride lower. Signed counters: an extent of 0
// or below does nothing.
template <int BPP, class Op>
void EachPixel(unsigned char* first, long width, long height, std::ptrdiff_t stride, Op op) {
  for (long y = 0; y < height; ++y, first -= stride) {
    unsigned char* p = first;
    for (long x = 0; x < width; ++x, p += BPP) op(p);
  }
}

// The same over 32-bit pixels taken as little-endian words, two at a time in
// 64 bits and an odd last one alone. `op` maps a word to its new value and
// must keep each pixel's bytes within its own 32-bit lane.
template <class Op>
void EachWord(unsigned char* first, long width, long height, std::ptrdiff_t stride, Op op) {
  for (long y = 0; y < height; ++y, first -= stride) {
    unsigned char* p = first;
    long x = width;
    for (; x >= 2; x -= 2, p += 8) {
      std::uint64_t v;
      std::memcpy(&v, p, 8);
      v = op(v);
      std::memcpy(p, &v, 8);
    }
    if (x == 1) {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      v = op(v);
      std::memcpy(p, &v, 4);
    }
  }
}

template <class T>
constexpr T LowByteOfEachPixel() {
  return static_cast<T>(0x000000FF000000FFull);
}

// Exchanges bytes a and b of every pixel in a word.
template <class T>
inline T SwapBytes(T v, unsigned a, unsigned b) {
  const unsigned sa = 8 * (a & 3), sb = 8 * (b & 3);
  const T t = ((v >> sa) ^ (v >> sb)) & LowByteOfEachPixel<T>();
  return v ^ (t << sa) ^ (t << sb);
}

inline std::uint32_t ReverseBytes(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
inline std::uint64_t ReverseBytes(std::uint64_t v) {
  return ReverseBytes(static_cast<std::uint32_t>(v)) |
         static_cast<std::uint64_t>(ReverseBytes(static_cast<std::uint32_t>(v >> 32))) << 32;
}

// The channel steps of each primitive, on one pixel `ch`.
struct StepsC {
  unsigned p0, p1;
  void operator()(unsigned char* ch) const { ch[p0] = ch[p1]; }
};
struct StepsCC {
  unsigned p0, p1, p2, p3;
  void operator()(unsigned char* ch) const {
    ch[p0] = ch[p2];
    ch[p1] = ch[p3];
  }
};
struct StepsCCC {
  unsigned p0, p1, p2, p3, p4, p5;
  void operator()(unsigned char* ch) const {
    ch[p0] = ch[p3];
    ch[p1] = ch[p4];
    ch[p2] = ch[p5];
  }
};
struct StepsS {
  unsigned p0, p1;
  void operator()(unsigned char* ch) const {
    const unsigned char t = ch[p0];
    ch[p0] = ch[p1];
    ch[p1] = t;
  }
};
struct StepsSC {
  unsigned p0, p1, p2, p3;
  void operator()(unsigned char* ch) const {
    ch[p2] = ch[p3];
    StepsS{p0, p1}(ch);
  }
};
struct StepsSCC {
  unsigned p0, p1, p2, p3, p4, p5;
  void operator()(unsigned char* ch) const {
    ch[p2] = ch[p4];
    ch[p3] = ch[p5];
    StepsS{p0, p1}(ch);
  }
};
struct StepsSS {
  unsigned p0, p1, p2, p3;
  void operator()(unsigned char* ch) const {
    StepsS{p0, p2}(ch);
    StepsS{p1, p3}(ch);
  }
};
struct StepsR {
  unsigned p0, p1, p2;
  void operator()(unsigned char* ch) const {
    const unsigned char t = ch[p0];
    ch[p0] = ch[p1];
    ch[p1] = ch[p2];
    ch[p2] = t;
  }
};
struct StepsRC {
  unsigned p0, p1, p2, p3, p4;
  void operator()(unsigned char* ch) const {
    ch[p3] = ch[p4];
    StepsR{p0, p1, p2}(ch);
  }
};
struct StepsA {
  unsigned p0, p1, p2, p3;
  void operator()(unsigned char* ch) const {
    const unsigned char t = ch[p0];
    ch[p0] = ch[p1];
    ch[p1] = ch[p2];
    ch[p2] = ch[p3];
    ch[p3] = t;
  }
};

template <class Steps>
void Apply(const ZEMADisplayFCDIB& img, unsigned char* first, long width, long height, Steps steps) {
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(img));
  if (BytesPerPixel(img) == 3)
    EachPixel<3>(first, width, height, stride, steps);
  else
    EachPixel<4>(first, width, height, stride, steps);
}

}  // namespace

void ZEMADisplayFCDIB::ChangeChannelsC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsC{Params[0], Params[1]});
}

void ZEMADisplayFCDIB::ChangeChannelsCC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsCC{Params[0], Params[1], Params[2], Params[3]});
}

void ZEMADisplayFCDIB::ChangeChannelsCCC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsCCC{Params[0], Params[1], Params[2], Params[3], Params[4], Params[5]});
}

// Exchanging two channels of 32-bit pixels is a whole-word operation, the
// most common remapping (blue and red) among them.
void ZEMADisplayFCDIB::ChangeChannelsS(unsigned char* First, long Width, long Height, unsigned char* Params) {
  const unsigned a = Params[0], b = Params[1];
  if (BytesPerPixel(*this) == 4)
    EachWord(First, Width, Height, static_cast<std::ptrdiff_t>(Stride(*this)),
             [a, b](auto v) { return SwapBytes(v, a, b); });
  else
    Apply(*this, First, Width, Height, StepsS{a, b});
}

void ZEMADisplayFCDIB::ChangeChannelsSC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsSC{Params[0], Params[1], Params[2], Params[3]});
}

void ZEMADisplayFCDIB::ChangeChannelsSCC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsSCC{Params[0], Params[1], Params[2], Params[3], Params[4], Params[5]});
}

// Two exchanges of 32-bit pixels in whole words; blue with alpha and green
// with red reverses the byte order.
void ZEMADisplayFCDIB::ChangeChannelsSS(unsigned char* First, long Width, long Height, unsigned char* Params) {
  const unsigned a = Params[0], b = Params[1], c = Params[2], d = Params[3];
  if (BytesPerPixel(*this) != 4) {
    Apply(*this, First, Width, Height, StepsSS{a, b, c, d});
    return;
  }
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
  const auto pair = [](unsigned x, unsigned y) { return x < y ? (x & 3) * 4 + (y & 3) : (y & 3) * 4 + (x & 3); };
  const unsigned first = pair(a, c), second = pair(b, d);
  if ((first == 3 && second == 6) || (first == 6 && second == 3))  // {0, 3} and {1, 2}
    EachWord(First, Width, Height, stride, [](auto v) { return ReverseBytes(v); });
  else
    EachWord(First, Width, Height, stride, [a, b, c, d](auto v) { return SwapBytes(SwapBytes(v, a, c), b, d); });
}

void ZEMADisplayFCDIB::ChangeChannelsR(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsR{Params[0], Params[1], Params[2]});
}

void ZEMADisplayFCDIB::ChangeChannelsRC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsRC{Params[0], Params[1], Params[2], Params[3], Params[4]});
}

void ZEMADisplayFCDIB::ChangeChannelsA(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsA{Params[0], Params[1], Params[2], Params[3]});
}

int ZEMADisplayFCDIB::ChangeChannels(int Selector, int WholeImage) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  // The map has 256 records; any other selector names no mapping.
  if (Selector < 0 || Selector > 255) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  if (Bits == nullptr) return ErrorCode;  // a failed image whose code a client cleared

  const Region r = SelectRegion(*this, WholeImage);
  if (BitmapInfo.bmiHeader.biBitCount == 24) Selector = ChannelMapTable[Selector][1];
  ChannelRecord rec = ChannelMapTable[Selector];
  unsigned char* params = rec.data() + 2;
  switch (rec[0]) {
    case kOpC: ChangeChannelsC(r.first, r.cols, r.rows, params); break;
    case kOpCC: ChangeChannelsCC(r.first, r.cols, r.rows, params); break;
    case kOpS: ChangeChannelsS(r.first, r.cols, r.rows, params); break;
    case kOpCCC: ChangeChannelsCCC(r.first, r.cols, r.rows, params); break;
    case kOpSC: ChangeChannelsSC(r.first, r.cols, r.rows, params); break;
    case kOpR: ChangeChannelsR(r.first, r.cols, r.rows, params); break;
    case kOpSCC: ChangeChannelsSCC(r.first, r.cols, r.rows, params); break;
    case kOpSS: ChangeChannelsSS(r.first, r.cols, r.rows, params); break;
    case kOpRC: ChangeChannelsRC(r.first, r.cols, r.rows, params); break;
    case kOpA: ChangeChannelsA(r.first, r.cols, r.rows, params); break;
    default: break;  // kOpNone
  }
  return ErrorCode;
}
