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
  unsigned char* RowBuffer;       // file mode: source rows for the converting loaders
  HANDLE SourceFile;              // file mode: the open file (not closed here)
  int Loaded;                     // set by the first Load
  bool RowsReachable = true;      // file mode: false where the move to the first row failed; no row arrives then

  // File mode reads this many bytes of whole source rows per read (at least
  // one row): few enough to stay in cache while they are converted, many
  // enough that a small image takes one or two reads instead of one per row.
  static constexpr std::size_t kReadChunkBytes = 64 * 1024;

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

  // How many of `rows` stored rows of rowBytes one file read takes: as many
  // whole rows as fit in kReadChunkBytes, at least one, at most `rows`.
  static std::size_t RowsPerRead(std::size_t rowBytes, std::size_t rows);

  // The checks made on a header before any memory is created for it, so that
  // no header can make the library allocate absurd amounts or overflow a size:
  // the width must be at least 1, and the pixel memory of an image with
  // imageBytesPerPixel (all rows plus the spare row, 64-bit arithmetic, height
  // counted by its absolute value with INT_MIN included) and a source row must
  // stay within kMaxPixelBytes. Returns ERR_NONE or ERR_BMP_FORMAT.
  static int CheckHeader(const BITMAPINFOHEADER& header, unsigned imageBytesPerPixel);

  // Hands out up to `count` further stored rows of rowBytes, one after the
  // other from `first`: read with one read into RowBuffer (file mode; count
  // must not exceed what the buffer holds) or taken from SourceRow. Returns
  // how many whole rows arrived; fewer than count means the file ended (a
  // failed read counts as none), and a partial row behind them is not handed
  // out.
  std::size_t NextRows(std::size_t rowBytes, std::size_t count, const unsigned char*& first);
  // Reads count bytes from the file, or copies them from SourceRow, straight to
  // dest; returns how many arrived.
  std::size_t ReadStraight(unsigned char* dest, std::size_t count);
  // File mode: allocates RowBuffer for `rows` source rows of rowBytes and sets
  // `held` to that count. Where the memory for that many cannot be had, falls
  // back to one row (held 1), which is all a load strictly needs. If even that
  // fails: ERR_MEMORY when the memory is not there, ERR_UNEXPECTED on any
  // other failure, RowBuffer null.
  int AllocateRowBuffer(std::size_t rowBytes, std::size_t rows, std::size_t& held);
  bool FileMode() const { return SourceFile != INVALID_HANDLE_VALUE; }
};

namespace pixolan {

// Steps shared by both reading constructors before the pixel memory is made:
// the source header becomes the image's header with the depth that ColorType
// picks, the header is checked so that nothing absurd is allocated for it, and
// the view starts as the header states it (CreateDIB then makes it positive).
// Returns the error code it sets.
int AdoptSourceHeader(ZEMADisplayFCDIB& img, const BITMAPINFOHEADER& source, int colorType);

// The rows of a source of 1, 4, 8, 24 or 32 bits, into 32-bit (wide) or 24-bit
// image rows at Destination; Palette holds 2^n four-byte entries for 1, 4 and
// 8 bits. Returns an error code.
int LoadRows(LoadBMP& src, unsigned char* Palette, unsigned char* Destination, bool wide);

// The number of stored rows, |biHeight| with INT_MIN included.
inline std::int64_t AbsHeight(const BITMAPINFOHEADER& h) {
  return h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
}

}  // namespace pixolan
