// Drawing an image into a device context, straight or blended over what the
// device shows through a private 24-bit background image.
#include "internal.h"

#include <new>

using namespace pixolan;

int ZEMADisplayFCDIB::Display(HDC hDC, unsigned long DestX, unsigned long DestY, unsigned short Transparency,
                              int WholeImage, unsigned long Rop) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Transparency >= 256) return ErrorCode;

  // A 32-bit image has per-pixel transparency and any global transparency
  // needs the target's pixels, so both are blended over a captured copy.
  const bool composited = Transparency != 0 || BitmapInfo.bmiHeader.biBitCount == 32;
  if (composited) {
    CreateBackground();
    if (Background == nullptr) return ErrorCode;
  }

  POINT origin{0, 0};
  SIZE extent{BitmapInfo.bmiHeader.biWidth, BitmapInfo.bmiHeader.biHeight};
  if (!WholeImage) {
    origin = ViewOrigin;
    extent = ViewSize;
  }
  const int x = static_cast<int>(DestX);
  const int y = static_cast<int>(DestY);

  // Section row r + 1 holds image row r (the spare row comes first).
  const int sectionY = static_cast<int>(origin.y + 1LL);
  MemoryDC mem(hDC);
  SetMapMode(mem.Get(), GetMapMode(hDC));
  if (composited) {
    mem.Select(Background->hBitmap);
    BitBlt(mem.Get(), origin.x, sectionY, extent.cx, extent.cy, hDC, x, y, SRCCOPY);
    GdiFlush();  // the captured pixels must be in memory before they are blended
    // The whole image over the whole background, pixel (i, j) over (i, j).
    Background->ViewOrigin = POINT{0, 0};
    Background->PutImage(this, Transparency, 1);
  } else {
    mem.Select(hBitmap);
  }
  POINT pts[2] = {{origin.x, sectionY}, {extent.cx, extent.cy}};
  DPtoLP(mem.Get(), pts, 2);
  BitBlt(hDC, x, y, pts[1].x, pts[1].y, mem.Get(), pts[0].x, pts[0].y, Rop);
  GdiFlush();  // the section is read by the blit; later pixel work must wait for it
  return ErrorCode;
}

int ZEMADisplayFCDIB::CreateBackground() {
  if (Background != nullptr) return ErrorCode;
  ZEMADisplayFCDIB* made = nullptr;
  int code = ERR_NONE;
  if (Guarded(code, [&] {
        made = new ZEMADisplayFCDIB(
            LibraryVersion, hWnd, hInstance, static_cast<unsigned int>(BitmapInfo.bmiHeader.biWidth),
            static_cast<unsigned int>(BitmapInfo.bmiHeader.biHeight), 3, BitmapInfo.bmiHeader.biXPelsPerMeter,
            BitmapInfo.bmiHeader.biYPelsPerMeter, static_cast<int>(Language));
      }) != ERR_NONE)
    return ErrorCode = code;
  if (made->ErrorCode != ERR_NONE) {
    delete made;
    Background = nullptr;
    return ErrorCode = ERR_EXTERNAL;
  }
  Background = made;
  Background->SetViewOrigin(POINT{0, 0});
  return ErrorCode;
}

void ZEMADisplayFCDIB::DeleteBackground() {
  if (Background == nullptr) return;
  delete Background;
  Background = nullptr;
}
