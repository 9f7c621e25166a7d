// The clock's one window: a borderless 360 x 60 popup shaped to the face,
// with the clock body, the popup menu and the settings byte.
#pragma once

#include <windows.h>

#include "ClockMain.h"
#include "MakeMenu.h"
#include "Window.h"

class MainWindow : public Window {
 public:
  HWND hWnd;            // null until the window is created
  POINT Pos;            // position on the screen, set by Place
  SIZE Size;            // 360 x 60 at 96 DPI, scaled with the display
  const char* Caption;  // caption of the failure boxes
  const char* Title;    // class name, window title and About caption
  int TimerOn;          // non-zero while the tick timer is set
  ClockMain* Clock;     // owned
  MakeMenu* Menu;       // owned
  unsigned char Env;    // the settings byte (see Settings.h)

  // Registers the window class; false when registration fails.
  static bool RegisterWindowClass();

  // Creates the window, reads the settings, builds the clock body, places and
  // shows the window and builds the menu. Any failure ends the process with
  // exit code 1, after its message, without saving the settings.
  MainWindow();
  // The normal end: saves the settings and releases the clock body.
  ~MainWindow();

  LRESULT MessageProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ShowAbout();
  void LoadEnv();
  void SaveEnv();
  // Moves, reshapes and recomposes the window for the corner of the settings
  // byte, sets its topmost state and check marks, and shows it.
  void Place(unsigned char env);
  // After a change of the display (size, monitors, scale): the clock at the
  // given DPI, in its corner of the new screen, without taking the activation
  // from anyone and without hiding it when only its place changes.
  void FollowDisplay(int dpi);

 private:
  void OnPaint();
  void OnCommand(int id);
  void SelectCorner(int corner);
  void ToggleTopmost();
  void RefreshMenu();
  // A topmost clock steps behind a full-screen program in front on its
  // monitor and comes back on top when that ends; called every tick.
  void YieldToFullScreen();
  HWND yieldedTo_ = nullptr;  // the full-screen window the clock stands behind
  HWND lastFront_ = nullptr;  // the window in front at the last tick, where it was
  RECT lastFrontRect_{};
  bool frontCovers_ = false;  // and whether it covered the clock's monitor
  [[noreturn]] void Fatal(HWND owner, const char* text);
};
