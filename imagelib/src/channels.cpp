// Channel remapping: ChangeChannels and the per-pixel primitives it picks
// from the channel map.
#include "channels.h"
#include "clip.h"
#include "cpu_features.h"

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

#if defined(PIXOLAN_SHUFFLE_LOOPS)
// Any mapping at once: out[k] = old[map[k]] for the bytes of every pixel of
// the rectangle, by byte shuffles over whole blocks of pixels; the rest of
// each row goes pixel by pixel. Every byte read and written lies inside the
// rectangle's row.

template <int BPP>
void RemapPixels(unsigned char* p, long count, const unsigned char* map) {
  for (; count > 0; --count, p += BPP) {
    unsigned char old[BPP];
    std::memcpy(old, p, BPP);
    for (int k = 0; k < BPP; ++k) p[k] = old[map[k]];
  }
}

// 32 bits, 4 pixels per 16 bytes.
PIXOLAN_TARGET_SSSE3 void ShuffleRows32(unsigned char* first, long width, long height, std::ptrdiff_t stride,
                                        const unsigned char* map) {
  alignas(16) unsigned char pattern[16];
  for (int i = 0; i < 16; ++i) pattern[i] = static_cast<unsigned char>((i & ~3) + map[i & 3]);
  const __m128i mask = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern));
  for (long y = 0; y < height; ++y, first -= stride) {
    unsigned char* p = first;
    long x = 0;
    for (; width - x >= 4; x += 4, p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(v, mask));
    }
    RemapPixels<4>(p, width - x, map);
  }
}

// 32 bits, 8 pixels per 32 bytes (the shuffle works within each 16-byte half).
PIXOLAN_TARGET_AVX2 void ShuffleRows32Wide(unsigned char* first, long width, long height, std::ptrdiff_t stride,
                                           const unsigned char* map) {
  alignas(32) unsigned char pattern[32];
  for (int i = 0; i < 32; ++i) pattern[i] = static_cast<unsigned char>((i & 12) + map[i & 3]);
  const __m256i mask = _mm256_load_si256(reinterpret_cast<const __m256i*>(pattern));
  for (long y = 0; y < height; ++y, first -= stride) {
    unsigned char* p = first;
    long x = 0;
    for (; width - x >= 8; x += 8, p += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_shuffle_epi8(v, mask));
    }
    RemapPixels<4>(p, width - x, map);
  }
}

// 24 bits, 5 pixels per 16 bytes; the 16th byte (the next pixel's first) is
// mapped to itself. One window ends where the next begins, so the next one
// is read before this one is written back.
PIXOLAN_TARGET_SSSE3 void ShuffleRows24(unsigned char* first, long width, long height, std::ptrdiff_t stride,
                                        const unsigned char* map) {
  alignas(16) unsigned char pattern[16];
  for (int i = 0; i < 16; ++i) pattern[i] = static_cast<unsigned char>(i == 15 ? 15 : i - i % 3 + map[i % 3]);
  const __m128i mask = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern));
  for (long y = 0; y < height; ++y, first -= stride) {
    unsigned char* p = first;
    long x = 0;
    if (width >= 6) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      for (;;) {
        x += 5;
        const bool more = width - x >= 6;
        __m128i next = v;
        if (more) next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 15));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(v, mask));
        p += 15;
        if (!more) break;
        v = next;
      }
    }
    RemapPixels<3>(p, width - x, map);
  }
}
#endif

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
  // The map has 256 records; any other selector names no mapping.
  if (Selector < 0 || Selector > 255) return ErrorCode = ERR_UNSUPPORTED_COMMAND;

  Region r;
  if (!ClippedRegion(*this, WholeImage, r)) return ErrorCode;
  if (BitmapInfo.bmiHeader.biBitCount == 24) Selector = ChannelMapTable[Selector][1];
  if (Selector == 27) return ErrorCode;  // nothing changes

#if defined(PIXOLAN_SHUFFLE_LOOPS)
  // Where the processor can shuffle bytes, the mapping itself is applied,
  // which gives the same result as the record's primitive.
  const Simd simd = WidestSimd();
  if (simd != Simd::kBaseline) {
    const unsigned char map[4] = {
        static_cast<unsigned char>(Selector >> 6 & 3), static_cast<unsigned char>(Selector >> 4 & 3),
        static_cast<unsigned char>(Selector >> 2 & 3), static_cast<unsigned char>(Selector & 3)};
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(Stride(*this));
    if (BytesPerPixel(*this) == 3)
      ShuffleRows24(r.first, r.cols, r.rows, stride, map);
    else if (simd == Simd::kAvx2)
      ShuffleRows32Wide(r.first, r.cols, r.rows, stride, map);
    else
      ShuffleRows32(r.first, r.cols, r.rows, stride, map);
    return ErrorCode;
  }
#endif

  ChannelRecord rec = ChannelMapTable[Selector];
  unsigned char* params = rec.data() + 2;
  switch (rec[0]) {
    case kOpC:
      ChangeChannelsC(r.first, r.cols, r.rows, params);
      break;
    case kOpCC:
      ChangeChannelsCC(r.first, r.cols, r.rows, params);
      break;
    case kOpS:
      ChangeChannelsS(r.first, r.cols, r.rows, params);
      break;
    case kOpCCC:
      ChangeChannelsCCC(r.first, r.cols, r.rows, params);
      break;
    case kOpSC:
      ChangeChannelsSC(r.first, r.cols, r.rows, params);
      break;
    case kOpR:
      ChangeChannelsR(r.first, r.cols, r.rows, params);
      break;
    case kOpSCC:
      ChangeChannelsSCC(r.first, r.cols, r.rows, params);
      break;
    case kOpSS:
      ChangeChannelsSS(r.first, r.cols, r.rows, params);
      break;
    case kOpRC:
      ChangeChannelsRC(r.first, r.cols, r.rows, params);
      break;
    case kOpA:
      ChangeChannelsA(r.first, r.cols, r.rows, params);
      break;
    default:
      break;  // kOpNone
  }
  return ErrorCode;
}
