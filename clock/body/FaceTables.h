// Geometry and data tables of the clock face: where each glyph is drawn, which
// rectangle of the strip each slot copies to the window, where each figure
// lies in the figure sheet, the composition script and the window outline.
//
// Coordinates are pixels from the top-left of the 360 x 60 face (or of the
// 920 x 44 figure sheet for FigurePos).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The skin's two files, opened by bare name in the current folder.
constexpr char kFaceFile[] = "KL_Face.bmp";
constexpr char kFigureFile[] = "KL_Figs.dat";

constexpr int kFaceWidth = 360;
constexpr int kFaceHeight = 60;
constexpr int kStripRows = 10;   // Strip is kStripRows faces stacked vertically
constexpr int kSlotCount = 11;   // one slot per TimeInf value
constexpr int kLayoutCount = 4;  // 0 left-top, 1 right-top, 2 left-bottom, 3 right-bottom
constexpr int kFigureCount = 29;
constexpr int kFigureSheetWidth = 920;
constexpr int kFigureSheetHeight = 44;
constexpr DWORD kFigureBytes = 20240;  // 44 rows of 460 bytes at 4 bits per pixel
constexpr int kScriptLength = 76;
constexpr int kShapePointCount = 7;  // corners of the window outline

// FigureScript entries other than a figure number (0..28).
constexpr std::int32_t kScriptBlank = -1;     // leave this row as plain face
constexpr std::int32_t kScriptNextSlot = -2;  // go to the next slot, row 0
constexpr std::int32_t kScriptEnd = -3;       // any other value ends the script too

extern const SIZE SlotSize[kSlotCount];                // glyph size per slot
extern const SIZE TileSize[kSlotCount];                // copied tile size per slot
extern const POINT SlotPos[kLayoutCount][kSlotCount];  // glyph top-left
extern const POINT TilePos[kLayoutCount][kSlotCount];  // tile top-left
extern const POINT FigurePos[kFigureCount];            // figure top-left in the sheet
// Which figure each strip row of each slot shows; read it through
// WalkFigureScript.
extern const std::int32_t FigureScript[kScriptLength];
// The window's outline per layout.
extern const POINT ShapePoints[kLayoutCount][kShapePointCount];

// The one reading of FigureScript: calls visit(slot, row, figure) for every
// figure the script draws, in script order. Row r of a slot is strip row r;
// rows the script leaves blank, or does not reach, show the plain face.
template <typename Visit>
void WalkFigureScript(Visit&& visit) {
  int slot = 0, row = 0;
  for (const std::int32_t entry : FigureScript) {
    if (entry >= 0 && entry < kFigureCount) {
      visit(slot, row++, static_cast<int>(entry));
    } else if (entry == kScriptBlank) {
      ++row;
    } else if (entry == kScriptNextSlot) {
      if (++slot >= kSlotCount) return;
      row = 0;
    } else {
      return;
    }
  }
}

// The size each figure is cut at: that of the slot whose rows show it. The
// figure's cell in the sheet is FigurePos[figure] with this size.
SIZE FigureCutSize(int figure);

// Display scales. Every coordinate above is for a display of 96 dots per
// inch. At another DPI the window, its outline and every tile are the 1x
// coordinates scaled by dpi / 96 and rounded half up; two tiles that share an
// edge at 1x share the scaled edge, so the scaled tiles still cover the face
// once. Skins may carry artwork for 2x, 3x and 4x beside the 1x files.
constexpr int kBaseDpi = 96;
constexpr int kMaxArtScale = 4;
// A 1x coordinate (0 or more) at a display's DPI.
constexpr LONG ScaleToDpi(LONG v, int dpi) {
  return static_cast<LONG>((static_cast<long long>(v) * dpi + kBaseDpi / 2) / kBaseDpi);
}
// The face's size at a DPI: 360 x 60 at 96.
SIZE FaceSizeAt(int dpi);
// Tile i of a layout at a DPI, in face coordinates.
RECT TileRectAt(int layout, int slot, int dpi);
// The file of artwork size k (1..4): the name itself for 1, else the name
// with "@2x" and so on before its extension ("KL_Face@2x.bmp").
std::string ArtFileName(const std::string& name, int k);
// The figure sheet at size k: 920k x 44k at 4 bits per pixel, the cells at
// FigurePos k with cut sizes k times those of 1x.
DWORD FigureBytesAt(int k);
BITMAPINFOHEADER FigureHeaderAt(int k);

// The header and palette that turn KL_Figs.dat into a 32-bit sheet: entry i
// is grey 17 i with fourth byte 255 - 17 i, so the pixel value (the ink
// coverage) becomes the blend weight.
extern const BITMAPINFOHEADER FigureHeader;
extern const unsigned char FigurePalette[16 * 4];
