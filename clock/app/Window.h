// Base of the program's window objects and the one window procedure that
// hands every message to the object of its window.
#pragma once

#include <windows.h>

class Window {
 public:
  // The entry's arguments, kept for the whole class; the command line is unused.
  static HINSTANCE hInstance;
  static HINSTANCE hPrevInstance;
  static int CmdShow;

  virtual LRESULT MessageProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  Window() = default;
  ~Window() = default;  // objects live on the stack and are never deleted through the base
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
};

// Finds the window's object in the window's extra bytes and lets it handle the
// message. The object arrives as the creation parameter and is stored at
// WM_CREATE; earlier messages get the default handling. Exported under the
// undecorated name WndProc.
extern "C" __declspec(dllexport) LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
