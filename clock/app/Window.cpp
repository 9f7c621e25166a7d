#include "Window.h"

HINSTANCE Window::hInstance = nullptr;
HINSTANCE Window::hPrevInstance = nullptr;
int Window::CmdShow = SW_SHOWDEFAULT;

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(Attached, message, wParam, lParam);
}

LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The window class reserves one pointer-size slot at index 0 for the object.
  auto* object = reinterpret_cast<Window*>(GetWindowLongPtrA(hWnd, 0));
  if (!object) {
    if (message != WM_CREATE) return DefWindowProcW(hWnd, message, wParam, lParam);
    object = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (!object) return DefWindowProcW(hWnd, message, wParam, lParam);
    SetWindowLongPtrA(hWnd, 0, reinterpret_cast<LONG_PTR>(object));
    object->Attached = hWnd;
  }
  return object->MessageProc(message, wParam, lParam);
}
