// The rounded division of the 32-bit source blend.
#pragma once

#include <cstdint>

namespace pixolan {

// V / 65280 rounded to nearest, halves upward, for 0 <= V <= 255 * 65280.
inline std::uint32_t RoundedDiv65280(std::uint32_t v) {
  const std::uint32_t y = (v + 32640) >> 8;  // about V / 256
  return (y + (y >> 8) + 1) >> 8;            // y / 255, rounded
}

}  // namespace pixolan
