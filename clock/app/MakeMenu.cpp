#include "MakeMenu.h"

#include <new>
#include <string>

#include "Messages.h"
#include "WideText.h"

MenuItem MenuItems[kMenuRows] = {
    {MF_STRING, 0, horlin::kMenuLeftTopEn, horlin::kMenuLeftTop},
    {MF_STRING, 1, horlin::kMenuRightTopEn, horlin::kMenuRightTop},
    {MF_STRING, 2, horlin::kMenuLeftBottomEn, horlin::kMenuLeftBottom},
    {MF_STRING, 3, horlin::kMenuRightBottomEn, horlin::kMenuRightBottom},
    {MF_SEPARATOR, 0, nullptr, nullptr},
    {MF_STRING, 5, horlin::kMenuTopmostEn, horlin::kMenuTopmost},
    {MF_SEPARATOR, 0, nullptr, nullptr},
    {MF_STRING, 7, horlin::kMenuAboutEn, horlin::kMenuAbout},
    {MF_SEPARATOR, 0, nullptr, nullptr},
    {MF_STRING, 9, horlin::kMenuExitEn, horlin::kMenuExit},
};

void MarkCorner(MenuItem* table, int corner) {
  for (int row = 0; row < 4; ++row) table[row].Flags = row == (corner & 3) ? MF_CHECKED : MF_STRING;
}

void MarkTopmost(MenuItem* table, bool topmost) { table[kMenuTopmostRow].Flags = topmost ? MF_CHECKED : MF_STRING; }

const char* MenuText(const MenuItem& item, int language) {
  return language == kMenuJapanese ? item.TextJapanese : item.TextEnglish;
}

namespace {

// Appends the row (position < 0) or replaces the row at that position. The
// table keeps code page 932 bytes; the menu gets them as UTF-16, so they read
// the same whatever the system's code page.
BOOL PutRow(HMENU menu, const MenuItem& row, int language, int position) {
  try {
    std::wstring text;
    const wchar_t* item = nullptr;
    if (!(row.Flags & MF_SEPARATOR) && MenuText(row, language)) {
      text = horlin::WideFromCp932(MenuText(row, language));
      item = text.c_str();
    }
    if (position < 0) return AppendMenuW(menu, row.Flags, row.Id, item);
    return ModifyMenuW(menu, static_cast<UINT>(position), row.Flags | MF_BYPOSITION, row.Id, item);
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

}  // namespace

MakeMenu::MakeMenu() : hMenu(CreatePopupMenu()) {}

MakeMenu::~MakeMenu() {
  if (hMenu) DestroyMenu(hMenu);
}

int MakeMenu::Build(const MenuItem* table, int count, int language) {
  for (int i = 0; i < count; ++i) {
    if (!PutRow(hMenu, table[i], language, -1)) return 0;
  }
  return 1;
}

int MakeMenu::Refresh(const MenuItem* table, int count, int language) {
  for (int i = 0; i < count; ++i) {
    if (!PutRow(hMenu, table[i], language, i)) return 0;
  }
  return 1;
}
