// End-to-end tests of Horlin.exe: each case starts the clock in a fresh
// folder and checks from outside what a user would see: the window, its
// outline and pixels, the popup menu, the boxes, the settings file and the
// exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "FaceTables.h"
#include "Messages.h"
#include "e2e_support.h"
#include "pixolan.h"
#include "wide_text.h"

using namespace e2e;

namespace {

constexpr DWORD kStartMs = 15000;
constexpr DWORD kExitMs = 10000;
constexpr wchar_t kEnvFile[] = L"KL_Env.cfg";
// The end of a session may take this long at most, and the clock must be gone
// by then; a box of the clock would hold it up until the driver closes it.
constexpr DWORD kSessionEndLimitMs = 5000;
constexpr DWORD kSessionEndTimeoutMs = 30000;
constexpr char kResultVariable[] = "HORLIN_E2E_RESULT";

const char* const kMenuTexts[10] = {horlin::kMenuLeftTop,
                                    horlin::kMenuRightTop,
                                    horlin::kMenuLeftBottom,
                                    horlin::kMenuRightBottom,
                                    "",
                                    horlin::kMenuTopmost,
                                    "",
                                    horlin::kMenuAbout,
                                    "",
                                    horlin::kMenuExit};
constexpr UINT kMenuIds[10] = {0, 1, 2, 3, static_cast<UINT>(-1), 5, static_cast<UINT>(-1), 7, static_cast<UINT>(-1),
                               9};

// Where a clock of the given size stands in a corner of the screen.
POINT Corner(int corner, SIZE size) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  return POINT{corner & 1 ? w - size.cx : 0, corner & 2 ? h - size.cy : 0};
}

