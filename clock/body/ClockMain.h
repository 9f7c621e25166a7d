// The clock body: the face skin, the figure sheet and the strip of ten
// pre-rendered face rows, the time values shown, and the window outline.
#pragma once

#include <windows.h>

#include "pixolan.h"

#include <string>

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

// The body's operations return 0 for success and 1 for failure; the popup
// menu's (MakeMenu) return 1 for success and 0 for failure. Both are fixed by
// the interface the clock's parts share, so each keeps its own.
class ClockMain {
 public:
  HWND hWnd;
  HINSTANCE hInstance;
  ZEMADisplayFCDIB* Skin;     // the face skin (face above, ink band below)
  ZEMADisplayFCDIB* Strip;    // 360 x 600: ten composed face rows
  ZEMADisplayFCDIB* Figures;  // 920 x 44 figure sheet with coverage as alpha
  int Layout;                 // corner layout 0..3 the strip is composed for
  TimeInf Time;
  // Display scale: the strip, the tiles and the outline are for Dpi (96: the
  // 1x face, 360 x 60). Other scales compose from the smallest artwork size
  // k >= Dpi / 96 the skin carries (else the largest) and, unless k matches,
  // bring each composed row to the window's size by area averaging.
  int Dpi;
  int ArtScale;                  // artwork size of ArtSkin and ArtFigures (1: none loaded)
  ZEMADisplayFCDIB* ArtSkin;     // owned: KL_Face@<k>x.bmp, when a larger size is in use
  ZEMADisplayFCDIB* ArtFigures;  // owned: the figure sheet of KL_Figs@<k>x.dat
  unsigned UnusableSizes;        // bit k: the @<k>x files are missing or unusable

  ClockMain(HWND hWnd, HINSTANCE hInstance);
  ~ClockMain();
  ClockMain(const ClockMain&) = delete;
  ClockMain& operator=(const ClockMain&) = delete;

  // Builds the body: outline region (handed back in *Shape even when a later
  // step fails), skin, figures, composition. 0 on success, 1 on failure.
  int Create(HRGN* Shape, const char* FaceFile, const char* FigureFile, int Layout);
  int LoadSkin(const char* FileName);
  int LoadFigures(const char* FileName);
  // Pre-renders every glyph state for a corner layout into Strip, at Dpi.
  int Compose(int Layout);
  // Copies the eleven tiles for the current local time to the device.
  void Paint(HDC hDC);
  // The window outline for a layout at Dpi; the caller owns the region.
  HRGN CreateShape(int Layout);
  // The artwork size Compose uses at Dpi: the smallest size k >= Dpi / 96
  // among 1x and the larger sizes not found unusable, else the largest.
  int ChooseArtScale() const;

 private:
  std::string faceFile_, figureFile_;  // the 1x names the larger sizes are found beside

  // Reads the @<k>x files into ArtSkin and ArtFigures, without a message:
  // false (and nothing replaced) when either is missing, unreadable or
  // smaller than size k needs.
  bool LoadArt(int k);
  // Draws the ten face rows of a layout at artwork size k into Target.
  int ComposeRows(ZEMADisplayFCDIB* Target, ZEMADisplayFCDIB* Face, ZEMADisplayFCDIB* Sheet, int k, int Layout);
  // The figure sheet of size k from its file's bytes; raises what its
  // construction raises.
  ZEMADisplayFCDIB* NewFigureSheet(int k, unsigned char* Bytes);
  // A blank 24-bit image, or null after the library's message.
  ZEMADisplayFCDIB* NewStrip(int Width, int Height);
};
