// The row loading of LoadBMP: 1-, 4-, 8-, 24- and 32-bit source rows into
// 24- or 32-bit image rows, from a file or from memory.
#include "bmp_loader.h"
#include "kernels.h"

#include <algorithm>
#include <cstring>

using namespace pixolan;

namespace {

// Palette entries are kept as 32-bit words holding the entry's four bytes in
// file order, so one store writes a whole pixel. A 24-bit pixel is stored with
// the same 4-byte store: its fourth byte lands on the next pixel's blue and is
// overwritten by it. Only a row's last pixel is stored with exactly its own
// bytes, so the filler behind a row is never touched and stays zero.

inline void Put(unsigned char* d, std::uint32_t pixel) { std::memcpy(d, &pixel, 4); }
template <unsigned Bpp>
inline void PutLast(unsigned char* d, std::uint32_t pixel) {
  std::memcpy(d, &pixel, Bpp);
}

// 8 pixels per source byte, bit 7 leftmost. Whole bytes whose pixels all come
// before the last one go 8 at a time; the final byte goes pixel by pixel.
template <unsigned Bpp>
void Convert1(const unsigned char* s, unsigned char* d, std::size_t w, const std::uint32_t* pal) {
  const std::size_t bulk = (w - 1) / 8;
  for (std::size_t n = 0; n < bulk; ++n, d += 8 * Bpp) {
    const unsigned b = *s++;
    Put(d + 0 * Bpp, pal[b >> 7]);
    Put(d + 1 * Bpp, pal[(b >> 6) & 1]);
    Put(d + 2 * Bpp, pal[(b >> 5) & 1]);
    Put(d + 3 * Bpp, pal[(b >> 4) & 1]);
    Put(d + 4 * Bpp, pal[(b >> 3) & 1]);
    Put(d + 5 * Bpp, pal[(b >> 2) & 1]);
    Put(d + 6 * Bpp, pal[(b >> 1) & 1]);
    Put(d + 7 * Bpp, pal[b & 1]);
  }
  const unsigned b = *s;
  const unsigned left = static_cast<unsigned>(w - bulk * 8);  // 1 to 8
  for (unsigned j = 0; j + 1 < left; ++j, d += Bpp) Put(d, pal[(b >> (7 - j)) & 1]);
  PutLast<Bpp>(d, pal[(b >> (8 - left)) & 1]);
}

// 2 pixels per source byte, high nibble first; for an odd width the last pixel
// is the high nibble of the row's last used byte.
template <unsigned Bpp>
void Convert4(const unsigned char* s, unsigned char* d, std::size_t w, const std::uint32_t* pal) {
  const std::size_t bulk = (w - 1) / 2;
  for (std::size_t n = 0; n < bulk; ++n, d += 2 * Bpp) {
    const unsigned b = *s++;
    Put(d, pal[b >> 4]);
    Put(d + Bpp, pal[b & 15]);
  }
  const unsigned b = *s;
  if (w - bulk * 2 == 2) {
    Put(d, pal[b >> 4]);
    PutLast<Bpp>(d + Bpp, pal[b & 15]);
  } else {
    PutLast<Bpp>(d, pal[b >> 4]);
  }
}

template <unsigned Bpp>
void Convert8(const unsigned char* s, unsigned char* d, std::size_t w, const std::uint32_t* pal) {
  for (std::size_t i = 0; i + 1 < w; ++i, d += Bpp) Put(d, pal[s[i]]);
  PutLast<Bpp>(d, pal[s[w - 1]]);
}

// Where the i-th stored row goes in the image's rows: a bottom-up source
// (h >= 0) stores the bottom row first, a top-down one the top row first.
unsigned char* DestinationRow(const PixelRows& image, std::int64_t i, const BITMAPINFOHEADER& h) {
  return image.Row(static_cast<long>(h.biHeight >= 0 ? image.height - 1 - i : i));
}

// The frame of the converting loaders. In file mode one buffer takes as many
// whole stored rows per read as fit in kReadChunkBytes; each stored row is
// converted straight into its image row. When the file ends early the whole
// rows that did arrive are still converted, so the image holds exactly the
// stored rows before the cut and stays blank from there on.
template <class Convert>
int ConvertRows(LoadBMP& src, const std::uint32_t* pal, unsigned char* dest, unsigned bpp, Convert convert) {
  const BITMAPINFOHEADER& h = src.SourceHeader;
  const std::size_t w = static_cast<std::size_t>(h.biWidth);
  const std::size_t rowBytes = static_cast<std::size_t>(LoadBMP::SourceRowBytes(h.biBitCount, h.biWidth));
  const std::size_t rows = static_cast<std::size_t>(AbsHeight(h));
  const PixelRows image{dest, static_cast<long>(rows), static_cast<std::size_t>(StrideOf(w, bpp))};
  std::size_t perRead = rows;  // memory mode: every row is there already
  if (src.FileMode()) {
    const int code = src.AllocateRowBuffer(rowBytes, LoadBMP::RowsPerRead(rowBytes, rows), perRead);
    if (code != ERR_NONE) return code;
  }
  for (std::size_t done = 0; done < rows;) {
    const std::size_t count = std::min(perRead, rows - done);
    const unsigned char* row = nullptr;
    const std::size_t arrived = src.NextRows(rowBytes, count, row);
    for (std::size_t k = 0; k < arrived; ++k, ++done, row += rowBytes)
      convert(row, DestinationRow(image, static_cast<std::int64_t>(done), h), w, pal);
    if (arrived < count) return ERR_FILE_READ;  // rows so far stay, the rest stays blank
  }
  return ERR_NONE;
}

// Turns the order of `count` rows of rowBytes around in place.
void ReverseRows(unsigned char* block, std::size_t count, std::size_t rowBytes) {
  unsigned char temp[1024];
  for (std::size_t i = 0, j = count - 1; i < j; ++i, --j) {
    unsigned char* a = block + i * rowBytes;
    unsigned char* b = block + j * rowBytes;
    for (std::size_t at = 0; at < rowBytes; at += sizeof temp) {
      const std::size_t n = std::min(sizeof temp, rowBytes - at);
      std::memcpy(temp, a + at, n);
      std::memcpy(a + at, b + at, n);
      std::memcpy(b + at, temp, n);
    }
  }
}

// Source rows that are already image rows (24 into 24, 32 into 32; the source
// row size equals the stride) go straight into the image, without a buffer.
// A bottom-up source moves as one block. A top-down one lies in the opposite
// order of the image memory: from a file it comes in runs of as many rows as
// one read takes, each run read into the image rows it covers and then turned
// over in place; from memory it is copied row by row. Bytes of a row cut short
// are cleared again, so only whole rows of the source ever reach the image.
int LoadStraight(LoadBMP& src, unsigned char* dest) {
  const BITMAPINFOHEADER& h = src.SourceHeader;
  const std::size_t rowBytes = static_cast<std::size_t>(LoadBMP::SourceRowBytes(h.biBitCount, h.biWidth));
  const std::size_t rows = static_cast<std::size_t>(AbsHeight(h));
  if (rows == 0) return ERR_NONE;
  const PixelRows image{dest, static_cast<long>(rows), rowBytes};
  if (h.biHeight > 0) {
    const std::size_t block = rowBytes * rows;
    const std::size_t got = src.ReadStraight(dest, block);
    if (got == block) return ERR_NONE;
    const std::size_t whole = got / rowBytes * rowBytes;
    std::memset(dest + whole, 0, got - whole);
    return ERR_FILE_READ;
  }
  if (!src.FileMode()) {
    for (std::size_t i = 0; i < rows; ++i)
      src.ReadStraight(DestinationRow(image, static_cast<std::int64_t>(i), h), rowBytes);
    return ERR_NONE;
  }
  const std::size_t perRead = LoadBMP::RowsPerRead(rowBytes, rows);
  for (std::size_t done = 0; done < rows;) {
    const std::size_t count = std::min(perRead, rows - done);
    // Stored rows done .. done + count - 1 are image rows done .. done +
    // count - 1: one block of memory, backwards.
    unsigned char* block = image.Row(static_cast<long>(done + count - 1));
    const std::size_t whole = src.ReadStraight(block, count * rowBytes) / rowBytes;
    ReverseRows(block, count, rowBytes);
    if (whole < count) {
      // The rows that arrived now end the block; before them lie the bytes of
      // the row that was cut (or of a failed read) and rows never read.
      std::memset(block, 0, (count - whole) * rowBytes);
      return ERR_FILE_READ;
    }
    done += count;
  }
  return ERR_NONE;
}

// Paletted rows of 1, 4 or 8 bits into Bpp-byte pixels.
template <unsigned Bpp>
int LoadPaletted(LoadBMP& src, const std::uint32_t* pal, unsigned char* dest) {
  switch (src.SourceHeader.biBitCount) {
    case 1:
      return ConvertRows(src, pal, dest, Bpp, Convert1<Bpp>);
    case 4:
      return ConvertRows(src, pal, dest, Bpp, Convert4<Bpp>);
    default:
      return ConvertRows(src, pal, dest, Bpp, Convert8<Bpp>);
  }
}

}  // namespace

