// The 256 channel mappings of ChangeChannels, described once: the shuffle
// patterns of the vector kernels and the plain loop (kernels.h, remap) are
// both made from the sources this gives.
//
// A selector holds four 2-bit fields, blue in bits 7-6, green 5-4, red 3-2,
// alpha 1-0; each names the channel (0 blue, 1 green, 2 red, 3 alpha) whose
// old value that channel receives.
#pragma once

#include <array>

namespace pixolan {

// Every channel keeps its own value: fields 0, 1, 2, 3.
constexpr int kIdentitySelector = 0x1B;

// For each channel of a pixel of `bytesPerPixel` bytes, the channel whose old
// value it receives. A 24-bit pixel has no alpha: a colour whose field names
// alpha keeps its own value, and alpha keeps its own.
constexpr std::array<unsigned char, 4> ChannelSources(int selector, int bytesPerPixel) {
  std::array<unsigned char, 4> source = {
      static_cast<unsigned char>(selector >> 6 & 3), static_cast<unsigned char>(selector >> 4 & 3),
      static_cast<unsigned char>(selector >> 2 & 3), static_cast<unsigned char>(selector & 3)};
  for (int c = 0; c < 4; ++c)
    if (bytesPerPixel == 3 && (c == 3 || source[c] == 3)) source[c] = static_cast<unsigned char>(c);
  return source;
}

// Whether the sources leave every channel as it is.
inline bool KeepsEveryChannel(const std::array<unsigned char, 4>& source) {
  return source == ChannelSources(kIdentitySelector, 4);
}

}  // namespace pixolan
