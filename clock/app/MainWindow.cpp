#include "MainWindow.h"

#include <cstdlib>
#include <string>

#include "FaceTables.h"
#include "GuardedStep.h"
#include "Messages.h"
#include "Settings.h"
#include "gdi_owners.h"
#include "message_box.h"
#include "wide_text.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 125;
constexpr int kFatalExitCode = 1;

SIZE ScreenSize() {
  const gdi::ScreenDC screen;
  return SIZE{GetDeviceCaps(screen.Get(), HORZRES), GetDeviceCaps(screen.Get(), VERTRES)};
}

// Scales outside this range are not displays but faults; they are held to it.
constexpr int kLeastDpi = 48;
constexpr int kMostDpi = 768;

int ClampDpi(UINT dpi) { return dpi < kLeastDpi ? kLeastDpi : dpi > kMostDpi ? kMostDpi : static_cast<int>(dpi); }

// The DPI of the monitor the window stands on: GetDpiForWindow where the
// system has it (Windows 10 1607 on), else the screen's LOGPIXELSX.
int WindowDpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  UINT dpi = dpiForWindow != nullptr ? dpiForWindow(window) : 0;
  if (dpi == 0) dpi = static_cast<UINT>(GetDeviceCaps(gdi::ScreenDC().Get(), LOGPIXELSX));
  return ClampDpi(dpi);
}

// The clock always starts shown in its corner at its size: a shortcut's
// "maximised" or "minimised" would put it where its menu cannot follow, so
// only whether showing activates it is taken from the start-up command.
int StartShowCommand(int cmdShow) {
  switch (cmdShow) {
    case SW_SHOWNOACTIVATE:
    case SW_SHOWMINNOACTIVE:
    case SW_SHOWNA:
      return SW_SHOWNA;
    default:
      return SW_SHOW;
  }
}

// True when the window is a program's own window that covers the whole
// monitor the clock stands on: not the clock, not the desktop, not a taskbar.
bool CoversClockMonitor(HWND window, HWND clock) {
  if (window == nullptr || window == clock || window == GetDesktopWindow() || window == GetShellWindow() ||
      !IsWindowVisible(window) || IsIconic(window))
    return false;
  const HMONITOR monitor = MonitorFromWindow(clock, MONITOR_DEFAULTTONEAREST);
  if (MonitorFromWindow(window, MONITOR_DEFAULTTONULL) != monitor) return false;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT rect;
  if (!GetMonitorInfoW(monitor, &info) || !GetWindowRect(window, &rect)) return false;
  if (rect.left > info.rcMonitor.left || rect.top > info.rcMonitor.top || rect.right < info.rcMonitor.right ||
      rect.bottom < info.rcMonitor.bottom)
    return false;
  // The desktop's own windows and the taskbars cover a monitor without being
  // anyone's full-screen program.
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  for (const wchar_t* shell : {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
    if (lstrcmpW(className, shell) == 0) return false;
  return true;
}

}  // namespace

bool MainWindow::RegisterWindowClass() {
  bool registered = false;
  horlin::GuardedStep([&] {
    std::wstring className = wide::FromCp932(horlin::kTitle);
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = sizeof(void*);  // the window's object
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);  // never shown: WM_ERASEBKGND fills
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = className.c_str();
    registered = RegisterClassW(&wc) != 0;
  });
  return registered;
}

MainWindow::MainWindow()
    : hWnd(nullptr),
      Pos{0, 0},
      Size{kFaceWidth, kFaceHeight},
      Caption(horlin::kCaption),
      Title(horlin::kTitle),
      TimerOn(0),
      Clock(nullptr),
      Menu(nullptr),
      Env(horlin::kDefaultEnv) {
  Pos.x = ScreenSize().cx - Size.cx;

  // Created hidden; Place shows it once the clock body exists.
  horlin::GuardedStep([&] {
    std::wstring title = wide::FromCp932(Title);
    hWnd = CreateWindowExW(0, title.c_str(), title.c_str(), WS_POPUP | WS_SYSMENU, Pos.x, Pos.y, Size.cx, Size.cy,
                           nullptr, nullptr, hInstance, this);
  });
  if (!hWnd) Fatal(nullptr, horlin::kMsgWindowCreate);

  LoadEnv();

  if (!horlin::GuardedStep([&] { Clock = new ClockMain(hWnd, hInstance); })) Fatal(hWnd, horlin::kMsgClockCreate);
  // The face is drawn at the scale of the monitor the window stands on.
  Clock->Dpi = WindowDpi(hWnd);
  Size = FaceSizeAt(Clock->Dpi);
  HRGN made = nullptr;
  const int failed = Clock->Create(&made, kFaceFile, kFigureFile, Env & horlin::kEnvCorner);
  gdi::Owned<HRGN> shape(made);
  if (failed != 0) std::exit(kFatalExitCode);  // the body or the library has shown the message already
  SetWindowRgn(hWnd, shape.Release(), FALSE);  // the window owns the region from here on

  Place(Env);

  if (!horlin::GuardedStep([&] { Menu = new MakeMenu(); })) Fatal(hWnd, horlin::kMsgMenuCreate);
  if (!Menu->Build(MenuItems, kMenuRows, kMenuJapanese)) Fatal(hWnd, horlin::kMsgMenuBuild);

  ShowWindow(hWnd, StartShowCommand(CmdShow));
  UpdateWindow(hWnd);
}

