// The image object: pixel memory, the blank-image constructor, the destructor.
#include "internal.h"

#include <climits>
#include <cstring>

using namespace pixolan;

int ZEMADisplayFCDIB::CreateDIB() {
  if (hBitmap != nullptr) return ErrorCode;
  BITMAPINFOHEADER& h = BitmapInfo.bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);

  // Sizes in 64 bits: negative extents count by their absolute value (INT_MIN
  // included), 0 becomes 1, and pixel memory beyond the library's limit or the
  // header's 32-bit size field is refused before anything is created.
  std::int64_t w = h.biWidth, ht = h.biHeight;
  if (w < 0) w = -w;
  if (w == 0) w = 1;
  if (ht < 0) ht = -ht;
  if (ht == 0) ht = 1;
  const unsigned bpp = h.biBitCount / 8u;
  if (w > INT_MAX || ht >= INT_MAX || bpp == 0 ||
      !PixelMemoryFits(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(ht), bpp)) {
    ErrorCode = ERR_DIB_SECTION;
    return ErrorCode;
  }

  h.biWidth = static_cast<LONG>(w);
  h.biHeight = static_cast<LONG>(ht);
  h.biPlanes = 1;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(StrideOf(static_cast<std::uint64_t>(w), bpp) * static_cast<std::uint64_t>(ht));
  h.biClrUsed = 0;
  h.biClrImportant = 0;

  // The section gets one row more than the header says: the spare row, which
  // the platform sees as the section's top row.
  HDC screen = GetDC(nullptr);
  void* bits = nullptr;
  h.biHeight += 1;
  hBitmap = CreateDIBSection(screen, &BitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
  h.biHeight -= 1;
  ReleaseDC(nullptr, screen);

  if (hBitmap == nullptr) {
    Bits = nullptr;
    ErrorCode = ERR_DIB_SECTION;
    return ErrorCode;
  }
  Bits = static_cast<unsigned char*>(bits);
  return ErrorCode;
}

ZEMADisplayFCDIB::ZEMADisplayFCDIB(unsigned long Version, HWND hWnd_, HINSTANCE hInstance_, unsigned int Width_,
                                   unsigned int Height_, int ColorType, long XPelsPerMeter, long YPelsPerMeter,
                                   int Language_) {
  BITMAPINFOHEADER& h = BitmapInfo.bmiHeader;
  h.biWidth = static_cast<LONG>(Width_);
  h.biHeight = static_cast<LONG>(Height_);
  h.biBitCount = ColorType == 4 ? 32 : 24;
  h.biXPelsPerMeter = static_cast<LONG>(XPelsPerMeter);
  h.biYPelsPerMeter = static_cast<LONG>(YPelsPerMeter);
  InitializeBase(hWnd_, hInstance_, Language_, Version);
  if (ErrorCode == ERR_NONE && CreateDIB() == ERR_NONE) ViewSize = SIZE{h.biWidth, h.biHeight};
}

ZEMADisplayFCDIB::~ZEMADisplayFCDIB() {
  if (hBitmap != nullptr) DeleteObject(hBitmap);
  hBitmap = nullptr;
  Bits = nullptr;
  if (Background != nullptr) {
    delete Background;
    Background = nullptr;
  }
}
