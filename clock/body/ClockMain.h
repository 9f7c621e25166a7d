// The clock body: the face skin, the figure sheet and the strip of ten
// pre-rendered face rows, the time values shown, and the window outline.
#pragma once

#include <windows.h>

#include "pixolan.h"

// The eleven values the face shows, one per slot: month tens and units, the
// separator, day tens and units, weekday, hour tens and units, colon, minute
// tens and units.
class TimeInf {
 public:
  unsigned short Value[11];

  TimeInf();
  // Reads the local time and sets all eleven values.
  void Update();
  // Sets all eleven values from a time (24-hour clock; the colon shows
  // during the first half of each second).
  void Set(const SYSTEMTIME& Now);
};

class ClockMain {
 public:
  HWND hWnd;
  HINSTANCE hInstance;
  ZEMADisplayFCDIB* Skin;     // the face skin (face above, ink band below)
  ZEMADisplayFCDIB* Strip;    // 360 x 600: ten composed face rows
  ZEMADisplayFCDIB* Figures;  // 920 x 44 figure sheet with coverage as alpha
  int Layout;                 // corner layout 0..3 the strip is composed for
  TimeInf Time;

  ClockMain(HWND hWnd, HINSTANCE hInstance);
  ~ClockMain();
  ClockMain(const ClockMain&) = delete;
  ClockMain& operator=(const ClockMain&) = delete;

  // Builds the body: outline region (handed back in *Shape even when a later
  // step fails), skin, figures, composition. 0 on success, 1 on failure.
  int Create(HRGN* Shape, const char* FaceFile, const char* FigureFile, int Layout);
  int LoadSkin(const char* FileName);
  int LoadFigures(const char* FileName);
  // Pre-renders every glyph state for a corner layout into Strip.
  int Compose(int Layout);
  // Copies the eleven tiles for the current local time to the device.
  void Paint(HDC hDC);
  // The window outline for a layout; the caller owns the region.
  HRGN CreateShape(int Layout);
};
