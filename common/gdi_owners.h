// Scoped owners of GDI handles: the screen's device context and GDI objects
// (regions, bitmaps), released on every way out of a scope. Header-only, so
// each binary carries its own copy.
#pragma once

#include <windows.h>

namespace gdi {

// The screen's device context, from GetDC(null) to ReleaseDC.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A GDI object deleted with DeleteObject unless handed on with Release (to
// SetWindowRgn, say, which takes the region over).
template <typename Handle>
class Owned {
 public:
  explicit Owned(Handle handle = nullptr) : handle_(handle) {}
  ~Owned() {
    if (handle_ != nullptr) DeleteObject(handle_);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle Get() const { return handle_; }
  Handle Release() {
    Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  Handle handle_;
};

// An object selected into a device context for a scope; the one it replaced
// is selected again at the end.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, previous_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace gdi
