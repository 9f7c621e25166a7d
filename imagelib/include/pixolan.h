// pixolan: 24- and 32-bit pictures in DIB sections.
//
// Every failure becomes an error code in the object (ErrorCode); no exception
// leaves the library. Once an object's code is set it stays set and every
// method returns it without doing any work. DisplayError shows the message for
// the code in a message box; GetErrorMessage returns it.
//
// Pixel memory: rows bottom-up, each padded to a multiple of 4 bytes, plus one
// spare row behind the top row (see ZEMADisplayFCDIB). 24-bit pixels are blue,
// green, red; 32-bit pixels blue, green, red, alpha. When images are blended
// the alpha byte is a transparency: 0 opaque, 255 invisible.
#pragma once

#include <windows.h>

#include <cstddef>

#if defined(_WIN32)
#if defined(PIXOLAN_BUILD)
#define PIXOLAN_API __declspec(dllexport)
#else
#define PIXOLAN_API __declspec(dllimport)
#endif
#else
#define PIXOLAN_API __attribute__((visibility("default")))
#endif

// Error codes, as stored in ZEMADLLBase::ErrorCode.
constexpr int ERR_NONE = 0;
constexpr int ERR_DLL_VERSION = 1;          // the client requires a newer library
constexpr int ERR_UNSUPPORTED_COMMAND = 2;  // bad language, null source, second load
constexpr int ERR_MEMORY = 3;               // an allocation failed
constexpr int ERR_DIB_SECTION = 4;          // the pixel memory could not be created
constexpr int ERR_BMP_FORMAT = 5;           // a BMP that this library does not read
constexpr int ERR_FILE_OPEN = 6;
constexpr int ERR_FILE_CREATE = 7;
constexpr int ERR_FILE_READ = 8;
constexpr int ERR_FILE_WRITE = 9;
constexpr int ERR_COLOR_TYPE = 10;  // reserved
constexpr int ERR_UNEXPECTED = 11;  // any other failure caught inside a method
constexpr int ERR_UNKNOWN = 12;     // a code outside this table was found
constexpr int ERR_EXTERNAL = 13;    // a source or background image had failed

// The interface version this library provides; clients state the version they need.
constexpr DWORD LibraryVersion = 0x01000000;

constexpr int LANGUAGE_ENGLISH = 0;
constexpr int LANGUAGE_JAPANESE = 1;

// CopyImage: destination channels to leave untouched.
constexpr int KEEP_BLUE = 1;
constexpr int KEEP_GREEN = 2;
constexpr int KEEP_RED = 4;
constexpr int KEEP_ALPHA = 8;

// One pixel value, laid out as a 32-bit pixel.
struct tagB_BGRA {
  unsigned char Blue;
  unsigned char Green;
  unsigned char Red;
  unsigned char Alpha;
};

// Base of every object the library hands out: owner window, client instance,
// message language and the sticky error code.
class ZEMADLLBase {
 public:
  // Every member starts as 0 (null); the constructors say it once here.
  HWND hWnd{};
  HINSTANCE hInstance{};
  DWORD Language{};  // LANGUAGE_ENGLISH or LANGUAGE_JAPANESE
  int ErrorCode{};   // ERR_NONE while the object is healthy

  // Shows the message for a failure code (not for 0 or ERR_EXTERNAL) in a
  // modal box owned by hWnd; returns ErrorCode.
  PIXOLAN_API int DisplayError();
  // The message text for the current code, in code page 932; library-owned.
  PIXOLAN_API const char* GetErrorMessage();

 protected:
  // Part of every constructor: sets the handles, checks the language and the
  // version the client requires. Derived constructors go on only while
  // ErrorCode is still 0.
  void InitializeBase(HWND owner, HINSTANCE instance, int language, unsigned long requiredVersion);
};

class LoadBMP;