// The library's Japanese message for an error code, from its own table.
std::wstring LibraryText(int code) {
  ZEMADisplayFCDIB image(LibraryVersion, nullptr, nullptr, 1, 1, 3, 0, 0, LANGUAGE_JAPANESE);
  image.ErrorCode = code;
  return wide::FromCp932(image.GetErrorMessage());
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// One clock started in its own folder, with the probe hooked into its thread
// and a reference face of our own to compare the screen with.
class ClockTest : public ::testing::Test {
 protected:
  WorkDir dir;
  std::unique_ptr<ClockProcess> clock;
  ReferenceFace face;
  Probe probe;

  HWND Window() const { return clock->Window(); }

  void Start() {
    ASSERT_TRUE(face.Ok()) << "the reference clock body could not be made";
    clock.reset(new ClockProcess(dir));
    ASSERT_TRUE(clock->Started()) << "Horlin.exe did not start";
    ASSERT_NE(clock->WaitWindow(kStartMs), nullptr) << "no clock window appeared";
    ASSERT_TRUE(probe.Attach(Window())) << "the probe hook could not be installed";
  }
  void StartWith(const Bytes& settings) {
    ASSERT_TRUE(dir.Write(kEnvFile, settings));
    ASSERT_NO_FATAL_FAILURE(Start());
  }

  LRESULT Command(WPARAM id) {
    DWORD_PTR result = 1;
    EXPECT_TRUE(SendMessageTimeoutW(Window(), WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, &result)) << "command " << id;
    return static_cast<LRESULT>(result);
  }

  // Position, size, outline and z-order for a settings byte, at the scale
  // of the reference face (the screen's).
  void ExpectPlaced(int env) {
    const int corner = env & 3;
    RECT r;
    ASSERT_TRUE(GetWindowRect(Window(), &r));
    const SIZE size = face.Size();
    const POINT at = Corner(corner, size);
    EXPECT_EQ(r.left, at.x) << "corner " << corner;
    EXPECT_EQ(r.top, at.y) << "corner " << corner;
    EXPECT_EQ(r.right - r.left, size.cx) << "at " << face.Dpi() << " DPI";
    EXPECT_EQ(r.bottom - r.top, size.cy) << "at " << face.Dpi() << " DPI";

    HRGN outline = CreateRectRgn(0, 0, 0, 0);
    HRGN expected = face.Shape(corner);
    ASSERT_NE(GetWindowRgn(Window(), outline), ERROR) << "the window has no outline";
    EXPECT_TRUE(EqualRgn(outline, expected)) << "the outline is not the one of layout " << corner;
    // The corner beside the weekday label is cut off; the other three stay.
    const POINT corners[4] = {{2, 2}, {size.cx - 3, 2}, {2, size.cy - 3}, {size.cx - 3, size.cy - 3}};
    const int cut[4] = {3, 2, 1, 0};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(PtInRegion(outline, corners[i].x, corners[i].y) != 0, i != cut[corner])
          << "layout " << corner << ", point (" << corners[i].x << ", " << corners[i].y << ")";
    }
    DeleteObject(outline);
    DeleteObject(expected);

    const bool topmost = (GetWindowLongW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EXPECT_EQ(topmost, (env & 4) != 0) << "settings byte " << env;
  }

  // The screen inside the outline shows the face of the layout.
  void ExpectFace(int layout) {
    ASSERT_TRUE(face.Compose(layout));
    std::string why;
    EXPECT_GE(MatchScreen(Window(), face, &why), 0) << "layout " << layout << ": " << why;
  }

  // Both colon states show within about a second and a half.
  void ExpectColonBlinks(int layout) {
    ASSERT_TRUE(face.Compose(layout));
    bool seen[2] = {false, false};
    std::string why;
    WaitFor(3000, [&] {
      int colon = MatchScreen(Window(), face, &why);
      if (colon >= 0) seen[colon != 0] = true;
      return seen[0] && seen[1];
    });
    EXPECT_TRUE(seen[0] && seen[1]) << "colon off seen " << seen[0] << ", on seen " << seen[1] << "; " << why;
  }

  // Opens the menu with a right-click at a client point, checks its texts and
  // check marks and closes it again.
  void ExpectMenu(int corner, bool topmost, bool checkPosition = false) {
    OpenMenu menu;
    std::string why;
    const POINT click{10, 20};
    ASSERT_TRUE(OpenClockMenu(*clock, probe, click, &menu, &why)) << why;
    if (checkPosition) {
      RECT w;
      GetWindowRect(Window(), &w);
      EXPECT_EQ(menu.rect.left, w.left + click.x);
      EXPECT_EQ(menu.rect.top, w.top + click.y);
    }
    EXPECT_EQ(menu.rows.size(), 10u);
    for (size_t i = 0; i < menu.rows.size() && i < 10; ++i) {
      const bool separator = kMenuIds[i] == static_cast<UINT>(-1);
      EXPECT_EQ(wide::ToUtf8(menu.rows[i].text), wide::ToUtf8(wide::FromCp932(kMenuTexts[i]))) << "row " << i;
      EXPECT_EQ((menu.rows[i].state & MF_SEPARATOR) != 0, separator) << "row " << i;
      if (!separator) {
        EXPECT_EQ(menu.rows[i].id, kMenuIds[i]) << "row " << i;
      }
      const bool checked = static_cast<int>(i) == corner || (i == 5 && topmost);
      EXPECT_EQ((menu.rows[i].state & MF_CHECKED) != 0, checked) << "row " << i;
    }
    EXPECT_TRUE(CloseClockMenu(probe, menu)) << "the menu did not close";
  }

  void ExpectExit(DWORD code) {
    DWORD got = 0xDEAD;
    ASSERT_TRUE(clock->WaitExit(kExitMs, &got)) << "the clock did not end";
    EXPECT_EQ(got, code);
  }

  void ExpectSettings(const Bytes& expected) {
    Bytes got;
    ASSERT_TRUE(dir.Read(kEnvFile, &got)) << "no settings file";
    EXPECT_EQ(got, expected);
  }

  // The folder holds the data files and the settings file, nothing else: no
  // temporary file of a save is left behind.
  void ExpectOnlyDataFiles() {
    std::string files, expected = "KL_Env.cfg ";
    for (const std::wstring& name : dir.Files()) files += wide::ToUtf8(name) + " ";
    for (const std::wstring& name : AssetFiles()) expected += wide::ToUtf8(name) + " ";
    EXPECT_EQ(files, expected);
  }

  // Ends the session: within a few seconds, without a box from the clock, and
  // with the clock gone afterwards.
  void ExpectSessionEnds() {
    const SessionEnd end = EndSession(*clock, kSessionEndTimeoutMs);
    ASSERT_TRUE(end.finished) << end.why;
    std::printf("the session end took %lu ms\n", static_cast<unsigned long>(end.elapsedMs));
    EXPECT_LT(end.elapsedMs, kSessionEndLimitMs);
    EXPECT_EQ(wide::ToUtf8(end.boxText), "") << "the clock showed a box while the session ended";
    DWORD code = 0;
    EXPECT_TRUE(clock->WaitExit(kSessionEndLimitMs, &code)) << "the clock outlived the session";
  }

  // Closes the clock through its menu's last item and checks the normal end.
  void EndWithExitItem() {
    PostMessageW(Window(), WM_COMMAND, 9, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectExit(0));
  }

  // A start-up failure: the first box and its text, then exit code 1 with no
  // further box, and the settings file left as it was.
  void ExpectFatalStart(const std::wstring& text, const wchar_t* caption) {
    const Bytes settings = {0x06, 0x42};
    ASSERT_TRUE(dir.Write(kEnvFile, settings));
    clock.reset(new ClockProcess(dir));
    ASSERT_TRUE(clock->Started());
    MessageBoxInfo box;
    ASSERT_TRUE(WaitMessageBox(clock->Pid(), kStartMs, &box)) << "no message box";
    EXPECT_EQ(wide::ToUtf8(box.text), wide::ToUtf8(text));
    // The body's and the library's boxes belong to the clock's window, which
    // exists, still hidden, before the body is built.
    EXPECT_EQ(wide::ToUtf8(ClassOf(box.owner)), wide::ToUtf8(wide::FromCp932(horlin::kTitle))) << "the box's owner";
    EXPECT_FALSE(IsWindowVisible(box.owner));
    if (caption) {
      EXPECT_EQ(wide::ToUtf8(box.caption), wide::ToUtf8(caption));
    }
    ASSERT_TRUE(CloseMessageBox(box.box));
    DWORD code = 0xDEAD;
    MessageBoxInfo another;
    WaitFor(kExitMs, [&] { return clock->WaitExit(0, &code) || WaitMessageBox(clock->Pid(), 0, &another); });
    EXPECT_EQ(another.box, nullptr) << "a second box: " << wide::ToUtf8(another.text);
    if (another.box) CloseMessageBox(another.box);
    ASSERT_NO_FATAL_FAILURE(ExpectExit(1));
    ExpectSettings(settings);
  }
};

// ---- start-up and the window ----

using Startup = ClockTest;

TEST_F(Startup, WithoutSettingsShowsUpperRightFaceAndMenu) {
  ASSERT_NO_FATAL_FAILURE(Start());
  // A borderless popup with a system menu (so Alt+F4 closes it), of a class
  // that redraws the whole window on any resize.
  const DWORD style = static_cast<DWORD>(GetWindowLongW(Window(), GWL_STYLE));
  EXPECT_EQ(style & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS), static_cast<DWORD>(WS_POPUP | WS_SYSMENU));
  EXPECT_EQ(GetClassLongW(Window(), GCL_STYLE), static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW));
  ExpectPlaced(1);
  ExpectColonBlinks(1);
  ExpectMenu(1, false, true);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

