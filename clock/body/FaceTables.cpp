#include "FaceTables.h"

// Slots: 0 month tens, 1 month units, 2 separator, 3 day tens, 4 day units,
// 5 weekday, 6 hour tens, 7 hour units, 8 colon, 9 minute tens, 10 minute units.
// The tables keep their rows as laid out.
// clang-format off
const SIZE SlotSize[kSlotCount] = {
    {24, 22}, {24, 22}, {20, 22}, {24, 22}, {24, 22}, {60, 18},
    {48, 44}, {48, 44}, {20, 44}, {48, 44}, {48, 44},
};

const SIZE TileSize[kSlotCount] = {
    {32, 30}, {24, 30}, {20, 30}, {24, 30}, {32, 30}, {132, 30},
    {56, 60}, {48, 60}, {20, 60}, {48, 60}, {56, 60},
};

const POINT SlotPos[kLayoutCount][kSlotCount] = {
    // Left-top: time left, date right, month/day above the weekday.
    {{236, 8}, {260, 8}, {284, 8}, {304, 8}, {328, 8}, {236, 34},
     {8, 8}, {56, 8}, {104, 8}, {124, 8}, {172, 8}},
    // Right-top: date left, time right.
    {{8, 8}, {32, 8}, {56, 8}, {76, 8}, {100, 8}, {64, 34},
     {140, 8}, {188, 8}, {236, 8}, {256, 8}, {304, 8}},
    // Left-bottom: weekday above the month/day.
    {{236, 30}, {260, 30}, {284, 30}, {304, 30}, {328, 30}, {236, 8},
     {8, 8}, {56, 8}, {104, 8}, {124, 8}, {172, 8}},
    // Right-bottom.
    {{8, 30}, {32, 30}, {56, 30}, {76, 30}, {100, 30}, {64, 8},
     {140, 8}, {188, 8}, {236, 8}, {256, 8}, {304, 8}},
};

const POINT TilePos[kLayoutCount][kSlotCount] = {
    {{228, 0}, {260, 0}, {284, 0}, {304, 0}, {328, 0}, {228, 30},
     {0, 0}, {56, 0}, {104, 0}, {124, 0}, {172, 0}},
    {{0, 0}, {32, 0}, {56, 0}, {76, 0}, {100, 0}, {0, 30},
     {132, 0}, {188, 0}, {236, 0}, {256, 0}, {304, 0}},
    {{228, 30}, {260, 30}, {284, 30}, {304, 30}, {328, 30}, {228, 0},
     {0, 0}, {56, 0}, {104, 0}, {124, 0}, {172, 0}},
    {{0, 30}, {32, 30}, {56, 30}, {76, 30}, {100, 30}, {0, 0},
     {132, 0}, {188, 0}, {236, 0}, {256, 0}, {304, 0}},
};

const POINT FigurePos[kFigureCount] = {
    // 0-9: large digits, 48 x 44.
    {0, 0}, {48, 0}, {96, 0}, {144, 0}, {192, 0},
    {240, 0}, {288, 0}, {336, 0}, {384, 0}, {432, 0},
    // 10: large colon, 20 x 44.
    {480, 0},
    // 11-20: small digits, 24 x 22.
    {500, 0}, {524, 0}, {548, 0}, {572, 0}, {596, 0},
    {620, 0}, {644, 0}, {668, 0}, {692, 0}, {716, 0},
    // 21: month/day separator, 20 x 22.
    {740, 0},
    // 22-28: weekday labels Sunday to Saturday, 60 x 18.
    {500, 22}, {560, 22}, {620, 22}, {680, 22}, {740, 22}, {800, 22}, {860, 22},
};