// The image. Pixel (x, y), counted from the top-left, lies at
//   Bits + (H - 1 - y) * stride + x * bpp,  stride = (bpp * W + 3) & ~3,
// and the pixel memory holds H + 1 rows: the row at Bits + H * stride is a
// spare row (the section's top row as the platform sees it), so every blit
// to or from the section adds 1 to the row.
//
// Most operations work on the view rectangle (ViewOrigin, ViewSize) or, when
// their WholeImage argument is non-zero, on the whole bitmap. The view is
// changed through SetViewOrigin, MoveView and SetViewSize, which keep it
// inside the bitmap.
class ZEMADisplayFCDIB : public ZEMADLLBase {
 public:
  POINT Position{};    // where the client draws the image; set only by constructors
  POINT ViewOrigin{};  // top-left pixel of the view
  SIZE ViewSize{};     // extent of the view
  HBITMAP hBitmap{};   // the DIB section; null until created
  BITMAPINFO BitmapInfo{};
  unsigned char* Bits{};           // first byte of the pixel memory (owned by hBitmap)
  ZEMADisplayFCDIB* Background{};  // owned; made by Display when it blends

  // A blank (all zero) image. ColorType 4 gives 32 bits per pixel, any other
  // value 24. A width or height of 0 becomes 1.
  PIXOLAN_API ZEMADisplayFCDIB(unsigned long Version, HWND hWnd, HINSTANCE hInstance, unsigned int Width,
                               unsigned int Height, int ColorType, long XPelsPerMeter, long YPelsPerMeter,
                               int Language);
  // A copy of Source, whole or its view, at the same size.
  PIXOLAN_API ZEMADisplayFCDIB(ZEMADisplayFCDIB* Source, int WholeImage);
  // A copy of Source, whole or its view, scaled to Width x Height by area averaging.
  PIXOLAN_API ZEMADisplayFCDIB(ZEMADisplayFCDIB* Source, unsigned int Width, unsigned int Height, int WholeImage);
  // An image from a bitmap info header, a palette (2^n four-byte entries for
  // 1, 4 and 8 bits) and the stored pixel rows in memory. The caller vouches
  // for the buffer sizes. ColorType 3: 24-bit image, 4: 32-bit, otherwise
  // 32-bit only for a 32-bit source.
  PIXOLAN_API ZEMADisplayFCDIB(unsigned long Version, HWND hWnd, HINSTANCE hInstance, BITMAPINFOHEADER Header,
                               unsigned char* Palette, unsigned char* PixelData, int ColorType, int Language);
  // An image read from an uncompressed 1-, 4-, 8-, 24- or 32-bit BMP file.
  PIXOLAN_API ZEMADisplayFCDIB(unsigned long Version, HWND hWnd, HINSTANCE hInstance, char* FileName, int ColorType,
                               int Language);
  PIXOLAN_API ~ZEMADisplayFCDIB();

  ZEMADisplayFCDIB(const ZEMADisplayFCDIB&) = delete;
  ZEMADisplayFCDIB& operator=(const ZEMADisplayFCDIB&) = delete;

  // Writes the image, whole or its view, as an uncompressed BMP of its own depth.
  PIXOLAN_API int SaveImage(char* FileName, int WholeImage);

  // Copies Source's view to this image at ViewOrigin, leaving the channels
  // named by KeepMask (KEEP_*) untouched; masks above 15 copy nothing.
  PIXOLAN_API int CopyImage(ZEMADisplayFCDIB* Source, int KeepMask);
  // Blends Source (whole or its view) onto this image at ViewOrigin, keeping
  // Transparency/256 of the destination; a 32-bit source's alpha adds its own
  // transparency per pixel. Transparency 256 or more does nothing.
  PIXOLAN_API int PutImage(ZEMADisplayFCDIB* Source, unsigned short Transparency, int WholeImage);
  // Copies Source's view to (DestX, DestY) through the platform's BitBlt.
  PIXOLAN_API int BltImage(ZEMADisplayFCDIB* Source, unsigned long DestX, unsigned long DestY, unsigned long Rop);
  // Fills the whole image or its view with one colour (24-bit: alpha unused).
  PIXOLAN_API void EraseImage(tagB_BGRA Color, int WholeImage);

  // Scales Source's view into this image's view (IntoView != 0) or whole area.
  PIXOLAN_API int StretchImage(ZEMADisplayFCDIB* Source, int IntoView);

