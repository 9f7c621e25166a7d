// The clock shell's plain parts: the settings byte and its file, the corner
// positions, the popup menu built from the table and the window procedure
// (real menus and windows, so this suite runs on Windows).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MakeMenu.h"
#include "Messages.h"
#include "Settings.h"
#include "Window.h"
#include "test_support.h"
#include "wide_text.h"

namespace {

std::vector<unsigned char> FileBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  unsigned char buf[64];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) bytes.insert(bytes.end(), buf, buf + got);
  CloseHandle(f);
  return bytes;
}

void PutFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(f);
  ASSERT_EQ(put, bytes.size());
}

TEST(Settings, FirstByteOrDefault) {
  const unsigned char bytes[] = {0xF8, 0x03};
  EXPECT_EQ(horlin::EnvFromBytes(bytes, 0), 1);
  EXPECT_EQ(horlin::EnvFromBytes(bytes, 1), 0xF8);
  EXPECT_EQ(horlin::EnvFromBytes(bytes, 2), 0xF8);
}

TEST(Settings, CornerChangeKeepsOtherBits) {
  EXPECT_EQ(horlin::EnvWithCorner(0xF8, 2), 0xFA);
  EXPECT_EQ(horlin::EnvWithCorner(0x07, 0), 0x04);
  EXPECT_EQ(horlin::EnvWithCorner(0x05, 3), 0x07);
}

TEST(Settings, CornerPositionsCoverTheWholeScreen) {
  const SIZE screen{1024, 768}, window{360, 60};
  const POINT expected[4] = {{0, 0}, {664, 0}, {0, 708}, {664, 708}};
  for (int c = 0; c < 4; ++c) {
    POINT p = horlin::CornerPosition(c, screen, window);
    EXPECT_EQ(p.x, expected[c].x) << "corner " << c;
    EXPECT_EQ(p.y, expected[c].y) << "corner " << c;
  }
  POINT p = horlin::CornerPosition(3, SIZE{1280, 1024}, window);
  EXPECT_EQ(p.x, 920);
  EXPECT_EQ(p.y, 964);
}

TEST(Settings, FileReadGivesFirstByteOrDefault) {
  const std::string path = testing_support::TempPath("read.cfg");
  DeleteFileA(path.c_str());
  EXPECT_EQ(horlin::ReadEnvFile(path.c_str()), 1) << "missing file";
  PutFile(path, {});
  EXPECT_EQ(horlin::ReadEnvFile(path.c_str()), 1) << "empty file";
  PutFile(path, {0x07, 0x01, 0x02});
  EXPECT_EQ(horlin::ReadEnvFile(path.c_str()), 0x07);

  // A file someone holds open without sharing reads as the default.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(horlin::ReadEnvFile(path.c_str()), 1);
  CloseHandle(held);
}

TEST(Settings, FileWriteLeavesExactlyOneByte) {
  const std::string path = testing_support::TempPath("write.cfg");
  PutFile(path, {0x11, 0x22, 0x33});
  ASSERT_TRUE(horlin::WriteEnvFile(path.c_str(), 0xFC));
  EXPECT_EQ(FileBytes(path), std::vector<unsigned char>{0xFC});

  // Held open by someone else: the write fails and the old byte stays, with
  // no temporary file left beside it.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(horlin::WriteEnvFile(path.c_str(), 0x01));
  CloseHandle(held);
  EXPECT_EQ(FileBytes(path), std::vector<unsigned char>{0xFC});
  EXPECT_EQ(GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);

  // Read-only: never replaced, although Wine's MoveFileEx would replace it.
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(horlin::WriteEnvFile(path.c_str(), 0x01));
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(FileBytes(path), std::vector<unsigned char>{0xFC});
  EXPECT_EQ(GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The menu as Windows holds it: text and checked state per position.
struct Row {
  std::wstring text;
  bool checked;
  bool separator;
};
std::vector<Row> ReadMenu(HMENU menu) {
  std::vector<Row> rows;
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    rows.push_back({text, (state & MF_CHECKED) != 0, (state & MF_SEPARATOR) != 0});
  }
  return rows;
}

class Menu : public ::testing::Test {
 protected:
  void SetUp() override { std::copy(MenuItems, MenuItems + kMenuRows, table); }
  MenuItem table[kMenuRows];
};

TEST_F(Menu, BuildsJapaneseRowsWithIdsAndSeparators) {
  MarkCorner(table, 1);
  MarkTopmost(table, false);
  MakeMenu menu;
  ASSERT_EQ(menu.Build(table, kMenuRows, 1), 1);
  std::vector<Row> rows = ReadMenu(menu.hMenu);
  ASSERT_EQ(rows.size(), 10u);
  const char* texts[10] = {horlin::kMenuLeftTop,
                           horlin::kMenuRightTop,
                           horlin::kMenuLeftBottom,
                           horlin::kMenuRightBottom,
                           nullptr,
                           horlin::kMenuTopmost,
                           nullptr,
                           horlin::kMenuAbout,
                           nullptr,
                           horlin::kMenuExit};
  const int ids[10] = {0, 1, 2, 3, -1, 5, -1, 7, -1, 9};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(rows[i].text, wide::FromCp932(texts[i])) << "row " << i;
    EXPECT_EQ(rows[i].separator, ids[i] < 0) << "row " << i;
    EXPECT_EQ(rows[i].checked, i == 1) << "row " << i;
    if (ids[i] >= 0) {
      EXPECT_EQ(GetMenuItemID(menu.hMenu, i), static_cast<UINT>(ids[i])) << "row " << i;
    }
  }
}

