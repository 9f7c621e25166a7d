// Channel remapping: ChangeChannels, which applies a mapping (channels.h) with
// the remapping kernel, and the ten exported per-pixel primitives, each a
// fixed sequence of channel copies, exchanges and rotations.
#include "channels.h"
#include "clip.h"
#include "kernels.h"

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

void ZEMADisplayFCDIB::ChangeChannelsS(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsS{Params[0], Params[1]});
}

void ZEMADisplayFCDIB::ChangeChannelsSC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsSC{Params[0], Params[1], Params[2], Params[3]});
}

void ZEMADisplayFCDIB::ChangeChannelsSCC(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsSCC{Params[0], Params[1], Params[2], Params[3], Params[4], Params[5]});
}

void ZEMADisplayFCDIB::ChangeChannelsSS(unsigned char* First, long Width, long Height, unsigned char* Params) {
  Apply(*this, First, Width, Height, StepsSS{Params[0], Params[1], Params[2], Params[3]});
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
  // There are 256 mappings; any other selector names none.
  if (Selector < 0 || Selector > 255) return ErrorCode = ERR_UNSUPPORTED_COMMAND;

  Region r;
  if (!ClippedRegion(*this, WholeImage, r)) return ErrorCode;
  const int bpp = BytesPerPixel(*this);
  const std::array<unsigned char, 4> source = ChannelSources(Selector, bpp);
  if (KeepsEveryChannel(source)) return ErrorCode;
  ActiveKernels().remap[bpp == 4](r.first, r.cols, r.rows, static_cast<std::ptrdiff_t>(Stride(*this)), source.data());
  return ErrorCode;
}