using StartupFailure = ClockTest;

TEST_F(StartupFailure, MissingFaceShowsTheLibraryMessageAndExitsWithOne) {
  dir.Remove(L"KL_Face.bmp");
  ExpectFatalStart(LibraryText(ERR_FILE_OPEN), nullptr);
}

TEST_F(StartupFailure, MissingFiguresShowOpenMessage) {
  dir.Remove(L"KL_Figs.dat");
  ExpectFatalStart(wide::FromCp932(horlin::kMsgDataOpen), L"Error");
}

TEST_F(StartupFailure, ShortFiguresShowReadMessage) {
  Bytes figures;
  ASSERT_TRUE(dir.Read(L"KL_Figs.dat", &figures));
  ASSERT_EQ(figures.size(), 20240u);
  figures.pop_back();
  ASSERT_TRUE(dir.Write(L"KL_Figs.dat", figures));
  ExpectFatalStart(wide::FromCp932(horlin::kMsgDataRead), L"Error");
}

// ---- menu commands ----

using Commands = ClockTest;

TEST_F(Commands, CornersMoveReshapeAndRecompose) {
  ASSERT_NO_FATAL_FAILURE(Start());
  for (int corner : {2, 3, 0, 1}) {
    const LONG shown = probe.ShowWindowCount();
    EXPECT_EQ(Command(corner), 0);
    EXPECT_GE(probe.ShowWindowCount() - shown, 2) << "hidden and shown again for corner " << corner;
    ExpectPlaced(corner);
    ExpectFace(corner);
    ExpectMenu(corner, false);
  }
  // The corner it is in already: not even hidden and shown.
  const LONG shown = probe.ShowWindowCount();
  EXPECT_EQ(Command(1), 0);
  EXPECT_EQ(probe.ShowWindowCount(), shown);
  ExpectPlaced(1);
  ExpectMenu(1, false);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

TEST_F(Commands, TopmostTogglesInPlace) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const LONG shown = probe.ShowWindowCount();
  EXPECT_EQ(Command(5), 0);
  ExpectPlaced(5);
  ExpectMenu(1, true);
  EXPECT_EQ(Command(5), 0);
  ExpectPlaced(1);
  ExpectMenu(1, false);
  EXPECT_EQ(probe.ShowWindowCount(), shown) << "toggling topmost must not re-place the window";
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

TEST_F(Commands, AboutBoxNamesTheProgram) {
  ASSERT_NO_FATAL_FAILURE(Start());
  PostMessageW(Window(), WM_COMMAND, 7, 0);
  MessageBoxInfo box;
  ASSERT_TRUE(WaitMessageBox(clock->Pid(), 5000, &box)) << "no About box";
  EXPECT_EQ(wide::ToUtf8(box.caption), "Horlin Project / Horlin Version 1.0");
  EXPECT_EQ(wide::ToUtf8(box.text), "Copyright (C) 2026 Horlin Project.\nAll rights reserved.");
  EXPECT_EQ(box.owner, Window());
  ASSERT_TRUE(CloseMessageBox(box.box));
  ExpectPlaced(1);
  ExpectFace(1);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
}

TEST_F(Commands, OtherIdsChangeNothing) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const LONG shown = probe.ShowWindowCount();
  for (WPARAM id : {4u, 6u, 8u, 10u, 11u, 100u, 0xFFFFu}) EXPECT_EQ(Command(id), 0) << "id " << id;
  MessageBoxInfo box;
  EXPECT_FALSE(WaitMessageBox(clock->Pid(), 300, &box)) << "unexpected box: " << wide::ToUtf8(box.text);
  EXPECT_EQ(probe.ShowWindowCount(), shown);
  ExpectPlaced(1);
  ExpectMenu(1, false);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

// ---- the settings file ----

using Settings = ClockTest;

TEST_F(Settings, EmptyFileActsAsMissing) {
  ASSERT_NO_FATAL_FAILURE(StartWith({}));
  ExpectPlaced(1);
  ExpectMenu(1, false);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

TEST_F(Settings, LowerRightTopmost) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x07}));
  ExpectPlaced(7);
  ExpectFace(3);
  ExpectMenu(3, true);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x07});
}

