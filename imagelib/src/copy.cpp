// The copy constructors: the same size (whole or the view) and resized.
#include "internal.h"
#include "stretch.h"

#include <cstring>

using namespace pixolan;

namespace {

// Checks the source of a copy; a copy of nothing, or of a failed image, gets
// no handles, English messages and no pixel memory. A source without pixel
// memory counts as failed even if a client has cleared its code.
bool UsableSource(const ZEMADisplayFCDIB* source, int& errorCode) {
  if (source == nullptr) {
    errorCode = ERR_UNSUPPORTED_COMMAND;
    return false;
  }
  if (source->ErrorCode != ERR_NONE || source->Bits == nullptr) {
    errorCode = ERR_EXTERNAL;
    return false;
  }
  return true;
}

// A client may place an image anywhere; the sum wraps around in 32 bits
// instead of overflowing.
LONG Offset(LONG position, LONG origin) {
  return static_cast<LONG>(static_cast<std::uint32_t>(position) + static_cast<std::uint32_t>(origin));
}

}  // namespace

ZEMADisplayFCDIB::ZEMADisplayFCDIB(ZEMADisplayFCDIB* Source, int WholeImage) {
  if (!UsableSource(Source, ErrorCode)) return;

  BitmapInfo = Source->BitmapInfo;
  if (WholeImage) {
    Position = Source->Position;
    ViewOrigin = Source->ViewOrigin;
    ViewSize = Source->ViewSize;
  } else {
    BitmapInfo.bmiHeader.biWidth = Source->ViewSize.cx;
    BitmapInfo.bmiHeader.biHeight = Source->ViewSize.cy;
    Position =
        POINT{Offset(Source->Position.x, Source->ViewOrigin.x), Offset(Source->Position.y, Source->ViewOrigin.y)};
    ViewOrigin = POINT{0, 0};
    ViewSize = SIZE{BitmapInfo.bmiHeader.biWidth, BitmapInfo.bmiHeader.biHeight};
  }
  InitializeBase(Source->hWnd, Source->hInstance, static_cast<int>(Source->Language), 0);
  if (ErrorCode != ERR_NONE) return;
  ErrorCode = Source->ErrorCode;
  if (ErrorCode != ERR_NONE || CreateDIB() != ERR_NONE) return;

  if (WholeImage) {
    // Every image row with its padding; the spare row holds nothing to copy.
    std::memcpy(Bits, Source->Bits, Stride(*this) * static_cast<std::size_t>(pixolan::Height(*this)));
  } else {
    BltImage(Source, 0, 0, SRCCOPY);
  }
}

ZEMADisplayFCDIB::ZEMADisplayFCDIB(ZEMADisplayFCDIB* Source, unsigned int Width, unsigned int Height, int WholeImage) {
  if (!UsableSource(Source, ErrorCode)) return;

  BitmapInfo = Source->BitmapInfo;
  const Rect from = WholeImage
                        ? Rect{0, 0, pixolan::Width(*Source), pixolan::Height(*Source)}
                        : Rect{Source->ViewOrigin.x, Source->ViewOrigin.y, Source->ViewSize.cx, Source->ViewSize.cy};
  // The view keeps the requested size even where the header is corrected
  // (a requested 0 gives a bitmap of 1 and a view extent of 0).
  BitmapInfo.bmiHeader.biWidth = static_cast<LONG>(Width);
  BitmapInfo.bmiHeader.biHeight = static_cast<LONG>(Height);
  ViewSize = SIZE{static_cast<LONG>(Width), static_cast<LONG>(Height)};

  InitializeBase(Source->hWnd, Source->hInstance, static_cast<int>(Source->Language), 0);
  if (ErrorCode != ERR_NONE) return;
  ErrorCode = Source->ErrorCode;
  if (ErrorCode != ERR_NONE || CreateDIB() != ERR_NONE) return;

  StretchArea(*this, Rect{0, 0, pixolan::Width(*this), pixolan::Height(*this)}, *Source, from);
}
