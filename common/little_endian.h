// Little-endian fields of the file formats we read (BMP, ICO), and the BMP
// info header made of them. Header-only, so each binary carries its own copy.
#pragma once

#include <windows.h>

#include <cstdint>

namespace le {

inline std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The 40 bytes of a BITMAPINFOHEADER as a file stores them.
inline BITMAPINFOHEADER InfoHeader(const unsigned char* p) {
  BITMAPINFOHEADER h;
  h.biSize = U32(p + 0);
  h.biWidth = static_cast<LONG>(U32(p + 4));
  h.biHeight = static_cast<LONG>(U32(p + 8));
  h.biPlanes = U16(p + 12);
  h.biBitCount = U16(p + 14);
  h.biCompression = U32(p + 16);
  h.biSizeImage = U32(p + 20);
  h.biXPelsPerMeter = static_cast<LONG>(U32(p + 24));
  h.biYPelsPerMeter = static_cast<LONG>(U32(p + 28));
  h.biClrUsed = U32(p + 32);
  h.biClrImportant = U32(p + 36);
  return h;
}

}  // namespace le
