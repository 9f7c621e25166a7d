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
#include "e2e_support.h"
#include "wide_text.h"

namespace {

HWND ClockWindow() {
  const std::wstring title = wide::FromCp932(horlin::kTitle);
  return FindWindowW(title.c_str(), title.c_str());
}

// The clock's open popup menu, or null.
HWND OpenMenu(HWND clock, DWORD timeoutMs) {
  DWORD pid = 0;
  GetWindowThreadProcessId(clock, &pid);
  return e2e::WaitWindowOf(pid, L"#32768", timeoutMs);
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
    if (!e2e::WaitFor(ms, [&] { return (clock = ClockWindow()) && IsWindowVisible(clock); })) return 1;
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
    HWND menu = OpenMenu(clock, 5000);
    if (!menu) return 1;
    PrintRect(menu);
    return 0;
  }
  if (std::strcmp(what, "menu-close") == 0) {
    HWND menu = OpenMenu(clock, 0);
    if (!menu) return 0;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return e2e::WaitGone(menu, 5000) ? 0 : 1;
  }
  if (std::strcmp(what, "close") == 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(clock, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(clock, WM_SYSCOMMAND, SC_CLOSE, 0);
    bool gone = e2e::WaitFor(10000, [&] { return !IsWindow(clock); });
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
