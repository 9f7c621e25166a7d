// The BMP decoder behind the two reading constructors: turns uncompressed 1-,
// 4-, 8-, 24- and 32-bit source rows into 24- or 32-bit image rows.
#pragma once

#include "internal.h"

#include <cstdint>

// One load, made on the constructor's stack. The rows come either from an open
// file (file mode: SourceFile is the handle, positioned at the first row) or
// from the caller's memory (memory mode: SourceRow walks the rows and
// SourceFile is INVALID_HANDLE_VALUE).
class LoadBMP {
 public:
  BITMAPINFOHEADER SourceHeader;  // as stored, signs of width and height included
  unsigned char* SourceRow;       // memory mode: next unread row; file mode: null
  unsigned char* RowBuffer;       // file mode: one source row for the converting loaders
  HANDLE SourceFile;              // file mode: the open file (not closed here)
  int Loaded;                     // set by the first Load

  LoadBMP(BITMAPINFOHEADER Header, unsigned char* PixelData);
  LoadBMP(BITMAPINFOHEADER Header, HANDLE File);
  ~LoadBMP();
  LoadBMP(const LoadBMP&) = delete;
  LoadBMP& operator=(const LoadBMP&) = delete;

  // Converts every stored row into Destination (an image's Bits, whose width
  // and height are |biWidth| and |biHeight|, at least 1) with BytesPerPixel 3
  // or 4. Palette holds 2^n four-byte entries for 1, 4 and 8 bits. Returns an
  // error code; a second call returns ERR_UNSUPPORTED_COMMAND.
  int Load(unsigned char* Palette, unsigned char* Destination, int BytesPerPixel);

  // Bytes per stored source row: rows are padded to 4 bytes. 0 for a bit count
  // that cannot be read or a width below 1.
  static std::uint64_t SourceRowBytes(unsigned bitCount, std::int64_t width);

  // The checks made on a header before any memory is created for it, so that
  // no header can make the library allocate absurd amounts or overflow a size:
  // the width must be at least 1, and the pixel memory of an image with
  // imageBytesPerPixel (all rows plus the spare row, 64-bit arithmetic, height
  // counted by its absolute value with INT_MIN included) and a source row must
  // stay within kMaxPixelBytes. Returns ERR_NONE or ERR_BMP_FORMAT.
  static int CheckHeader(const BITMAPINFOHEADER& header, unsigned imageBytesPerPixel);

  // Hands out the next stored row: read into RowBuffer (file mode) or taken
  // from SourceRow. Null when the file ends before the row does.
  const unsigned char* NextRow(std::size_t rowBytes);
  // Reads count bytes from the file, or copies them from SourceRow, straight to
  // dest; returns how many arrived.
  std::size_t ReadStraight(unsigned char* dest, std::size_t count);
  // File mode: allocates RowBuffer for one row of rowBytes. ERR_MEMORY when the
  // memory is not there, ERR_UNEXPECTED on any other failure.
  int AllocateRowBuffer(std::size_t rowBytes);
  bool FileMode() const { return SourceFile != INVALID_HANDLE_VALUE; }
};
