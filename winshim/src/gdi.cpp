// GDI32 as our code uses it: DIB sections in plain zeroed memory, memory device
// contexts, SRCCOPY blits clipped to both bitmaps, and polygon regions.
#include <windows.h>
#include <winshim.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

struct ShimGdiObject {
  enum Kind { Bitmap, Region } kind;
  explicit ShimGdiObject(Kind k) : kind(k) {}
  // Bitmap: rows of `stride` bytes, bottom-up unless `topDown`.
  int width = 0;
  int height = 0;
  int bytesPerPixel = 0;
  size_t stride = 0;
  bool topDown = false;
  unsigned char* bits = nullptr;
  int selectedCount = 0;  // device contexts it is selected into
  // Region: a polygon and its fill mode.
  std::vector<POINT> points;
  int fillMode = ALTERNATE;
};

struct ShimDC {
  enum Kind { Screen, Memory, Surface } kind;
  ShimGdiObject* selected = nullptr;             // memory DC: the bitmap drawn on
  ShimGdiObject surface{ShimGdiObject::Bitmap};  // surface DC: its own pixels
  int mapMode = MM_TEXT;
};

namespace {

int gLiveObjects = 0;
int gLiveDCs = 0;
int gFailDIBSections = 0;

ShimDC& ScreenDC() {
  static ShimDC screen{ShimDC::Screen};
  return screen;
}

ShimGdiObject* TargetOf(HDC dc) {
  if (dc == nullptr) return nullptr;
  if (dc->kind == ShimDC::Memory) return dc->selected;
  if (dc->kind == ShimDC::Surface) return &dc->surface;
  return nullptr;
}

unsigned char* PixelAt(ShimGdiObject* b, int x, int y) {
  int row = b->topDown ? y : b->height - 1 - y;
  return b->bits + static_cast<size_t>(row) * b->stride + static_cast<size_t>(x) * b->bytesPerPixel;
}

}  // namespace

HDC GetDC(HWND) { return &ScreenDC(); }
int ReleaseDC(HWND, HDC dc) { return dc == &ScreenDC() ? 1 : 0; }

// Only 24- and 32-bit uncompressed sections exist in our code. The memory is
// exactly stride x rows bytes, so the sanitizers see any access beyond it.
HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biCompression != BI_RGB) return nullptr;
  if (h.biBitCount != 24 && h.biBitCount != 32) return nullptr;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return nullptr;
  if (gFailDIBSections > 0) {
    --gFailDIBSections;
    return nullptr;
  }
  int bpp = h.biBitCount / 8;
  int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  size_t stride = (static_cast<size_t>(h.biWidth) * bpp + 3) & ~static_cast<size_t>(3);
  size_t total = stride * static_cast<size_t>(rows);
  if (total / stride != static_cast<size_t>(rows) || total > (size_t{1} << 31)) return nullptr;
  auto* mem = static_cast<unsigned char*>(std::calloc(total, 1));
  if (mem == nullptr) return nullptr;
  auto* b = new ShimGdiObject(ShimGdiObject::Bitmap);
  b->width = h.biWidth;
  b->height = rows;
  b->bytesPerPixel = bpp;
  b->stride = stride;
  b->topDown = h.biHeight < 0;
  b->bits = mem;
  ++gLiveObjects;
  if (bits) *bits = mem;
  return b;
}

// As in GDI, a bitmap still selected into a device context cannot be deleted.
BOOL DeleteObject(HGDIOBJ obj) {
  if (obj == nullptr || obj->selectedCount > 0) return FALSE;
  std::free(obj->bits);
  delete obj;
  --gLiveObjects;
  return TRUE;
}

HDC CreateCompatibleDC(HDC) {
  ++gLiveDCs;
  return new ShimDC{ShimDC::Memory};
}

// Deleting a memory context releases whatever is selected into it.
BOOL DeleteDC(HDC dc) {
  if (dc == nullptr || dc->kind != ShimDC::Memory) return FALSE;
  if (dc->selected) --dc->selected->selectedCount;
  delete dc;
  --gLiveDCs;
  return TRUE;
}

// Only bitmaps are selected, and only into memory contexts. A memory context
// starts with no bitmap; the previous one is returned (or null).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  if (dc == nullptr || obj == nullptr || dc->kind != ShimDC::Memory || obj->kind != ShimGdiObject::Bitmap)
    return nullptr;
  ShimGdiObject* previous = dc->selected;
  if (previous) --previous->selectedCount;
  dc->selected = obj;
  ++obj->selectedCount;
  return previous;
}

int GetMapMode(HDC dc) { return dc ? dc->mapMode : MM_TEXT; }

int SetMapMode(HDC dc, int mode) {
  if (dc == nullptr || mode != MM_TEXT) return 0;
  int old = dc->mapMode;
  dc->mapMode = mode;
  return old;
}

// In MM_TEXT one logical unit is one device pixel.
BOOL DPtoLP(HDC dc, LPPOINT, int) { return dc != nullptr && dc->mapMode == MM_TEXT; }