namespace pixolan {

int LoadRows(LoadBMP& src, unsigned char* Palette, unsigned char* Destination, bool wide) {
  const unsigned bits = src.SourceHeader.biBitCount;
  const std::uint32_t* const noPalette = nullptr;
  const Kernels& k = ActiveKernels();
  // 24 into 32 bits: blue, green, red copied, alpha 0.
  const auto widen = [&k](const unsigned char* s, unsigned char* d, std::size_t w, const std::uint32_t*) {
    k.widen(s, d, static_cast<long>(w), 0);
  };
  // 32 into 24 bits: the fourth source byte is dropped.
  const auto narrow = [&k](const unsigned char* s, unsigned char* d, std::size_t w, const std::uint32_t*) {
    k.narrow(s, d, static_cast<long>(w));
  };
  if (bits == 24) return wide ? ConvertRows(src, noPalette, Destination, 4, widen) : LoadStraight(src, Destination);
  if (bits == 32) return wide ? LoadStraight(src, Destination) : ConvertRows(src, noPalette, Destination, 3, narrow);

  if (Palette == nullptr) return ERR_UNSUPPORTED_COMMAND;
  std::uint32_t table[256];
  std::memcpy(table, Palette, std::size_t{4} << bits);  // exactly the 2^n entries given
  return wide ? LoadPaletted<4>(src, table, Destination) : LoadPaletted<3>(src, table, Destination);
}

}  // namespace pixolan