  // Draws the whole image or its view at (DestX, DestY) of hDC. A 32-bit image
  // or a Transparency above 0 is blended over what the device shows.
  PIXOLAN_API int Display(HDC hDC, unsigned long DestX, unsigned long DestY, unsigned short Transparency,
                          int WholeImage, unsigned long Rop);
  PIXOLAN_API int CreateBackground();
  PIXOLAN_API void DeleteBackground();

  // Mirrors: Direction & 3 is 0 nothing, 1 left-right, 2 upside-down, 3 both.
  PIXOLAN_API int TurnImage(int Direction, int WholeImage);
  PIXOLAN_API int TurnImageUD(int WholeImage);
  PIXOLAN_API int TurnImageLR(int WholeImage);
  PIXOLAN_API int TurnImageUDLR(int WholeImage);

  // Remaps the channels: Selector = 64 * source of blue + 16 * source of green
  // + 4 * source of red + source of alpha (0 blue, 1 green, 2 red, 3 alpha).
  PIXOLAN_API int ChangeChannels(int Selector, int WholeImage);
  // The per-pixel primitives behind ChangeChannels; First is the top-left
  // pixel of a rectangle of this image, Params the channel numbers.
  PIXOLAN_API void ChangeChannelsC(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsCC(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsCCC(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsS(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsSC(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsSCC(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsSS(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsR(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsRC(unsigned char* First, long Width, long Height, unsigned char* Params);
  PIXOLAN_API void ChangeChannelsA(unsigned char* First, long Width, long Height, unsigned char* Params);

  // View operations; each ends by clamping the view into the bitmap.
  void SetViewOrigin(POINT Origin) {
    ViewOrigin = Origin;
    NormalizeView();
  }
  void MoveView(int dx, int dy) {
    SetViewOriginWide(static_cast<long long>(ViewOrigin.x) + dx, static_cast<long long>(ViewOrigin.y) + dy);
  }
  void SetViewSize(SIZE Size) {
    ViewSize = Size;
    NormalizeView();
  }
  // The origin is moved inside the bitmap; a size of 0 or below, or one that
  // reaches past the edge, extends to the right or bottom edge.
  void NormalizeView() { SetViewOriginWide(ViewOrigin.x, ViewOrigin.y); }

 private:
  // Completes the header and creates the pixel memory; returns ErrorCode.
  int CreateDIB();

  void SetViewOriginWide(long long x, long long y) {
    const long long w = BitmapInfo.bmiHeader.biWidth;
    const long long h = BitmapInfo.bmiHeader.biHeight;
    if (x < 0) x = 0;
    if (x >= w) x = w - 1;
    if (y < 0) y = 0;
    if (y >= h) y = h - 1;
    long long cx = ViewSize.cx, cy = ViewSize.cy;
    if (cx <= 0 || cx > w - x) cx = w - x;
    if (cy <= 0 || cy > h - y) cy = h - y;
    ViewOrigin.x = static_cast<LONG>(x);
    ViewOrigin.y = static_cast<LONG>(y);
    ViewSize.cx = static_cast<LONG>(cx);
    ViewSize.cy = static_cast<LONG>(cy);
  }
};

namespace pixolan {

// Where an image's pixels lie, for code that reads or writes them directly:
// every stored row of `width` pixels takes Stride(width, bytesPerPixel) bytes,
// padded to a multiple of 4, and the rows lie bottom-up, so image row y (0 =
// top) starts at Row(y) and the next row down lies one stride lower. Row(-1)
// is the spare row behind the top row.
struct PixelRows {
  unsigned char* bits;
  long height;
  std::size_t stride;

  template <class Size>
  static constexpr Size Stride(Size width, Size bytesPerPixel) {
    return (width * bytesPerPixel + 3) & ~Size{3};
  }
  static PixelRows Of(const ZEMADisplayFCDIB& img) {
    const BITMAPINFOHEADER& h = img.BitmapInfo.bmiHeader;
    return PixelRows{img.Bits, h.biHeight,
                     Stride(static_cast<std::size_t>(h.biWidth), std::size_t{h.biBitCount == 24 ? 3u : 4u})};
  }
  unsigned char* Row(long y) const {
    return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * static_cast<std::ptrdiff_t>(stride);
  }
};

}  // namespace pixolan