TEST_F(Settings, UninterpretedBitsSurviveTopmostChange) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0xF8}));
  ExpectPlaced(0);
  ExpectFace(0);
  ExpectMenu(0, false);
  EXPECT_EQ(Command(5), 0);
  ExpectPlaced(4);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0xFC});
}

TEST_F(Settings, ExtraBytesAreIgnored) {
  // Bytes past the first of the settings file and past the figure sheet's
  // 20,240 are never read.
  Bytes figures;
  ASSERT_TRUE(dir.Read(L"KL_Figs.dat", &figures));
  figures.insert(figures.end(), 100, 0x5A);
  ASSERT_TRUE(dir.Write(L"KL_Figs.dat", figures));
  ASSERT_NO_FATAL_FAILURE(StartWith({0x02, 0x07, 0x55}));
  ExpectPlaced(2);
  ExpectFace(2);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x02});
}

TEST_F(Settings, SaveFailureShowsBoxAndKeepsOldByte) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x02}));
  EXPECT_EQ(Command(3), 0);
  // Held open without sharing, the file can't be rewritten.
  HANDLE held = CreateFileW(dir.Path(kEnvFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PostMessageW(Window(), WM_CLOSE, 0, 0);
  MessageBoxInfo box;
  const bool shown = WaitMessageBox(clock->Pid(), 5000, &box);
  CloseHandle(held);
  ASSERT_TRUE(shown) << "no save failure box";
  EXPECT_EQ(wide::ToUtf8(box.text), wide::ToUtf8(wide::FromCp932(horlin::kMsgEnvSave)));
  EXPECT_EQ(wide::ToUtf8(box.caption), "Horlin Project / Horlin Version 1.0");
  EXPECT_EQ(box.owner, nullptr) << "the window is gone; the box must have no owner";
  ASSERT_TRUE(CloseMessageBox(box.box));
  ASSERT_NO_FATAL_FAILURE(ExpectExit(0));
  ExpectSettings({0x02});
}

TEST_F(Settings, ReadOnlyFileShowsBoxAndKeepsOldByte) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x02}));
  ASSERT_TRUE(SetFileAttributesW(dir.Path(kEnvFile).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Command(3), 0);
  PostMessageW(Window(), WM_CLOSE, 0, 0);
  MessageBoxInfo box;
  ASSERT_TRUE(WaitMessageBox(clock->Pid(), 5000, &box)) << "no save failure box";
  EXPECT_EQ(wide::ToUtf8(box.text), wide::ToUtf8(wide::FromCp932(horlin::kMsgEnvSave)));
  ASSERT_TRUE(CloseMessageBox(box.box));
  ASSERT_NO_FATAL_FAILURE(ExpectExit(0));
  ExpectSettings({0x02});
  EXPECT_NE(GetFileAttributesW(dir.Path(kEnvFile).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "the file was replaced";
  ExpectOnlyDataFiles();
}

// ---- the end of the Windows session ----

using SessionEnd = ClockTest;

TEST_F(SessionEnd, SavesTheSettings) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x01}));
  EXPECT_EQ(Command(2), 0);
  EXPECT_EQ(Command(5), 0);
  ExpectPlaced(6);
  ASSERT_NO_FATAL_FAILURE(ExpectSessionEnds());
  ExpectSettings({0x06});
  ExpectOnlyDataFiles();
}