// Row r of a slot shows the figure of its r-th entry. A leading zero of the
// month, the day and the hour stays plain face; so does the hidden colon.
const std::int32_t FigureScript[kScriptLength] = {
    kScriptBlank, 12, kScriptNextSlot,                            // month tens: blank, 1
    11, 12, 13, 14, 15, 16, 17, 18, 19, 20, kScriptNextSlot,      // month units: 0-9
    21, kScriptNextSlot,                                          // separator
    kScriptBlank, 12, 13, 14, kScriptNextSlot,                    // day tens: blank, 1-3
    11, 12, 13, 14, 15, 16, 17, 18, 19, 20, kScriptNextSlot,      // day units: 0-9
    22, 23, 24, 25, 26, 27, 28, kScriptNextSlot,                  // weekday: Sunday-Saturday
    kScriptBlank, 1, 2, kScriptNextSlot,                          // hour tens: blank, 1, 2
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, kScriptNextSlot,                // hour units: 0-9
    kScriptBlank, 10, kScriptNextSlot,                            // colon: hidden, shown
    0, 1, 2, 3, 4, 5, kScriptNextSlot,                            // minute tens: 0-5
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, kScriptEnd,                     // minute units: 0-9, end
};

// clang-format on

// Each outline cuts off the corner beside the weekday label.
const POINT ShapePoints[kLayoutCount][kShapePointCount] = {
    {{0, 0}, {360, 0}, {360, 30}, {352, 38}, {318, 38}, {296, 60}, {0, 60}},
    {{0, 0}, {360, 0}, {360, 60}, {64, 60}, {42, 38}, {8, 38}, {0, 30}},
    {{0, 0}, {296, 0}, {318, 22}, {352, 22}, {360, 30}, {360, 60}, {0, 60}},
    {{0, 30}, {8, 22}, {42, 22}, {64, 0}, {360, 0}, {360, 60}, {0, 60}},
};

const BITMAPINFOHEADER FigureHeader = {
    40,            // biSize
    920,           // biWidth
    44,            // biHeight: positive, bottom row first
    1,             // biPlanes
    4,             // biBitCount
    BI_RGB,        // biCompression
    kFigureBytes,  // biSizeImage
    3780,          // biXPelsPerMeter
    3780,          // biYPelsPerMeter
    0,             // biClrUsed
    0,             // biClrImportant
};

#define FIGURE_GREY(i) 17 * (i), 17 * (i), 17 * (i), 255 - 17 * (i)
const unsigned char FigurePalette[16 * 4] = {
    FIGURE_GREY(0),  FIGURE_GREY(1),  FIGURE_GREY(2),  FIGURE_GREY(3),  FIGURE_GREY(4),  FIGURE_GREY(5),
    FIGURE_GREY(6),  FIGURE_GREY(7),  FIGURE_GREY(8),  FIGURE_GREY(9),  FIGURE_GREY(10), FIGURE_GREY(11),
    FIGURE_GREY(12), FIGURE_GREY(13), FIGURE_GREY(14), FIGURE_GREY(15),
};
#undef FIGURE_GREY

SIZE FigureCutSize(int figure) {
  SIZE cut{0, 0};
  WalkFigureScript([&](int slot, int, int shown) {
    if (shown == figure && cut.cx == 0) cut = SlotSize[slot];
  });
  return cut;
}

SIZE FaceSizeAt(int dpi) { return SIZE{ScaleToDpi(kFaceWidth, dpi), ScaleToDpi(kFaceHeight, dpi)}; }

RECT TileRectAt(int layout, int slot, int dpi) {
  const POINT at = TilePos[layout][slot];
  const SIZE size = TileSize[slot];
  // Edges, not sizes, are scaled, so neighbours keep meeting.
  return RECT{ScaleToDpi(at.x, dpi), ScaleToDpi(at.y, dpi), ScaleToDpi(at.x + size.cx, dpi),
              ScaleToDpi(at.y + size.cy, dpi)};
}

std::string ArtFileName(const std::string& name, int k) {
  if (k <= 1) return name;
  // The extension is the part after the last dot of the file's own name.
  const size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  return name.substr(0, dot) + "@" + std::to_string(k) + "x" + name.substr(dot);
}

DWORD FigureBytesAt(int k) { return kFigureBytes * static_cast<DWORD>(k) * static_cast<DWORD>(k); }

BITMAPINFOHEADER FigureHeaderAt(int k) {
  BITMAPINFOHEADER header = FigureHeader;
  header.biWidth *= k;
  header.biHeight *= k;
  header.biSizeImage = FigureBytesAt(k);  // rows of 460 k bytes need no filler
  header.biXPelsPerMeter *= k;
  header.biYPelsPerMeter *= k;
  return header;
}
