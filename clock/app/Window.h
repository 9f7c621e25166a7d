// Base of the program's window objects and the one window procedure that
// hands every message to the object of its window.
#pragma once

#include <windows.h>

// Finds the window's object in the window's extra bytes and lets it handle the
// message. The object arrives as the creation parameter and is attached at
// WM_CREATE; earlier messages get the default handling. Exported under the
// undecorated name WndProc.
extern "C" __declspec(dllexport) LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

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

  // The default handling of a message, for the window that received it. That
  // window is known from WM_CREATE on, also for the messages CreateWindowEx
  // sends before it returns the handle.
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  friend LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);  // the global one declared above
  HWND Attached = nullptr;                                      // the window this object was attached to at WM_CREATE
};
