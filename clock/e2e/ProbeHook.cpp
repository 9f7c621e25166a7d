// The probe hook, loaded into the clock's process by SetWindowsHookEx. It
// counts the WM_SHOWWINDOW and WM_PAINT messages of one window and, on
// request, reads or closes the popup menu that is open in the hooked thread or
// runs ticks of the clock there.
#include <windows.h>

#include "ProbeShared.h"

namespace {

probe::Shared* SharedBlock() {
  static probe::Shared* block = nullptr;
  if (!block) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, probe::kMappingName);
    if (!mapping) return nullptr;
    block = static_cast<probe::Shared*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(probe::Shared)));
    CloseHandle(mapping);  // the view keeps the memory
  }
  return block;
}

BOOL CALLBACK FindPopupMenu(HWND hwnd, LPARAM found) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

void ReadMenu(probe::Shared* shared) {
  shared->menuFound = 0;
  shared->rowCount = 0;
  HWND popup = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindPopupMenu, reinterpret_cast<LPARAM>(&popup));
  if (!popup) return;
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  if (!menu) return;
  shared->menuFound = 1;
  int count = GetMenuItemCount(menu);
  shared->rowCount = count;
  for (int i = 0; i < count && i < probe::kMaxRows; ++i) {
    probe::MenuRow& row = shared->rows[i];
    row.text[0] = L'\0';
    GetMenuStringW(menu, static_cast<UINT>(i), row.text, probe::kMaxText, MF_BYPOSITION);
    row.state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    row.id = GetMenuItemID(menu, i);
  }
}

// What the clock's 125 ms timer does, then the paint it causes, without
// waiting for the timer: the clock's own WM_TIMER handler invalidates the
// window and UpdateWindow sends the WM_PAINT. In the clock's thread these are
// plain calls, so an hour of ticks takes seconds.
void RunTicks(HWND clock, probe::Shared* shared) {
  for (LONG i = 0; i < shared->tickCount; ++i) {
    SendMessageW(clock, WM_TIMER, 1, 0);
    UpdateWindow(clock);
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT request = RegisterWindowMessageW(probe::kMessageName);
  if (code == HC_ACTION) {
    const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    probe::Shared* shared = SharedBlock();
    const bool watched = shared && static_cast<LONG>(reinterpret_cast<LONG_PTR>(msg->hwnd)) == shared->watchedWindow;
    if (watched && msg->message == WM_SHOWWINDOW) InterlockedIncrement(&shared->showWindowCount);
    if (watched && msg->message == WM_PAINT) InterlockedIncrement(&shared->paintCount);
    if (shared && request && msg->message == request) {
      if (msg->wParam == probe::kReadMenu) ReadMenu(shared);
      if (msg->wParam == probe::kEndMenu) EndMenu();
      if (msg->wParam == probe::kRunTicks) RunTicks(msg->hwnd, shared);
      InterlockedIncrement(&shared->requests);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