TEST_F(SessionEnd, FileHeldOpenKeepsTheOldByteWithoutABox) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x02}));
  EXPECT_EQ(Command(3), 0);
  HANDLE held = CreateFileW(dir.Path(kEnvFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ExpectSessionEnds();
  CloseHandle(held);
  ExpectSettings({0x02});
  ExpectOnlyDataFiles();
}

// ---- a long run ----

using LongRun = ClockTest;

// An hour of 125 ms ticks and a thousand corner and topmost changes, driven
// through the clock's own handlers faster than real time, leave its private
// memory where it was after a first round of each. (Wine counts neither GDI
// objects nor handles of another process, so memory is what can be watched.)
TEST_F(LongRun, AnHourOfTicksAndAThousandChangesLeaveMemoryFlat) {
  constexpr LONG kTicks = 3600 * 8;
  constexpr int kChanges = 1000;  // every other one a corner, the others topmost
  constexpr LONG kTicksPerChange = kTicks / kChanges;
  // A region leaked at each corner change would add about 300 KiB.
  constexpr SIZE_T kSlackBytes = 64 * 1024;
  ASSERT_NO_FATAL_FAILURE(Start());
  int corner = 1;
  auto change = [&](int n) {
    if (n % 2) return Command(5) == 0;
    corner = (corner + 1) & 3;
    return Command(static_cast<WPARAM>(corner)) == 0;
  };
  ASSERT_TRUE(probe.RunTicks(200)) << "warm-up ticks";
  for (int n = 0; n < 8; ++n) ASSERT_TRUE(change(n)) << "warm-up change " << n;
  const SIZE_T before = clock->PrivateBytes();
  ASSERT_GT(before, 0u) << "the clock's memory can't be read";

  const ULONGLONG start = GetTickCount64();
  for (int n = 0; n < kChanges; ++n) {
    ASSERT_TRUE(probe.RunTicks(kTicksPerChange)) << "ticks before change " << n;
    ASSERT_TRUE(change(n)) << "change " << n;
  }
  ASSERT_TRUE(probe.RunTicks(kTicks - kTicksPerChange * kChanges)) << "the last ticks";
  const SIZE_T after = clock->PrivateBytes();
  std::printf("%ld ticks and %d changes in %llu ms; private memory %lu KiB before, %lu KiB after\n",
              static_cast<long>(kTicks), kChanges, static_cast<unsigned long long>(GetTickCount64() - start),
              static_cast<unsigned long>(before / 1024), static_cast<unsigned long>(after / 1024));
  EXPECT_LE(after, before + kSlackBytes);

  // Still the clock it was: back in the upper right, not topmost.
  ExpectPlaced(1);
  ExpectFace(1);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

// ---- the ways to close the window, all saving like the Exit item ----

enum class CloseBy { CloseMessage, SystemCommand, AltF4 };

class Close : public ClockTest, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(Close, SavesTheSettings) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(Command(3), 0);
  switch (GetParam()) {
    case CloseBy::CloseMessage:
      PostMessageW(Window(), WM_CLOSE, 0, 0);
      break;
    case CloseBy::SystemCommand:
      PostMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case CloseBy::AltF4:
      // The key with Alt held: bit 29 of lParam (KF_ALTDOWN in the high word).
      PostMessageW(Window(), WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>((KF_ALTDOWN << 16) | 1));
      break;
  }
  ASSERT_NO_FATAL_FAILURE(ExpectExit(0));
  ExpectSettings({0x03});
}

INSTANTIATE_TEST_SUITE_P(E2E, Close, ::testing::Values(CloseBy::CloseMessage, CloseBy::SystemCommand, CloseBy::AltF4));

// ---- display scales ----

// The suite runs in prefixes at 96, 144 and 192 DPI; the reference face
// draws at the screen's scale, from the same files as the clock.
using Scale = ClockTest;

TEST_F(Scale, CornersSizeOutlineFaceAndMenuAtTheScreensScale) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x05}));
  ASSERT_EQ(face.Dpi(), ScreenDpi());
  ExpectPlaced(0x05);
  ExpectFace(1);
  ExpectMenu(1, true);
  EXPECT_EQ(Command(3), 0);
  ExpectPlaced(0x07);
  ExpectFace(3);
  ExpectMenu(3, true);
  // Artwork made for twice the size is used where the screen is at twice
  // the size, and area-averaged down to one and a half.
  const std::vector<std::wstring> files = AssetFiles();
  if (std::find(files.begin(), files.end(), L"KL_Figs@2x.dat") != files.end() &&
      (face.Dpi() == 144 || face.Dpi() == 192)) {
    EXPECT_EQ(face.ArtScale(), 2);
  }
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x07});
}

