// horlin_ctl: drives a running clock from a shell script.
//   horlin_ctl wait [seconds]  waits for the clock window; prints its rectangle
//   horlin_ctl menu            right-clicks the clock; prints the menu's rectangle
//   horlin_ctl menu-close      closes the open menu with Escape
//   horlin_ctl close           closes the clock like Alt+F4 and waits until its
//                              process has ended (it saves its settings after the
//                              window is gone, so the window alone says too little)
// Rectangles are printed as "left top right bottom". Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Messages.h"
#include "WideText.h"

namespace {

HWND ClockWindow() {
  const std::wstring title = horlin::WideFromCp932(horlin::kTitle);
  return FindWindowW(title.c_str(), title.c_str());
}

BOOL CALLBACK FindMenu(HWND hwnd, LPARAM found) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND OpenMenu() {
  HWND menu = nullptr;
  EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&menu));
  return menu;
}

template <typename Done>
bool WaitFor(DWORD ms, Done done) {
  for (DWORD waited = 0;; waited += 50) {
    if (done()) return true;
    if (waited >= ms) return false;
    Sleep(50);
  }
}

void PrintRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
}

}  // namespace

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "";
  HWND clock = nullptr;
  if (std::strcmp(what, "wait") == 0) {
    const DWORD ms = (argc > 2 ? std::atoi(argv[2]) : 10) * 1000;
    if (!WaitFor(ms, [&] { return (clock = ClockWindow()) && IsWindowVisible(clock); })) return 1;
    PrintRect(clock);
    return 0;
  }
  clock = ClockWindow();
  if (!clock) {
    std::fprintf(stderr, "horlin_ctl: no clock window\n");
    return 1;
  }
  if (std::strcmp(what, "menu") == 0) {
    PostMessageW(clock, WM_RBUTTONUP, 0, MAKELPARAM(10, 20));
    HWND menu = nullptr;
    if (!WaitFor(5000, [&] { return (menu = OpenMenu()) != nullptr; })) return 1;
    PrintRect(menu);
    return 0;
  }
  if (std::strcmp(what, "menu-close") == 0) {
    HWND menu = OpenMenu();
    if (!menu) return 0;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return WaitFor(5000, [&] { return !IsWindowVisible(menu); }) ? 0 : 1;
  }
  if (std::strcmp(what, "close") == 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(clock, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(clock, WM_SYSCOMMAND, SC_CLOSE, 0);
    bool gone = WaitFor(10000, [&] { return !IsWindow(clock); });
    if (process) {
      gone = gone && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
      CloseHandle(process);
    } else {
      gone = false;
      std::fprintf(stderr, "horlin_ctl: cannot wait for the clock's process (error %lu)\n", GetLastError());
    }
    return gone ? 0 : 1;
  }
  std::fprintf(stderr, "usage: horlin_ctl wait [seconds] | menu | menu-close | close\n");
  return 2;
}
