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

// Copies the source's view to (DestX, DestY) through the platform blit,
// which converts between depths.
int ZEMADisplayFCDIB::BltImage(ZEMADisplayFCDIB* Source, unsigned long DestX, unsigned long DestY, unsigned long Rop) {
  if (ErrorCode != ERR_NONE) return ErrorCode;
  if (Source == nullptr) return ErrorCode = ERR_UNSUPPORTED_COMMAND;
  if (Source->ErrorCode != ERR_NONE || Source->hBitmap == nullptr) return ErrorCode = ERR_EXTERNAL;
  if (hBitmap == nullptr) return ErrorCode;

  // A position at or beyond the right or bottom edge leaves nothing to draw;
  // it is refused here because the platform takes positions as signed ints.
  const unsigned long W = static_cast<unsigned long>(Width(*this));
  const unsigned long H = static_cast<unsigned long>(Height(*this));
  if (DestX >= W || DestY >= H) return ErrorCode;
  unsigned long w = static_cast<unsigned long>(Source->ViewSize.cx);
  unsigned long h = static_cast<unsigned long>(Source->ViewSize.cy);
  if (W - DestX < w) w = W - DestX;
  if (H - DestY < h) h = H - DestY;

  // Image row r is row r + 1 of the section (the spare row comes first), so
  // both rows get + 1. A bitmap can be selected into one context only, so an
  // image copied onto itself uses one context as source and destination.
  MemoryDC srcDC, dstDC;
  SetMapMode(srcDC.Get(), GetMapMode(nullptr));
  SetMapMode(dstDC.Get(), GetMapMode(nullptr));
  HDC from = dstDC.Get();
  if (Source != this) {
    srcDC.Select(Source->hBitmap);
    from = srcDC.Get();
  }
  dstDC.Select(hBitmap);
  POINT pts[2] = {{Source->ViewOrigin.x, static_cast<LONG>(Source->ViewOrigin.y + 1LL)},
                  {static_cast<LONG>(w), static_cast<LONG>(h)}};
  DPtoLP(dstDC.Get(), pts, 2);
  BitBlt(dstDC.Get(), static_cast<int>(DestX), static_cast<int>(DestY) + 1, pts[1].x, pts[1].y, from, pts[0].x,
         pts[0].y, Rop);
  // The caller may read the pixels next; the blit must have landed by then.
  GdiFlush();
  return ErrorCode;
}
