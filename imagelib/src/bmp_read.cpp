// The two reading constructors: an image from a BMP file, and from a bitmap
// header, palette and rows in memory. The reading itself is LoadBMP's.
#include "bmp_loader.h"
#include "file_handle.h"
#include "little_endian.h"

using namespace pixolan;

ZEMADisplayFCDIB::ZEMADisplayFCDIB(unsigned long Version, HWND hWnd_, HINSTANCE hInstance_, char* FileName,
                                   int ColorType, int Language_) {
  InitializeBase(hWnd_, hInstance_, Language_, Version);
  if (ErrorCode != ERR_NONE) return;
  // Every failure sets the code and returns it.
  Guarded(ErrorCode, [&]() -> int {
    files::FileHandle file(FileName, files::FileHandle::kRead);
    if (!file.IsOpen()) return ErrorCode = ERR_FILE_OPEN;
    unsigned char fileBytes[14], infoBytes[40];
    if (!file.ReadAll(fileBytes, sizeof fileBytes)) return ErrorCode = ERR_FILE_READ;
    if (le::U16(fileBytes) != 0x4D42) return ErrorCode = ERR_BMP_FORMAT;  // bfType: "BM"
    const std::uint32_t offBits = le::U32(fileBytes + 10);                // bfOffBits: where the rows start
    if (!file.ReadAll(infoBytes, sizeof infoBytes)) return ErrorCode = ERR_FILE_READ;
    const BITMAPINFOHEADER source = le::InfoHeader(infoBytes);
    if (AdoptSourceHeader(*this, source, ColorType) != ERR_NONE || CreateDIB() != ERR_NONE) return ErrorCode;

    // The palette always has 2^n entries and starts right behind the info
    // header, whatever biClrUsed says.
    unsigned char palette[256 * 4] = {};
    const unsigned bits = source.biBitCount;
    if (bits == 1 || bits == 4 || bits == 8) {
      if (!file.ReadAll(palette, 4u << bits)) return ErrorCode = ERR_FILE_READ;
    } else if (bits != 24 && bits != 32) {
      return ErrorCode = ERR_BMP_FORMAT;
    }
    ViewSize = SIZE{BitmapInfo.bmiHeader.biWidth, BitmapInfo.bmiHeader.biHeight};

    // Rows start at bfOffBits. SetFilePointer takes a signed 32-bit distance
    // here, so an offset of 2 GiB or more cannot be reached: the loader then
    // treats the file as one that ends before its rows, as after any failed
    // move, which fails only where a row is read (not for a refused header,
    // nor for a file of no rows).
    LoadBMP loader(source, file.Get());
    loader.RowsReachable = offBits <= 0x7FFFFFFFu && SetFilePointer(file.Get(), static_cast<LONG>(offBits), nullptr,
                                                                    FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    return ErrorCode = loader.Load(palette, Bits, BitmapInfo.bmiHeader.biBitCount / 8);
  });
}

ZEMADisplayFCDIB::ZEMADisplayFCDIB(unsigned long Version, HWND hWnd_, HINSTANCE hInstance_, BITMAPINFOHEADER Header,
                                   unsigned char* Palette, unsigned char* PixelData, int ColorType, int Language_) {
  InitializeBase(hWnd_, hInstance_, Language_, Version);
  if (ErrorCode != ERR_NONE) return;
  Guarded(ErrorCode, [&] {
    if (AdoptSourceHeader(*this, Header, ColorType) != ERR_NONE || CreateDIB() != ERR_NONE) return;
    ViewSize = SIZE{BitmapInfo.bmiHeader.biWidth, BitmapInfo.bmiHeader.biHeight};
    LoadBMP loader(Header, PixelData);
    ErrorCode = loader.Load(Palette, Bits, BitmapInfo.bmiHeader.biBitCount / 8);
  });
}