MainWindow::~MainWindow() {
  SaveEnv();
  delete Clock;
  delete Menu;
}

void MainWindow::Fatal(HWND owner, const char* text) {
  boxes::ShowCp932(owner, text, Caption, MB_OK);
  std::exit(kFatalExitCode);
}

LRESULT MainWindow::MessageProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CLOSE:
      if (TimerOn) {
        KillTimer(hWnd, kTickTimer);
        TimerOn = 0;
      }
      DefaultProc(message, wParam, lParam);  // destroys the window
      return 0;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hWnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      return 0;
    }
    case WM_TIMER:
      YieldToFullScreen();
      InvalidateRect(hWnd, nullptr, FALSE);  // the paint redraws every tile, so no erase
      return 0;
    case WM_RBUTTONUP: {
      if (!Menu) return 0;  // a click while the menu is still being built
      POINT at{LOWORD(lParam), HIWORD(lParam)};
      ClientToScreen(hWnd, &at);
      // The chosen item arrives as WM_COMMAND.
      TrackPopupMenu(Menu->hMenu, TPM_RIGHTBUTTON, at.x, at.y, 0, hWnd, nullptr);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // the session may end
    case WM_ENDSESSION:
      // The session is ending: the process is ended after this message,
      // without WM_CLOSE or WM_DESTROY, so the destructor's save would never
      // run. The byte is saved now, and a failure shows no box, which would
      // hold the end of the session up.
      if (wParam) horlin::WriteEnvFile(horlin::kEnvFile, Env);
      return 0;
    case WM_DISPLAYCHANGE:
      // The screen size changed, or the primary monitor and with it perhaps
      // the scale: back into the corner of the new screen.
      if (Clock) FollowDisplay(WindowDpi(hWnd));
      return 0;
    case WM_DPICHANGED:
      // The monitor's scale changed, or the window moved to another monitor.
      // The clock keeps to its corner, so the suggested rectangle is not used.
      if (Clock) FollowDisplay(ClampDpi(LOWORD(wParam)));
      return 0;
    default:
      return DefaultProc(message, wParam, lParam);
  }
}

void MainWindow::OnPaint() {
  // Setting the timer at every paint restarts the 125 ms period.
  if (!SetTimer(hWnd, kTickTimer, kTickMs, nullptr)) {
    TimerOn = 0;
    // The box's own message loop would bring this paint back again and again.
    ValidateRect(hWnd, nullptr);
    Fatal(hWnd, horlin::kMsgTimer);
  }
  TimerOn = 1;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hWnd, &ps);
  if (Clock) Clock->Paint(dc);
  EndPaint(hWnd, &ps);
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case kCommandLeftTop:
    case kCommandRightTop:
    case kCommandLeftBottom:
    case kCommandRightBottom:
      SelectCorner(id);  // the command is the corner number
      break;
    case kCommandTopmost:
      ToggleTopmost();
      break;
    case kCommandAbout:
      ShowAbout();
      break;
    case kCommandExit:
      SendMessageW(hWnd, WM_CLOSE, 0, 0);
      break;
    default:  // 4, 6, 8 (no row sends them) and everything above 9
      break;
  }
}

void MainWindow::ShowAbout() { boxes::ShowCp932(hWnd, horlin::kAbout, Title, MB_OK); }

void MainWindow::LoadEnv() { Env = horlin::ReadEnvFile(horlin::kEnvFile); }