TEST_F(Scale, FollowsAScaleChangeInPlaceWithoutTakingTheActivation) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x03}));
  ExpectPlaced(3);
  // A window of the driver's own has the activation while the scale changes.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitFor(2000, [&] { return GetForegroundWindow() == other; })) << "the driver's window is not in front";
  const int start = face.Dpi();
  for (int dpi : {start == 192 ? 144 : 192, start}) {
    const LONG shown = probe.ShowWindowCount();
    // The clock keeps to its corner and ignores the suggested rectangle.
    DWORD_PTR result = 1;
    EXPECT_TRUE(
        SendMessageTimeoutW(Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0, SMTO_ABORTIFHUNG, 10000, &result));
    ASSERT_TRUE(face.SetDpi(dpi));
    ExpectPlaced(3);
    ExpectFace(3);
    EXPECT_EQ(probe.ShowWindowCount(), shown) << "hidden or shown again for the scale " << dpi;
    EXPECT_EQ(GetForegroundWindow(), other) << "the activation moved at the scale " << dpi;
  }
  DestroyWindow(other);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x03});
}

// ---- beside full-screen programs ----

class Neighbour : public ClockTest {
 protected:
  // A borderless window of this program over the given rectangle, in front.
  // (A window of a class of its own: static controls are transparent to
  // WindowFromPoint.)
  HWND OpenInFront(const RECT& r) {
    static const ATOM kClass = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
      wc.lpszClassName = L"HorlinE2ENeighbour";
      return RegisterClassW(&wc);
    }();
    EXPECT_NE(kClass, 0);
    HWND w = CreateWindowExW(0, L"HorlinE2ENeighbour", L"neighbour", WS_POPUP | WS_VISIBLE, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(w, nullptr);
    SetForegroundWindow(w);
    EXPECT_TRUE(WaitFor(2000, [&] { return GetForegroundWindow() == w; })) << "the window did not come to the front";
    return w;
  }
  // The window Windows' own z-order shows at the middle of the clock.
  HWND AtClock() {
    RECT r;
    GetWindowRect(Window(), &r);
    return GetAncestor(WindowFromPoint(POINT{(r.left + r.right) / 2, r.top + 5}), GA_ROOT);
  }
  bool Topmost() { return (GetWindowLongW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
};

TEST_F(Neighbour, TopmostClockStepsBehindAFullScreenWindowAndReturns) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x05}));
  EXPECT_EQ(AtClock(), Window());
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  HWND full = OpenInFront(screen);
  EXPECT_TRUE(WaitFor(500, [&] { return AtClock() == full; })) << "the clock still covers the full-screen window";
  EXPECT_EQ(GetForegroundWindow(), full) << "the clock took the activation";
  DestroyWindow(full);
  EXPECT_TRUE(WaitFor(500, [&] { return AtClock() == Window() && Topmost() && IsWindowVisible(Window()); }))
      << "the clock is not back on top";
  ExpectPlaced(0x05);
  ExpectMenu(1, true);

  // A window that covers the clock's corner but not the whole screen is no
  // full-screen program: the topmost clock stays in front of it.
  HWND part = OpenInFront(RECT{screen.right / 2, 0, screen.right, screen.bottom / 2});
  Sleep(500);
  EXPECT_EQ(AtClock(), Window()) << "the clock stepped behind a window that does not cover the screen";
  EXPECT_TRUE(Topmost());
  DestroyWindow(part);
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x05});
}