TEST_F(Menu, AnyOtherLanguageBuildsEnglish) {
  MakeMenu menu;
  ASSERT_EQ(menu.Build(table, kMenuRows, 0), 1);
  std::vector<Row> rows = ReadMenu(menu.hMenu);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0].text, L"Left-Top(&1)");
  EXPECT_EQ(rows[3].text, L"Right-Bottom(&4)");
  EXPECT_EQ(rows[4].text, L"");
  EXPECT_EQ(rows[5].text, L"&Topmost Display");
  EXPECT_EQ(rows[7].text, L"&About...");
  EXPECT_EQ(rows[9].text, L"E&xit");  // the English texts are plain ASCII, so they are written out here
  EXPECT_EQ(MenuText(table[1], 2), table[1].TextEnglish);
}

TEST_F(Menu, RefreshMovesTheCheckMarks) {
  MarkCorner(table, 1);
  MarkTopmost(table, false);
  MakeMenu menu;
  ASSERT_EQ(menu.Build(table, kMenuRows, 1), 1);

  MarkCorner(table, 2);
  MarkTopmost(table, true);
  ASSERT_EQ(menu.Refresh(table, kMenuRows, 1), 1);
  std::vector<Row> rows = ReadMenu(menu.hMenu);
  ASSERT_EQ(rows.size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(rows[i].checked, i == 2 || i == 5) << "row " << i;
  EXPECT_EQ(rows[2].text, wide::FromCp932(horlin::kMenuLeftBottom));
  EXPECT_TRUE(rows[4].separator);

  // Twice toggled, the topmost row is unchecked again.
  MarkTopmost(table, false);
  ASSERT_EQ(menu.Refresh(table, kMenuRows, 1), 1);
  EXPECT_FALSE(ReadMenu(menu.hMenu)[5].checked);
}

TEST_F(Menu, FailuresAreReported) {
  MakeMenu menu;
  // Nothing to re-apply in an empty menu.
  EXPECT_EQ(menu.Refresh(table, kMenuRows, 1), 0);
  DestroyMenu(menu.hMenu);
  menu.hMenu = nullptr;
  EXPECT_EQ(menu.Build(table, kMenuRows, 1), 0);
}

// A window object that records the first message it sees and, at the WM_SIZE
// that CreateWindowEx sends after WM_CREATE (before the caller has the
// handle), sets the window's text through the default handling.
class SizedWindow : public Window {
 public:
  UINT first = 0;
  LRESULT MessageProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (!first) first = message;
    if (message == WM_SIZE) DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sized"));
    return DefaultProc(message, wParam, lParam);
  }
};

TEST(WindowProcedure, AttachesAtCreateAndDefaultsToTheReceivingWindow) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(void*);
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HorlinShellTestWindow";
  ASSERT_NE(RegisterClassW(&wc), 0);
  SizedWindow object;
  HWND window =
      CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr, wc.hInstance, &object);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(object.first, static_cast<UINT>(WM_CREATE));
  wchar_t text[16] = {};
  GetWindowTextW(window, text, 16);
  EXPECT_STREQ(text, L"sized");
  DestroyWindow(window);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace
