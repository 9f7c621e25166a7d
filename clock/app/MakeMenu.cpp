#include "MakeMenu.h"

#include <string>

#include "GuardedStep.h"
#include "Messages.h"
#include "wide_text.h"

MenuItem MenuItems[kMenuRows] = {
    {MF_STRING, kCommandLeftTop, horlin::kMenuLeftTopEn, horlin::kMenuLeftTop},
    {MF_STRING, kCommandRightTop, horlin::kMenuRightTopEn, horlin::kMenuRightTop},
    {MF_STRING, kCommandLeftBottom, horlin::kMenuLeftBottomEn, horlin::kMenuLeftBottom},
    {MF_STRING, kCommandRightBottom, horlin::kMenuRightBottomEn, horlin::kMenuRightBottom},
    {MF_SEPARATOR, kNoCommand, nullptr, nullptr},
    {MF_STRING, kCommandTopmost, horlin::kMenuTopmostEn, horlin::kMenuTopmost},
    {MF_SEPARATOR, kNoCommand, nullptr, nullptr},
    {MF_STRING, kCommandAbout, horlin::kMenuAboutEn, horlin::kMenuAbout},
    {MF_SEPARATOR, kNoCommand, nullptr, nullptr},
    {MF_STRING, kCommandExit, horlin::kMenuExitEn, horlin::kMenuExit},
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
  BOOL put = FALSE;
  horlin::GuardedStep([&] {
    std::wstring text;
    const wchar_t* item = nullptr;
    if (!(row.Flags & MF_SEPARATOR) && MenuText(row, language)) {
      text = wide::FromCp932(MenuText(row, language));
      item = text.c_str();
    }
    if (position < 0)
      put = AppendMenuW(menu, row.Flags, row.Id, item);
    else
      put = ModifyMenuW(menu, static_cast<UINT>(position), row.Flags | MF_BYPOSITION, row.Id, item);
  });
  return put;
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