TEST_F(Neighbour, ClockThatIsNotTopmostIsLeftAsItIs) {
  ASSERT_NO_FATAL_FAILURE(StartWith({0x01}));
  HWND full = OpenInFront(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  Sleep(500);
  EXPECT_EQ(AtClock(), full);
  DestroyWindow(full);
  Sleep(500);
  EXPECT_FALSE(Topmost());
  ASSERT_NO_FATAL_FAILURE(EndWithExitItem());
  ExpectSettings({0x01});
}

TEST_F(Neighbour, StartsInItsCornerWhateverTheShowCommand) {
  for (int show : {SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE}) {
    ASSERT_TRUE(dir.Write(kEnvFile, {0x03}));
    clock.reset(new ClockProcess(dir, show));
    ASSERT_TRUE(clock->Started());
    ASSERT_NE(clock->WaitWindow(kStartMs), nullptr) << "no clock window for show command " << show;
    EXPECT_FALSE(IsIconic(Window()) || IsZoomed(Window())) << "show command " << show;
    ExpectPlaced(3);
    ExpectFace(3);
    PostMessageW(Window(), WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectExit(0));
  }
}

// ---- a changed screen size ----

class ScreenSize : public ClockTest {
 protected:
  // Starts in the lower right corner, shrinks the screen to 800 x 600 and
  // restores it; the clock follows each time.
  void Run() {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_NO_FATAL_FAILURE(StartWith({0x03}));
    ExpectPlaced(3);
    // What the user works in keeps the activation, and the clock, which
    // only moves, is never hidden.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor(2000, [&] { return GetForegroundWindow() == other; }));
    const LONG shown = probe.ShowWindowCount();

    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = 800;
    mode.dmPelsHeight = 600;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    RECT r{};
    EXPECT_TRUE(WaitFor(
        5000, [&] { return GetWindowRect(Window(), &r) && r.left == 800 - kFaceWidth && r.top == 600 - kFaceHeight; }))
        << "at (" << r.left << ", " << r.top << ") on the 800 x 600 screen";
    ExpectPlaced(3);
    ExpectFace(3);
    EXPECT_EQ(GetForegroundWindow(), other) << "the clock took the activation";

    ASSERT_EQ(ChangeDisplaySettingsW(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_TRUE(WaitFor(
        5000,
        [&] { return GetWindowRect(Window(), &r) && r.left == width - kFaceWidth && r.top == height - kFaceHeight; }))
        << "at (" << r.left << ", " << r.top << ") after the screen size was restored";
    ExpectPlaced(3);
    ExpectFace(3);
    EXPECT_EQ(GetForegroundWindow(), other) << "the clock took the activation";
    EXPECT_EQ(probe.ShowWindowCount(), shown) << "the clock was hidden and shown again";
    DestroyWindow(other);
    PostMessageW(Window(), WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectExit(0));
    ExpectSettings({0x03});
  }
};

TEST_F(ScreenSize, ClockReturnsToItsCorner) {
  if (!RunningUnderWine()) {
    Run();
    return;
  }
  // Wine on a bare X server offers just the one screen mode it started with,
  // while the size of a Wine virtual desktop can change: run the case again
  // inside one, started through explorer, with the result left in a file.
  const std::wstring result = dir.Path(L"result.txt");
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd =
      L"explorer.exe /desktop=HorlinE2E,1024x768 \"" + std::wstring(self) + L"\" --gtest_filter=InVirtualDesktop.*";
  SetEnvironmentVariableA(kResultVariable, ToAnsi(result).c_str());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kResultVariable, nullptr);
  ASSERT_TRUE(started) << "explorer.exe did not start";
  CloseHandle(pi.hThread);
  // The desktop window covers the screen until explorer ends.
  const bool ended = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  ASSERT_TRUE(ended) << "the virtual desktop did not end";
  Bytes text;
  ASSERT_TRUE(dir.Read(L"result.txt", &text)) << "the run inside the virtual desktop left no result";
  const std::string report(text.begin(), text.end());
  EXPECT_EQ(report.substr(0, 4), "PASS") << report;
}

// The inside half of the case above; skipped when run on its own.
using InVirtualDesktop = ScreenSize;

TEST_F(InVirtualDesktop, ClockReturnsToItsCorner) {
  if (!std::getenv(kResultVariable)) GTEST_SKIP() << "runs inside the virtual desktop that ScreenSize starts";
  Run();
}

// Leaves the outcome of a run in the file named by HORLIN_E2E_RESULT: "PASS",
// or "FAIL" and every failure.
class ResultFile : public ::testing::EmptyTestEventListener {
 public:
  explicit ResultFile(std::string path) : path_(std::move(path)) {}
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (result.failed())
      log_ << (result.file_name() ? result.file_name() : "?") << ":" << result.line_number() << ": " << result.summary()
           << "\n";
  }
  void OnTestProgramEnd(const ::testing::UnitTest& test) override {
    const bool pass = test.Passed() && test.successful_test_count() > 0 && test.skipped_test_count() == 0;
    std::ofstream out(path_, std::ios::binary);
    out << (pass ? "PASS\n" : "FAIL\n") << log_.str();
  }

 private:
  std::string path_;
  std::ostringstream log_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (const char* result = std::getenv(kResultVariable))
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResultFile(result));
  return RUN_ALL_TESTS();
}
