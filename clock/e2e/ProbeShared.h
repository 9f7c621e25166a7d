// What the probe hook inside the clock's process and the end-to-end driver
// share: a named block of memory and a registered message that asks the hook
// to act. Under Wine a menu can't be read from another process, so the hook
// reads it in the clock's own thread and leaves the result here.
#pragma once

#include <windows.h>

namespace probe {

constexpr wchar_t kMappingName[] = L"HorlinE2EProbeMemory";
constexpr wchar_t kMessageName[] = L"HorlinE2EProbeRequest";  // RegisterWindowMessageW
constexpr char kHookProcName[] = "ProbeHook";                 // WH_CALLWNDPROC procedure of the DLL
constexpr wchar_t kDllName[] = L"horlin_e2e_probe.dll";

// wParam of the probe message.
constexpr WPARAM kReadMenu = 1;  // copy the open popup menu into Shared
constexpr WPARAM kEndMenu = 2;   // close the open popup menu
constexpr WPARAM kRunTicks = 3;  // run Shared::tickCount ticks of the clock in its own thread

constexpr int kMaxRows = 16;
constexpr int kMaxText = 64;

struct MenuRow {
  UINT state;  // GetMenuState by position
  UINT id;     // GetMenuItemID; (UINT)-1 for separators
  wchar_t text[kMaxText];
};

struct Shared {
  LONG watchedWindow;  // handle value of the window whose WM_SHOWWINDOW are counted
  LONG showWindowCount;
  LONG requests;   // probe messages handled so far
  LONG menuFound;  // 1 when the last read found an open popup menu
  LONG rowCount;   // GetMenuItemCount of that menu
  MenuRow rows[kMaxRows];
  LONG tickCount;   // ticks kRunTicks runs
  LONG paintCount;  // WM_PAINT messages of the watched window so far
};

}  // namespace probe