void MainWindow::SaveEnv() {
  if (horlin::WriteEnvFile(horlin::kEnvFile, Env)) return;
  // At a normal end the window is already gone, and a box owned by a window
  // that no longer exists would never appear.
  boxes::ShowCp932(IsWindow(hWnd) ? hWnd : nullptr, horlin::kMsgEnvSave, Caption, MB_OK);
}

void MainWindow::Place(unsigned char env) {
  const int corner = env & horlin::kEnvCorner;
  MarkCorner(MenuItems, corner);
  Pos = horlin::CornerPosition(corner, ScreenSize(), Size);
  if (Clock->Compose(corner) != 0) boxes::ShowCp932(hWnd, horlin::kMsgEnvChange, Caption, MB_OK);
  HRGN shape = Clock->CreateShape(corner);
  const bool topmost = (env & horlin::kEnvTopmost) != 0;
  MarkTopmost(MenuItems, topmost);
  yieldedTo_ = nullptr;  // the z-order is set anew
  // Hidden around the change, so the move and the new outline appear at once.
  ShowWindow(hWnd, SW_HIDE);
  SetWindowPos(hWnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, Pos.x, Pos.y, Size.cx, Size.cy, 0);
  SetWindowRgn(hWnd, shape, FALSE);  // the window owns the region from here on
  ShowWindow(hWnd, SW_SHOW);
}

void MainWindow::FollowDisplay(int dpi) {
  const int corner = Env & horlin::kEnvCorner;
  lastFront_ = nullptr;  // the monitors changed: ask again whether the front window covers one
  if (dpi != Clock->Dpi) {
    // A new scale: the strip is composed again for it. Should that fail, the
    // clock stays at the scale it had.
    const int before = Clock->Dpi;
    Clock->Dpi = dpi;
    if (Clock->Compose(corner) != 0) {
      Clock->Dpi = before;
      boxes::ShowCp932(hWnd, horlin::kMsgEnvChange, Caption, MB_OK);
    }
  }
  const SIZE size = FaceSizeAt(Clock->Dpi);
  const bool resized = size.cx != Size.cx || size.cy != Size.cy;
  Size = size;
  Pos = horlin::CornerPosition(corner, ScreenSize(), Size);
  // Neither the activation nor the place in the z-order changes, and the
  // window stays shown: a move alone needs no hiding, and a new size comes
  // with its new outline in the same step.
  SetWindowPos(hWnd, nullptr, Pos.x, Pos.y, Size.cx, Size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (resized) SetWindowRgn(hWnd, Clock->CreateShape(corner), TRUE);  // owned by the window from here on
  InvalidateRect(hWnd, nullptr, FALSE);
}

void MainWindow::YieldToFullScreen() {
  if ((Env & horlin::kEnvTopmost) == 0) {
    yieldedTo_ = nullptr;  // a clock that is not topmost is left as it is
    return;
  }
  // Most ticks see the same window in front, where it was: the answer of
  // the last tick stands, for two calls instead of a dozen.
  const HWND front = GetForegroundWindow();
  RECT frontRect{};
  if (front != nullptr) GetWindowRect(front, &frontRect);
  if (front != lastFront_ || !EqualRect(&frontRect, &lastFrontRect_)) {
    lastFront_ = front;
    lastFrontRect_ = frontRect;
    frontCovers_ = CoversClockMonitor(front, hWnd);
  }
  if (frontCovers_) {
    // Behind the full-screen window (and out of the topmost band unless that
    // window is topmost itself), without activating anything.
    if (front != yieldedTo_)
      SetWindowPos(hWnd, front, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    yieldedTo_ = front;
  } else if (yieldedTo_ != nullptr) {
    yieldedTo_ = nullptr;
    SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MainWindow::SelectCorner(int corner) {
  if ((Env & horlin::kEnvCorner) == corner) return;  // already there: nothing to do
  Env = horlin::EnvWithCorner(Env, corner);
  Place(Env);
  RefreshMenu();
}

void MainWindow::ToggleTopmost() {
  Env ^= horlin::kEnvTopmost;
  const bool topmost = (Env & horlin::kEnvTopmost) != 0;
  MarkTopmost(MenuItems, topmost);
  yieldedTo_ = nullptr;
  SetWindowPos(hWnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE);
  RefreshMenu();
}

void MainWindow::RefreshMenu() {
  if (!Menu) return;  // not built yet
  if (!Menu->Refresh(MenuItems, kMenuRows, kMenuJapanese))
    boxes::ShowCp932(hWnd, horlin::kMsgMenuRefresh, Caption, MB_OK);
}
