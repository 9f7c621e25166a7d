// The popup menu: one table of rows with an English and a Japanese text each,
// built once and re-applied after every change so the check marks follow the
// rows' flags.
#pragma once

#include <windows.h>

struct MenuItem {
  UINT Flags;                // MF_STRING, MF_CHECKED or MF_SEPARATOR
  UINT Id;                   // command sent with WM_COMMAND
  const char* TextEnglish;   // null for separators
  const char* TextJapanese;  // code page 932; null for separators
};

// The commands of the menu rows, sent as the low word of WM_COMMAND's wParam.
// A corner's command is its corner number.
enum MenuCommand : UINT {
  kCommandLeftTop = 0,
  kCommandRightTop = 1,
  kCommandLeftBottom = 2,
  kCommandRightBottom = 3,
  kCommandTopmost = 5,
  kCommandAbout = 7,
  kCommandExit = 9,
};
constexpr UINT kNoCommand = 0;  // the id of a separator, which sends nothing

constexpr int kMenuRows = 10;
constexpr int kMenuTopmostRow = 5;  // rows 0..3 are the corners
constexpr int kMenuJapanese = 1;    // any other language value selects English

// The program's menu; Place and the topmost command write its flags.
extern MenuItem MenuItems[kMenuRows];

// Check mark on the corner's row, none on the other three corner rows.
void MarkCorner(MenuItem* table, int corner);
// Check mark on the topmost row while the window is topmost.
void MarkTopmost(MenuItem* table, bool topmost);
// The row's text in a language: 1 Japanese, anything else English.
const char* MenuText(const MenuItem& item, int language);

class MakeMenu {
 public:
  HMENU hMenu;  // the popup menu; a null one makes Build fail

  MakeMenu();
  ~MakeMenu();
  MakeMenu(const MakeMenu&) = delete;
  MakeMenu& operator=(const MakeMenu&) = delete;

  // Appends every row in order; 1 when all were appended, 0 at the first
  // failure (the rows appended so far stay).
  int Build(const MenuItem* table, int count, int language);
  // Re-applies every row by position, separators included; 1 on success, 0 at
  // the first failure.
  int Refresh(const MenuItem* table, int count, int language);
};
