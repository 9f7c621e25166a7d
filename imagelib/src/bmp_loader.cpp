// LoadBMP: one load of BMP rows, from an open file or from memory.
#include "bmp_loader.h"
#include "file_handle.h"

#include <algorithm>
#include <cstring>

using namespace pixolan;

LoadBMP::LoadBMP(BITMAPINFOHEADER Header, unsigned char* PixelData)
    : SourceHeader(Header), SourceRow(PixelData), RowBuffer(nullptr), SourceFile(INVALID_HANDLE_VALUE), Loaded(0) {}

LoadBMP::LoadBMP(BITMAPINFOHEADER Header, HANDLE File)
    : SourceHeader(Header), SourceRow(nullptr), RowBuffer(nullptr), SourceFile(File), Loaded(0) {}

LoadBMP::~LoadBMP() { delete[] RowBuffer; }

std::size_t LoadBMP::RowsPerRead(std::size_t rowBytes, std::size_t rows) {
  const std::size_t fit = rowBytes == 0 ? 1 : kReadChunkBytes / rowBytes;
  return std::max<std::size_t>(1, std::min(fit, rows));
}

int LoadBMP::AllocateRowBuffer(std::size_t rowBytes, std::size_t rows, std::size_t& held) {
  held = 0;
  if (rows > 1) {
    try {
      RowBuffer = new unsigned char[rowBytes * rows];
      held = rows;
      return ERR_NONE;
    } catch (...) {
      RowBuffer = nullptr;  // one row at a time still loads the image
    }
  }
  RowBuffer = nullptr;
  int code = ERR_NONE;
  if (Guarded(code, [&] { RowBuffer = new unsigned char[rowBytes]; }) != ERR_NONE) return code;
  held = 1;
  return ERR_NONE;
}

std::size_t LoadBMP::NextRows(std::size_t rowBytes, std::size_t count, const unsigned char*& first) {
  if (!FileMode()) {
    first = SourceRow;
    SourceRow += rowBytes * count;
    return count;
  }
  first = RowBuffer;
  if (!RowsReachable) return 0;
  return std::min<std::size_t>(files::ReadUpTo(SourceFile, RowBuffer, rowBytes * count) / rowBytes, count);
}

std::size_t LoadBMP::ReadStraight(unsigned char* dest, std::size_t count) {
  if (!FileMode()) {
    std::memcpy(dest, SourceRow, count);
    SourceRow += count;
    return count;
  }
  return RowsReachable ? files::ReadUpTo(SourceFile, dest, count) : 0;
}

int LoadBMP::Load(unsigned char* Palette, unsigned char* Destination, int BytesPerPixel) {
  if (Loaded) return ERR_UNSUPPORTED_COMMAND;
  Loaded = 1;
  if (SourceHeader.biSize != 40) return ERR_BMP_FORMAT;
  if (SourceHeader.biCompression != BI_RGB) return ERR_BMP_FORMAT;  // run-length and bit-field images
  const bool wide = BytesPerPixel == 4;
  if (CheckHeader(SourceHeader, wide ? 4 : 3) != ERR_NONE) return ERR_BMP_FORMAT;
  const unsigned bits = SourceHeader.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return ERR_BMP_FORMAT;
  // A caller that hands over no rows or no palette gets a refusal, not a crash.
  if (Destination == nullptr || (!FileMode() && SourceRow == nullptr && SourceHeader.biHeight != 0))
    return ERR_UNSUPPORTED_COMMAND;

  return LoadRows(*this, Palette, Destination, wide);
}
