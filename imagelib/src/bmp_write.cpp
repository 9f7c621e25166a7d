// Writing BMP files: the whole bitmap or the view rectangle, uncompressed, at
// the image's own depth (24 or 32 bits), without a palette.
#include "clip.h"
#include "file_handle.h"

#include <cstring>

using namespace pixolan;

namespace {

constexpr DWORD kHeadersSize = 14 + 40;  // file header and info header; the rows follow

void PutLe16(unsigned char*& p, unsigned value) {
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
  p += 2;
}
void PutLe32(unsigned char*& p, std::uint32_t value) {
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
  p[2] = static_cast<unsigned char>(value >> 16);
  p[3] = static_cast<unsigned char>(value >> 24);
  p += 4;
}

void BuildFileHeader(unsigned char (&out)[14], DWORD pixelBytes) {
  unsigned char* p = out;
  PutLe16(p, 0x4D42);                     // bfType: "BM"
  PutLe32(p, pixelBytes + kHeadersSize);  // bfSize: the whole file
  PutLe16(p, 0);                          // bfReserved1
  PutLe16(p, 0);                          // bfReserved2
  PutLe32(p, kHeadersSize);               // bfOffBits: rows right behind the headers
}

void BuildInfoHeader(unsigned char (&out)[40], const BITMAPINFOHEADER& h) {
  unsigned char* p = out;
  PutLe32(p, h.biSize);                                       // biSize: 40
  PutLe32(p, static_cast<std::uint32_t>(h.biWidth));          // biWidth
  PutLe32(p, static_cast<std::uint32_t>(h.biHeight));         // biHeight: positive, bottom row first
  PutLe16(p, h.biPlanes);                                     // biPlanes: 1
  PutLe16(p, h.biBitCount);                                   // biBitCount: 24 or 32
  PutLe32(p, h.biCompression);                                // biCompression: BI_RGB
  PutLe32(p, h.biSizeImage);                                  // biSizeImage: bytes of pixel rows
  PutLe32(p, static_cast<std::uint32_t>(h.biXPelsPerMeter));  // biXPelsPerMeter
  PutLe32(p, static_cast<std::uint32_t>(h.biYPelsPerMeter));  // biYPelsPerMeter
  PutLe32(p, h.biClrUsed);                                    // biClrUsed
  PutLe32(p, h.biClrImportant);                               // biClrImportant
}

bool WriteHeaders(files::FileHandle& file, const BITMAPINFOHEADER& info) {
  unsigned char fileHeader[14];
  unsigned char infoHeader[40];
  BuildFileHeader(fileHeader, info.biSizeImage);
  BuildInfoHeader(infoHeader, info);
  return file.Write(fileHeader, sizeof fileHeader) && file.Write(infoHeader, sizeof infoHeader);
}

// The whole bitmap: the image's own header and its memory as it is, filler
// bytes included.
bool WriteWhole(const ZEMADisplayFCDIB& img, files::FileHandle& file) {
  const BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
  return WriteHeaders(file, h) && file.Write(img.Bits, h.biSizeImage);
}

// The view rectangle, bottom row first, each row padded with zeros to a
// multiple of 4 bytes. The rows are gathered in one staging buffer and written
// at once; without that buffer they go out straight from the image, pixels and
// filler in two writes per row, giving the same bytes.
bool WriteView(const ZEMADisplayFCDIB& img, files::FileHandle& file) {
  const BITMAPINFOHEADER& ih = img.BitmapInfo.bmiHeader;
  const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel(img));
  // The view as it lies inside the bitmap. A view kept by the view operations
  // is unchanged; one that a client wrote out of range is cut to the bitmap,
  // so that no byte outside the pixel memory is read. An extent of 0 stays 0:
  // the file then holds the headers and no pixels.
  const ViewRect inside = img.Bits != nullptr ? ViewInside(img) : ViewRect{};
  const long x0 = inside.x, y0 = inside.y, cx = inside.cols, cy = inside.rows;
  const long rows = cx > 0 ? cy : 0;  // rows that carry pixels
  const std::size_t rowBytes =
      static_cast<std::size_t>(StrideOf(static_cast<std::uint64_t>(cx), static_cast<unsigned>(bpp)));
  const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(cy);

  BITMAPINFOHEADER vh = BITMAPINFOHEADER();
  vh.biSize = 40;
  vh.biWidth = cx;
  vh.biHeight = cy;
  vh.biPlanes = 1;
  vh.biBitCount = ih.biBitCount;
  vh.biCompression = BI_RGB;
  vh.biSizeImage = static_cast<DWORD>(pixelBytes);
  vh.biXPelsPerMeter = ih.biXPelsPerMeter;
  vh.biYPelsPerMeter = ih.biYPelsPerMeter;
  vh.biClrUsed = ih.biClrUsed;
  vh.biClrImportant = ih.biClrImportant;
  if (!WriteHeaders(file, vh)) return false;

  // The view's bottom row (image row y + cy - 1); each further row lies one
  // stride higher in the bottom-up memory.
  const std::size_t stride = Stride(img);
  const unsigned char* bottom =
      rows > 0 ? Row(img, static_cast<long>(y0) + cy - 1) + bpp * static_cast<std::size_t>(x0) : nullptr;
  const std::size_t pixelsPerRow = bpp * static_cast<std::size_t>(cx);

  unsigned char* staging = nullptr;
  try {
    staging = new unsigned char[pixelBytes + 4];
  } catch (...) {
    staging = nullptr;  // any failure: write straight from the image instead
  }
  if (staging != nullptr) {
    // The 4 zero bytes behind each row clear its filler; the next row's copy
    // overwrites the rest, and the buffer's 4 spare bytes take the last row's.
    for (long i = 0; i < rows; ++i) {
      unsigned char* out = staging + static_cast<std::size_t>(i) * rowBytes;
      std::memcpy(out, bottom + static_cast<std::size_t>(i) * stride, pixelsPerRow);
      std::memset(out + pixelsPerRow, 0, 4);
    }
    const bool ok = file.Write(staging, pixelBytes);
    delete[] staging;
    return ok;
  }

  static const unsigned char kZeros[4] = {0, 0, 0, 0};
  const std::size_t filler = rowBytes - pixelsPerRow;  // cx & 3 at 24 bits, none at 32
  for (long i = 0; i < rows; ++i) {
    if (!file.Write(bottom + static_cast<std::size_t>(i) * stride, pixelsPerRow)) return false;
    if (filler != 0 && !file.Write(kZeros, filler)) return false;
  }
  return true;
}

}  // namespace

int ZEMADisplayFCDIB::SaveImage(char* FileName, int WholeImage) {
  if (ErrorCode != ERR_NONE) return ErrorCode;  // no file is created for a failed object
  return Guarded(ErrorCode, [&] {
    files::FileHandle file(FileName, files::FileHandle::kCreate);
    if (!file.IsOpen()) {
      ErrorCode = ERR_FILE_CREATE;
      return;
    }
    if (!(WholeImage ? WriteWhole(*this, file) : WriteView(*this, file))) ErrorCode = ERR_FILE_WRITE;
  });
}
