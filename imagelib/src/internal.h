// Shared internals of the library: pixel geometry and the error boundary.
// Never installed; clients see only pixolan.h.
#pragma once

#include "guarded.h"
#include "pixolan.h"

#include <cstddef>
#include <cstdint>

namespace pixolan {

// Pixel memory (all rows plus the spare row) above this is refused, as is any
// size that does not fit the 32-bit size fields of a bitmap header.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{1} << 30;

// Bytes per stored row of `width` pixels of `bytesPerPixel` (PixelRows), in
// 64 bits, so that size checks see the true value on 32-bit targets too.
constexpr std::uint64_t StrideOf(std::uint64_t width, unsigned bytesPerPixel) {
  return PixelRows::Stride<std::uint64_t>(width, bytesPerPixel);
}

// Whether `width` x `height` pixels of `bytesPerPixel` (sizes of at least 1,
// below 2^32) fit the pixel-memory limit with the spare row included.
constexpr bool PixelMemoryFits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel) {
  return StrideOf(width, bytesPerPixel) <= kMaxPixelBytes / (height + 1);
}

inline int BytesPerPixel(const ZEMADisplayFCDIB& img) { return img.BitmapInfo.bmiHeader.biBitCount == 24 ? 3 : 4; }
inline long Width(const ZEMADisplayFCDIB& img) { return img.BitmapInfo.bmiHeader.biWidth; }
inline long Height(const ZEMADisplayFCDIB& img) { return img.BitmapInfo.bmiHeader.biHeight; }
inline std::size_t Stride(const ZEMADisplayFCDIB& img) { return PixelRows::Of(img).stride; }

// Image row y (0 = top; -1 the spare row). Rows lie bottom-up, so going down
// the image goes back in memory by one stride.
inline unsigned char* Row(const ZEMADisplayFCDIB& img, long y) { return PixelRows::Of(img).Row(y); }
inline unsigned char* PixelAddress(const ZEMADisplayFCDIB& img, long x, long y) {
  return Row(img, y) + static_cast<std::ptrdiff_t>(x) * BytesPerPixel(img);
}

// The area an operation works on: the whole bitmap or the view.
struct Region {
  unsigned char* first;  // top-left pixel
  long x, y;             // its place in the image
  long cols;
  long rows;
};

// Runs `body`, turning an exception into the object's error code: out of
// memory becomes ERR_MEMORY, anything else ERR_UNEXPECTED. Returns the code.
template <class Body>
int Guarded(int& errorCode, Body&& body) noexcept {
  switch (guarded::Run(body)) {
    case guarded::Outcome::kNoMemory:
      errorCode = ERR_MEMORY;
      break;
    case guarded::Outcome::kFailed:
      errorCode = ERR_UNEXPECTED;
      break;
    case guarded::Outcome::kDone:
      break;
  }
  return errorCode;
}

// A memory device context that puts back the object it started with before
// it is deleted, so no bitmap stays selected into a dead context.
class MemoryDC {
 public:
  explicit MemoryDC(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (first_ != nullptr) SelectObject(dc_, first_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return dc_; }
  void Select(HBITMAP bitmap) {
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (first_ == nullptr) first_ = previous;
  }

 private:
  HDC dc_;
  HGDIOBJ first_ = nullptr;
};

// The text table, row by error code, column by language; code page 932.
extern const char* const kErrorTexts[14][2];
extern const char kErrorCaption[];

}  // namespace pixolan