// SRCCOPY between two bitmaps (memory contexts or surfaces): the rectangle is
// clipped to both, and 24/32-bit pixels convert as GDI converts them (a
// 32-bit destination's fourth byte receives 0).
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  ShimGdiObject* d = TargetOf(dst);
  ShimGdiObject* s = TargetOf(src);
  if (d == nullptr || s == nullptr || rop != SRCCOPY) return FALSE;
  if (dst->mapMode != MM_TEXT || src->mapMode != MM_TEXT) return FALSE;
  if (cx <= 0 || cy <= 0) return TRUE;
  // Clip columns and rows so both (x + i, y + j) and (x1 + i, y1 + j) lie inside.
  long long i0 = 0, j0 = 0, i1 = cx, j1 = cy;
  auto clip = [](long long& lo, long long& hi, long long origin, long long extent) {
    if (origin + lo < 0) lo = -origin;
    if (origin + hi > extent) hi = extent - origin;
  };
  clip(i0, i1, x, d->width);
  clip(i0, i1, x1, s->width);
  clip(j0, j1, y, d->height);
  clip(j0, j1, y1, s->height);
  if (i0 >= i1 || j0 >= j1) return TRUE;
  const int dbpp = d->bytesPerPixel, sbpp = s->bytesPerPixel;
  const size_t n = static_cast<size_t>(i1 - i0);
  // A blit within one bitmap goes through a row buffer, so that it reads the
  // source rows before they are overwritten. Between two bitmaps the rows go
  // in the destination's memory order, which streams best.
  const bool same = d == s;
  std::vector<unsigned char> row(same ? n * 4 : 0);
  const bool upward = !d->topDown;
  for (long long k = 0; k < j1 - j0; ++k) {
    const long long j = upward ? j1 - 1 - k : j0 + k;
    const unsigned char* sp = PixelAt(s, static_cast<int>(x1 + i0), static_cast<int>(y1 + j));
    unsigned char* dp = PixelAt(d, static_cast<int>(x + i0), static_cast<int>(y + j));
    if (same) {
      std::memcpy(row.data(), sp, n * sbpp);
      sp = row.data();
    }
    if (sbpp == dbpp) {
      std::memcpy(dp, sp, n * dbpp);
    } else if (sbpp == 3) {
      // 24 to 32 bits, as a window's surface takes the clock's strip: four
      // bytes read per pixel (the last pixel's three alone, so that nothing
      // past the row is read) and the fourth cleared.
      size_t i = 0;
      for (; i + 1 < n; ++i) {
        std::uint32_t v;
        std::memcpy(&v, sp + i * 3, 4);
        v &= 0x00FFFFFFu;
        std::memcpy(dp + i * 4, &v, 4);
      }
      dp[i * 4 + 0] = sp[i * 3 + 0];
      dp[i * 4 + 1] = sp[i * 3 + 1];
      dp[i * 4 + 2] = sp[i * 3 + 2];
      dp[i * 4 + 3] = 0;
    } else {
      for (size_t i = 0; i < n; ++i) {
        dp[i * dbpp + 0] = sp[i * sbpp + 0];
        dp[i * dbpp + 1] = sp[i * sbpp + 1];
        dp[i * dbpp + 2] = sp[i * sbpp + 2];
        if (dbpp == 4) dp[i * dbpp + 3] = 0;
      }
    }
  }
  return TRUE;
}

// Every call here finishes before it returns; there is no batch to flush.
BOOL GdiFlush() { return TRUE; }

HRGN CreatePolygonRgn(const POINT* points, int count, int mode) {
  if (points == nullptr || count < 3 || (mode != ALTERNATE && mode != WINDING)) return nullptr;
  auto* r = new ShimGdiObject(ShimGdiObject::Region);
  r->points.assign(points, points + count);
  r->fillMode = mode;
  ++gLiveObjects;
  return r;
}

// A pixel belongs to the region when its centre lies inside the polygon, so a
// rectangle from (0, 0) to (w, h) holds the pixels 0..w-1 and 0..h-1 as in GDI.
BOOL PtInRegion(HRGN rgn, int x, int y) {
  if (rgn == nullptr || rgn->kind != ShimGdiObject::Region) return FALSE;
  const double px = x + 0.5, py = y + 0.5;
  int winding = 0, crossings = 0;
  const auto& p = rgn->points;
  for (size_t k = 0; k < p.size(); ++k) {
    const POINT& a = p[k];
    const POINT& b = p[(k + 1) % p.size()];
    if ((a.y <= py) == (b.y <= py)) continue;
    double xCross = a.x + (py - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
    if (xCross > px) {
      ++crossings;
      winding += b.y > a.y ? 1 : -1;
    }
  }
  return rgn->fillMode == WINDING ? winding != 0 : (crossings & 1) != 0;
}

namespace shim {

void FailNextDIBSections(int count) { gFailDIBSections = count; }

HDC CreateSurfaceDC(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  auto* dc = new ShimDC{ShimDC::Surface};
  dc->surface.width = width;
  dc->surface.height = height;
  dc->surface.bytesPerPixel = 4;
  dc->surface.stride = static_cast<size_t>(width) * 4;
  dc->surface.topDown = true;
  dc->surface.bits = static_cast<unsigned char*>(std::calloc(dc->surface.stride * height, 1));
  ++gLiveDCs;
  return dc;
}

void DeleteSurfaceDC(HDC dc) {
  if (dc == nullptr || dc->kind != ShimDC::Surface) return;
  std::free(dc->surface.bits);
  delete dc;
  --gLiveDCs;
}

DWORD GetSurfacePixel(HDC dc, int x, int y) {
  const unsigned char* p = PixelAt(&dc->surface, x, y);
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16;
}

void SetSurfacePixel(HDC dc, int x, int y, DWORD rgb) {
  unsigned char* p = PixelAt(&dc->surface, x, y);
  p[0] = rgb & 0xFF;
  p[1] = (rgb >> 8) & 0xFF;
  p[2] = (rgb >> 16) & 0xFF;
  p[3] = 0;
}

int LiveGdiObjects() { return gLiveObjects; }
int LiveDCs() { return gLiveDCs; }

}  // namespace shim
